#pragma once
// Triangle soup with per-corner position, normal and texture coordinate, written
// as the Wavefront OBJ subset the engine reads: "v x y z", "vt u v", "vn x y z"
// and triangles "f v/t/n v/t/n v/t/n" with 1-based indices.

#include <cmath>
#include <string>
#include <vector>

namespace lb_datagen {

struct Vec3 {
  double x = 0, y = 0, z = 0;
  Vec3() = default;
  Vec3(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}
  Vec3 operator+(const Vec3& o) const { return {x + o.x, y + o.y, z + o.z}; }
  Vec3 operator-(const Vec3& o) const { return {x - o.x, y - o.y, z - o.z}; }
  Vec3 operator*(double s) const { return {x * s, y * s, z * s}; }
  Vec3 operator-() const { return {-x, -y, -z}; }
};
inline double dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double length(const Vec3& a) { return std::sqrt(dot(a, a)); }
inline Vec3 normalized(const Vec3& a) {
  const double l = length(a);
  return l > 0 ? a * (1.0 / l) : Vec3(0, 0, 0);
}

struct Vertex {
  Vec3 position;
  Vec3 normal;
  double u = 0, v = 0;
};

// An orthonormal placement: a point given in the frame's (right, up, front)
// coordinates lands at origin + right * x + up * y + front * z.
struct Frame {
  Vec3 origin{0, 0, 0};
  Vec3 right{1, 0, 0};
  Vec3 up{0, 1, 0};
  Vec3 front{0, 0, 1};
  Vec3 point(double x, double y, double z) const { return origin + right * x + up * y + front * z; }
  Vec3 direction(double x, double y, double z) const { return right * x + up * y + front * z; }
};

class MeshBuilder {
 public:
  void triangle(const Vertex& a, const Vertex& b, const Vertex& c);
  // Quad a-b-c-d (counter-clockwise seen from the side it faces) as two triangles.
  void quad(const Vertex& a, const Vertex& b, const Vertex& c, const Vertex& d);
  // Axis-free box: centre, three half-extent vectors (pairwise orthogonal), each
  // face mapped onto the whole texture rectangle [u0,u1] x [v0,v1].
  void box(const Vec3& centre, const Vec3& hx, const Vec3& hy, const Vec3& hz, double u0 = 0,
           double v0 = 0, double u1 = 1, double v1 = 1);

  size_t triangleCount() const { return corners_.size() / 3; }

  // OBJ text with shared records: identical positions, normals and texture
  // coordinates (after rounding to the written precision) are written once.
  std::string toObj(const std::string& comment) const;

 private:
  std::vector<Vertex> corners_;
};

}  // namespace lb_datagen
