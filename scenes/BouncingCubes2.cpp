#include "BouncingCubes2.h"

#include "Config.h"

static const double kStartTime = 33.9;
static const double kEndTime = 42.067;

BouncingCubes2::BouncingCubes2(int width, int height, lb_engine::Config* config) {
  (void)width;
  (void)height;
  (void)config;
  startTime = kStartTime;
  endTime = kEndTime;
}

void BouncingCubes2::show(double t) { (void)t; }
