/* Sends a window-manager close request (WM_DELETE_WINDOW) to the window with the
   given id, as a window manager does when the user clicks the close button. */
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>

#include "open_display.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: send_close WINDOW_ID\n");
    return 2;
  }
  Display* display = open_display("send_close");
  if (display == NULL) return 1;
  Window window = (Window)strtoul(argv[1], NULL, 0);
  XEvent event = {0};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XFlush(display);
  XCloseDisplay(display);
  return 0;
}
