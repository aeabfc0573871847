#include "FallingApart.h"

#include "Config.h"

static const double kStartTime = 121.639;
static const double kEndTime = 128.0;

FallingApart::FallingApart(int width, int height, lb_engine::Config* config) {
  (void)width;
  (void)height;
  (void)config;
  startTime = kStartTime;
  endTime = kEndTime;
}

void FallingApart::show(double t) { (void)t; }
