#include "Path.h"

#include <cmath>
#include <cstdint>

namespace lb_engine {

void Path::addPoint(Point3D p) { points.push_back(p); }

double Path::coef(unsigned int n, unsigned int k) {
  const unsigned int m = (k < n - k) ? k : n - k;
  uint64_t r = 1;
  for (unsigned int i = 0; i < m; ++i) {
    r = r * (n - i);
    r = r / (i + 1);  // exact: r holds a binomial coefficient after each step
  }
  return static_cast<double>(r);
}

Point3D Path::bezier(double t) {
  Point3D sum;
  if (points.empty()) return sum;
  const unsigned int n = static_cast<unsigned int>(points.size()) - 1;
  for (unsigned int i = 0; i <= n; ++i) {
    const double w = (std::pow(t, static_cast<double>(i)) * coef(n, i)) *
                     std::pow(1.0 - t, static_cast<double>(n - i));
    sum.x += w * points[i].x;
    sum.y += w * points[i].y;
    sum.z += w * points[i].z;
  }
  return sum;
}

}  // namespace lb_engine
