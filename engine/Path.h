#pragma once
// A Bezier curve of any degree over its control points (n + 1 points: degree n),
// evaluated in Bernstein form. The parameter is not clamped: values outside
// [0, 1] extrapolate along the same polynomial.

#include "Point3D.h"

#include <vector>

namespace lb_engine {

class Path {
 public:
  std::vector<Point3D> points;

  Path() {}
  void addPoint(Point3D p);
  // Binomial coefficient n over k, exact in 64-bit integers; k <= n.
  double coef(unsigned int n, unsigned int k);
  // A path without points gives (0, 0, 0).
  Point3D bezier(double t);
};

}  // namespace lb_engine
