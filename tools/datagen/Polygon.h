#pragma once
// Filling flat shapes with holes: contours are joined into one polygon by
// bridges from each hole to a visible outer vertex, then cut into triangles by
// ear clipping.

#include <array>
#include <vector>

namespace lb_datagen {

struct P2 {
  double x = 0, y = 0;
};

using Contour = std::vector<P2>;

// Twice the signed area (positive for counter-clockwise).
double signedArea2(const Contour& c);
bool pointInContour(const P2& p, const Contour& c);

// A filled region: one outer contour and the holes inside it.
struct Shape {
  Contour outer;
  std::vector<Contour> holes;
};

// Groups contours by nesting (a contour inside an odd number of others is a
// hole of the smallest contour around it) and orients outers counter-clockwise,
// holes clockwise, whatever their orientation was.
std::vector<Shape> groupContours(const std::vector<Contour>& contours);

// Triangles (indices into *points, counter-clockwise) covering the shape.
// *points receives the outer and hole vertices (bridge ends appear twice).
std::vector<std::array<int, 3>> triangulate(const Shape& shape, std::vector<P2>* points);

}  // namespace lb_datagen
