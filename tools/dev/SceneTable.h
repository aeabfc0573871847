#pragma once
// The scene table of a built demo, taken from the scenes themselves: each
// scene's class name and the start and end it set in its constructor.

#include "Transport.h"

#include <vector>

namespace lb_engine {
class Demo;
}

namespace lb_dev {

std::vector<SceneSpan> sceneSpans(const lb_engine::Demo& demo);

}  // namespace lb_dev
