#pragma once
// 4x4 single-precision matrix handed to GL column-major and untransposed.
// Element i is row (i % 4), column (i / 4) of the matrix that multiplies column
// vectors in the shaders; 12, 13, 14 hold the translation. `a * b` applies `a`
// first and then `b`, so transforms chain as model * view * projection.
// Builders take doubles and round to float on store; angles are radians except
// perspective's vertical field of view, which is in degrees.

namespace lb_engine {

class Matrix {
 public:
  float values[16];

  Matrix();  // the zero matrix, not the identity
  ~Matrix() {}

  Matrix operator*(const Matrix& other) const;

  // Writes elements 0, 5, 10, 11 and 14 only; fovy in degrees.
  void perspective(double fovy, double aspect, double near, double far);
  void translate(double x, double y, double z);
  void scale(double x, double y, double z);
  // Rz(z) * Ry(y) * Rx(x) in column-vector terms: about x first, then y, then z.
  void rotate(double x, double y, double z);
  void lookAt(const double* eye, const double* center, const double* up);

  float* matrix() { return values; }
  const float* matrix() const { return values; }
  void modify(int index, float value);  // ignored outside 0..15
  void dump() const;
  void blender2opengl();
  void transpose();
};

}  // namespace lb_engine

// Helpers of lookAt, in the global namespace.
void normalize(double* v, int n);
void crossproduct3v(const double* a, const double* b, double* out);
float dotproduct(const double* a, const double* b, int n);
