#pragma once
// The show's application icon: one cube of the show, navy faces with a lattice
// and bright cyan edges, in front of a bloom of magenta and cyan petals, on a
// dark rounded square. The picture is a list of flat polygons in a 256-unit
// square (x to the right, y down), written once as a scalable SVG and
// rasterized, with the same polygons, to PNGs of any size; the PNGs are also
// packed into a Windows .ico.

#include "Image.h"
#include "Polygon.h"

#include <string>
#include <vector>

namespace lb_datagen {

struct IconShape {
  Contour outline;  // in icon units, 0..256
  Rgba color;       // straight alpha
  // Fine detail (the faces' lattice) is left out below this many pixels a
  // side, where it would only grey the faces.
  int minPixels = 0;
};

// The icon's side in its own units: an SVG viewBox of 0 0 256 256.
constexpr double kIconUnits = 256.0;

std::vector<IconShape> iconShapes();

// The shapes painted in order over a transparent square of `pixels` a side,
// 4x4 samples a pixel, averaged premultiplied.
Image rasterizeIcon(const std::vector<IconShape>& shapes, int pixels);

// An SVG document of the shapes (all of them, whatever minPixels says).
std::string iconSvg(const std::vector<IconShape>& shapes);

// An ICO container whose entries are the given PNG files (each square, at most
// 256 pixels a side), as Windows Vista and later read them.
bool writeIco(const std::vector<std::string>& pngPaths, const std::vector<int>& pixelSizes, const std::string& path,
              std::string* error);

// Writes NAME-SIZE.png for each of `pixelSizes`, NAME.svg and NAME.ico (the
// PNGs) into `dir` (created if missing).
bool writeIconSet(const std::string& dir, const std::string& name, const std::vector<int>& pixelSizes,
                  std::string* error);

}  // namespace lb_datagen
