#include "RobotIntro.h"

#include "Config.h"

static const double kStartTime = 98.0;
static const double kEndTime = 102.476;

RobotIntro::RobotIntro(int width, int height, lb_engine::Config* config) {
  (void)width;
  (void)height;
  (void)config;
  startTime = kStartTime;
  endTime = kEndTime;
}

void RobotIntro::show(double t) { (void)t; }
