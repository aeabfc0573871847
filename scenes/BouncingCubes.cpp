#include "BouncingCubes.h"

#include "Config.h"

static const double kStartTime = 21.067;
static const double kEndTime = 33.9;

BouncingCubes::BouncingCubes(int width, int height, lb_engine::Config* config) {
  (void)width;
  (void)height;
  (void)config;
  startTime = kStartTime;
  endTime = kEndTime;
}

void BouncingCubes::show(double t) { (void)t; }
