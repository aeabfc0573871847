/* Opening the X display named by DISPLAY for the small test clients. */
#pragma once
#include <X11/Xlib.h>

/* Opens the display, trying again for about a second: Xvfb resets a new
   connection now and then when clients come and go quickly. On failure prints
   "PROGRAM: cannot open the display" to stderr and returns NULL. */
Display* open_display(const char* program);
