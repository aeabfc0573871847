#pragma once
// A plain 3D point of doubles with difference, dot and cross products.

class Point3D {
 public:
  double x, y, z;

  Point3D() : x(0.0), y(0.0), z(0.0) {}
  Point3D(double px, double py, double pz) : x(px), y(py), z(pz) {}

  Point3D operator-(Point3D other) const;
  static double dot(Point3D a, Point3D b);
  static Point3D cross(Point3D a, Point3D b);
};
