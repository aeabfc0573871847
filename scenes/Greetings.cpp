#include "Greetings.h"

#include "Config.h"

static const double kStartTime = 61.692;
static const double kEndTime = 91.017;

Greetings::Greetings(int width, int height, lb_engine::Config* config) {
  (void)width;
  (void)height;
  (void)config;
  startTime = kStartTime;
  endTime = kEndTime;
}

void Greetings::show(double t) { (void)t; }
