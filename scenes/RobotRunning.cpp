#include "RobotRunning.h"

#include "Config.h"

static const double kStartTime = 102.476;
static const double kEndTime = 121.639;

RobotRunning::RobotRunning(int width, int height, lb_engine::Config* config) {
  (void)width;
  (void)height;
  (void)config;
  startTime = kStartTime;
  endTime = kEndTime;
}

void RobotRunning::show(double t) { (void)t; }
