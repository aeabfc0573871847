#include "RobotCave.h"

#include "Config.h"

static const double kStartTime = 91.017;
static const double kEndTime = 98.0;

RobotCave::RobotCave(int width, int height, lb_engine::Config* config) {
  (void)width;
  (void)height;
  (void)config;
  startTime = kStartTime;
  endTime = kEndTime;
}

void RobotCave::show(double t) { (void)t; }
