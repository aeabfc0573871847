/* Captures the whole screen of the X display named by DISPLAY to a PNG file,
   as a viewer sees it (the mouse cursor is not part of the screen's contents),
   and prints the wall-clock time of the capture in seconds since the epoch.
   A small X client starts in milliseconds, so the printed moment is close to
   the moment the picture shows, which the end-to-end watch relies on. */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <png.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#include "open_display.h"

/* The 8-bit value of the channel that `mask` selects in `pixel`. */
static unsigned char channel(unsigned long pixel, unsigned long mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (((mask >> shift) & 1) == 0) ++shift;
  unsigned long max = mask >> shift;
  return (unsigned char)(((pixel & mask) >> shift) * 255 / max);
}

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: grab_png OUT.png\n");
    return 2;
  }
  Display* display = open_display("grab_png");
  if (display == NULL) return 1;
  Window root = DefaultRootWindow(display);
  XWindowAttributes attributes;
  XGetWindowAttributes(display, root, &attributes);
  XImage* image = XGetImage(display, root, 0, 0, (unsigned)attributes.width, (unsigned)attributes.height, AllPlanes,
                            ZPixmap);
  struct timespec when;
  clock_gettime(CLOCK_REALTIME, &when);
  if (image == NULL) {
    fprintf(stderr, "grab_png: the server returned no image of the screen\n");
    return 1;
  }
  const Visual* visual = attributes.visual;
  unsigned char* rgb = malloc((size_t)image->width * image->height * 3);
  if (rgb == NULL) {
    fprintf(stderr, "grab_png: out of memory\n");
    return 1;
  }
  for (int y = 0; y < image->height; ++y)
    for (int x = 0; x < image->width; ++x) {
      unsigned long pixel = XGetPixel(image, x, y);
      unsigned char* out = rgb + ((size_t)y * image->width + x) * 3;
      out[0] = channel(pixel, visual->red_mask);
      out[1] = channel(pixel, visual->green_mask);
      out[2] = channel(pixel, visual->blue_mask);
    }
  png_image png = {0};
  png.version = PNG_IMAGE_VERSION;
  png.width = (png_uint_32)image->width;
  png.height = (png_uint_32)image->height;
  png.format = PNG_FORMAT_RGB;
  if (!png_image_write_to_file(&png, argv[1], 0, rgb, 0, NULL)) {
    fprintf(stderr, "grab_png: %s: %s\n", argv[1], png.message);
    return 1;
  }
  printf("%lld.%09ld\n", (long long)when.tv_sec, when.tv_nsec);
  free(rgb);
  XDestroyImage(image);
  XCloseDisplay(display);
  return 0;
}
