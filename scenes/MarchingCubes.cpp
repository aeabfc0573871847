#include "MarchingCubes.h"

#include "Config.h"

static const double kStartTime = 4.817;
static const double kEndTime = 21.067;

MarchingCubes::MarchingCubes(int width, int height, lb_engine::Config* config) {
  (void)width;
  (void)height;
  (void)config;
  startTime = kStartTime;
  endTime = kEndTime;
}

void MarchingCubes::show(double t) { (void)t; }
