#include "GroupTitle.h"

#include "Config.h"

static const double kStartTime = 0.0;
static const double kEndTime = 4.817;

GroupTitle::GroupTitle(int width, int height, lb_engine::Config* config) {
  (void)width;
  (void)height;
  (void)config;
  startTime = kStartTime;
  endTime = kEndTime;
}

void GroupTitle::show(double t) { (void)t; }
