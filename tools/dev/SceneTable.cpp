#include "SceneTable.h"

#include "Demo.h"

#include <cxxabi.h>

#include <cstdlib>
#include <typeinfo>

namespace lb_dev {

namespace {

// "GroupTitle" for a GroupTitle scene: the demangled dynamic type.
std::string className(const lb_engine::Scene& scene) {
  const char* mangled = typeid(scene).name();
  int status = 0;
  char* plain = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
  std::string name = status == 0 && plain != nullptr ? plain : mangled;
  std::free(plain);
  return name;
}

}  // namespace

std::vector<SceneSpan> sceneSpans(const lb_engine::Demo& demo) {
  std::vector<SceneSpan> spans;
  for (const lb_engine::Scene* scene : demo.scenes) spans.push_back({className(*scene), scene->startTime, scene->endTime});
  return spans;
}

}  // namespace lb_dev
