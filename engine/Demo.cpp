#include "Demo.h"

namespace lb_engine {

Demo::Demo(int w, int h) : width(w), height(h) {}

void Demo::show(double t) {
  for (Scene* scene : scenes) {
    if (t > scene->startTime && t < scene->endTime) scene->show(t);
  }
}

}  // namespace lb_engine
