// Bezier paths and points against hand-computed values.

#include "Path.h"

#include <gtest/gtest.h>

using lb_engine::Path;

TEST(Path, EndPointsAreExact) {
  Path p;
  p.addPoint(Point3D(-0.10901901, 0.3795682, 1.4834993));
  p.addPoint(Point3D(0.7171066, -1.0550377, 6.251735));
  p.addPoint(Point3D(-0.13532212, 17.861162, 5.2227716));
  p.addPoint(Point3D(-0.115614705, 19.085516, 5.252368));
  const Point3D a = p.bezier(0.0), b = p.bezier(1.0);
  EXPECT_EQ(a.x, -0.10901901);
  EXPECT_EQ(a.y, 0.3795682);
  EXPECT_EQ(a.z, 1.4834993);
  EXPECT_EQ(b.x, -0.115614705);
  EXPECT_EQ(b.y, 19.085516);
  EXPECT_EQ(b.z, 5.252368);
}

TEST(Path, CubicMidpointAndLowDegrees) {
  Path cubic;
  cubic.addPoint(Point3D(0, 0, 0));
  cubic.addPoint(Point3D(0, 0, 0));
  cubic.addPoint(Point3D(3, 3, 3));
  cubic.addPoint(Point3D(3, 3, 3));
  const Point3D m = cubic.bezier(0.5);
  EXPECT_DOUBLE_EQ(m.x, 1.5);
  EXPECT_DOUBLE_EQ(m.y, 1.5);
  EXPECT_DOUBLE_EQ(m.z, 1.5);

  Path one;
  one.addPoint(Point3D(2, -3, 7));
  for (double t : {-1.0, 0.0, 0.3, 1.0, 5.0}) {
    const Point3D q = one.bezier(t);
    EXPECT_EQ(q.x, 2.0);
    EXPECT_EQ(q.y, -3.0);
    EXPECT_EQ(q.z, 7.0);
  }

  Path line;
  line.addPoint(Point3D(0, 4, 8));
  line.addPoint(Point3D(4, 0, 0));
  const Point3D q = line.bezier(0.25);
  EXPECT_DOUBLE_EQ(q.x, 1.0);
  EXPECT_DOUBLE_EQ(q.y, 3.0);
  EXPECT_DOUBLE_EQ(q.z, 6.0);
  const Point3D beyond = line.bezier(2.0);  // extrapolates along the line
  EXPECT_DOUBLE_EQ(beyond.x, 8.0);
  EXPECT_DOUBLE_EQ(beyond.y, -4.0);
  EXPECT_DOUBLE_EQ(beyond.z, -8.0);

  Path empty;
  const Point3D z = empty.bezier(0.5);
  EXPECT_EQ(z.x, 0.0);
  EXPECT_EQ(z.y, 0.0);
  EXPECT_EQ(z.z, 0.0);
}

TEST(Path, BinomialCoefficients) {
  Path p;
  EXPECT_EQ(p.coef(3, 0), 1.0);
  EXPECT_EQ(p.coef(3, 1), 3.0);
  EXPECT_EQ(p.coef(4, 2), 6.0);
  EXPECT_EQ(p.coef(10, 10), 1.0);
  EXPECT_EQ(p.coef(10, 3), 120.0);
  EXPECT_EQ(p.coef(60, 30), 118264581564861424.0);  // needs the exact 64-bit steps
}

TEST(Point3D, Products) {
  const Point3D c = Point3D::cross(Point3D(1, 0, 0), Point3D(0, 1, 0));
  EXPECT_EQ(c.x, 0.0);
  EXPECT_EQ(c.y, 0.0);
  EXPECT_EQ(c.z, 1.0);
  EXPECT_EQ(Point3D::dot(Point3D(1, 2, 0), Point3D(-2, 1, 5)), 0.0);
  const Point3D d = Point3D(5, 7, 9) - Point3D(1, 2, 3);
  EXPECT_EQ(d.x, 4.0);
  EXPECT_EQ(d.y, 5.0);
  EXPECT_EQ(d.z, 6.0);
}
