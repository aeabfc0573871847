/* Tells whether the mouse cursor the X server shows right now is invisible:
   prints the cursor image's size and how many of its pixels are not fully
   transparent, and exits 0 when none is, 1 when the cursor can be seen, 2 when
   the server cannot be asked. */
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <stdio.h>

#include "open_display.h"

int main(int argc, char** argv) {
  (void)argv;
  if (argc != 1) {
    fprintf(stderr, "usage: cursor_hidden (on the display named by DISPLAY)\n");
    return 2;
  }
  Display* display = open_display("cursor_hidden");
  if (display == NULL) return 2;
  int eventBase = 0;
  int errorBase = 0;
  if (!XFixesQueryExtension(display, &eventBase, &errorBase)) {
    fprintf(stderr, "cursor_hidden: the X server lacks the XFIXES extension\n");
    return 2;
  }
  XFixesCursorImage* image = XFixesGetCursorImage(display);
  if (image == NULL) {
    fprintf(stderr, "cursor_hidden: the server returned no cursor image\n");
    return 2;
  }
  /* Pixels are ARGB in the low 32 bits of each unsigned long. */
  int visible = 0;
  for (int i = 0; i < image->width * image->height; ++i)
    if ((image->pixels[i] >> 24) & 0xff) ++visible;
  printf("cursor %dx%d, %d visible pixels\n", image->width, image->height, visible);
  XFree(image);
  XCloseDisplay(display);
  return visible == 0 ? 0 : 1;
}
