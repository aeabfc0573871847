#pragma once
// The two abstract bases that carry the show: a Demo owns the ordered scene list
// and dispatches each frame; a Scene is active on the open interval
// (startTime, endTime) of the demo clock, in seconds since the music started.

#include <vector>

namespace lb_engine {

class Scene {
 public:
  double startTime;
  double endTime;

  Scene() {}
  virtual void show(double t) = 0;
};

class Demo {
 public:
  int width;
  int height;
  std::vector<Scene*> scenes;

  Demo(int w, int h);
  virtual void init() = 0;
  // Calls show(t) on every scene with startTime < t < endTime, in list order.
  void show(double t);
};

}  // namespace lb_engine
