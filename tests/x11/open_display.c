#include "open_display.h"

#include <stdio.h>
#include <unistd.h>

Display* open_display(const char* program) {
  enum { kAttempts = 10, kPauseMicroseconds = 100000 };
  Display* display = NULL;
  for (int attempt = 0; attempt < kAttempts && display == NULL; ++attempt) {
    if (attempt > 0) usleep(kPauseMicroseconds);
    display = XOpenDisplay(NULL);
  }
  if (display == NULL) fprintf(stderr, "%s: cannot open the display\n", program);
  return display;
}
