#include "Sinkhole.h"

#include "Config.h"

static const double kStartTime = 42.067;
static const double kEndTime = 61.692;

Sinkhole::Sinkhole(int width, int height, lb_engine::Config* config) {
  (void)width;
  (void)height;
  (void)config;
  startTime = kStartTime;
  endTime = kEndTime;
}

void Sinkhole::show(double t) { (void)t; }
