#include "Matrix.h"

#include <cmath>
#include <cstdio>

namespace lb_engine {

Matrix::Matrix() {
  for (float& v : values) v = 0.0f;
}

Matrix Matrix::operator*(const Matrix& other) const {
  // Row-major product on the raw arrays; in GL's column-major reading that is
  // other * this, i.e. this transform first. Evaluated left to right in float.
  Matrix r;
  const float* a = values;
  const float* b = other.values;
  for (int i = 0; i < 16; ++i) {
    const int row = 4 * (i / 4);
    const int col = i % 4;
    float s = a[row] * b[col];
    s = s + a[row + 1] * b[col + 4];
    s = s + a[row + 2] * b[col + 8];
    s = s + a[row + 3] * b[col + 12];
    r.values[i] = s;
  }
  return r;
}

void Matrix::perspective(double fovy, double aspect, double near, double far) {
  const double pi = 3.141592653589793;
  const double top = near * std::tan(pi * fovy / 360.0);
  values[0] = static_cast<float>((2.0 * near) / (2.0 * top * aspect));
  values[5] = static_cast<float>((2.0 * near) / (2.0 * top));
  values[10] = static_cast<float>(-(far + near) / (far - near));
  values[11] = -1.0f;
  values[14] = static_cast<float>(-(2.0 * far * near) / (far - near));
}

static void setIdentity(float* v) {
  for (int i = 0; i < 16; ++i) v[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

void Matrix::translate(double x, double y, double z) {
  setIdentity(values);
  values[12] = static_cast<float>(x);
  values[13] = static_cast<float>(y);
  values[14] = static_cast<float>(z);
}

void Matrix::scale(double x, double y, double z) {
  setIdentity(values);
  values[0] = static_cast<float>(x);
  values[5] = static_cast<float>(y);
  values[10] = static_cast<float>(z);
}

void Matrix::rotate(double x, double y, double z) {
  const float fx = static_cast<float>(x), fy = static_cast<float>(y), fz = static_cast<float>(z);
  const float sx = std::sin(fx), cx = std::cos(fx);
  const float sy = std::sin(fy), cy = std::cos(fy);
  const float sz = std::sin(fz), cz = std::cos(fz);
  values[0] = cz * cy;
  values[1] = sz * cy;
  values[2] = -sy;
  values[3] = 0.0f;
  values[4] = cz * (sy * sx) + sz * (-cx);
  values[5] = sz * (sy * sx) + cz * cx;
  values[6] = cy * sx;
  values[7] = 0.0f;
  values[8] = cz * (sy * cx) + sz * sx;
  values[9] = sz * (sy * cx) + cz * (-sx);
  values[10] = cy * cx;
  values[11] = 0.0f;
  values[12] = 0.0f;
  values[13] = 0.0f;
  values[14] = 0.0f;
  values[15] = 1.0f;
}

void Matrix::lookAt(const double* eye, const double* center, const double* up) {
  double f[3] = {eye[0] - center[0], eye[1] - center[1], eye[2] - center[2]};
  double x[3];
  double y[3];
  crossproduct3v(up, f, x);
  crossproduct3v(f, x, y);
  normalize(x, 3);
  const float tx = -dotproduct(eye, x, 3);
  normalize(y, 3);
  const float ty = -dotproduct(eye, y, 3);
  normalize(f, 3);
  const float tz = -dotproduct(eye, f, 3);
  const double* axes[3] = {x, y, f};
  const float trans[3] = {tx, ty, tz};
  for (int r = 0; r < 3; ++r) {
    values[r] = static_cast<float>(axes[r][0]);
    values[4 + r] = static_cast<float>(axes[r][1]);
    values[8 + r] = static_cast<float>(axes[r][2]);
    values[12 + r] = trans[r];
  }
  values[3] = values[7] = values[11] = 0.0f;
  values[15] = 1.0f;
}

void Matrix::modify(int index, float value) {
  if (index >= 0 && index <= 15) values[index] = value;
}

void Matrix::dump() const {
  for (float v : values) std::printf("%f, ", v);
  std::printf("\n");
}

void Matrix::blender2opengl() {
  const float old1 = values[1];
  values[1] = values[2];
  values[2] = -old1;
}

void Matrix::transpose() {
  static const int pairs[6][2] = {{1, 4}, {2, 8}, {3, 12}, {6, 9}, {7, 13}, {11, 14}};
  for (const auto& p : pairs) {
    const float t = values[p[0]];
    values[p[0]] = values[p[1]];
    values[p[1]] = t;
  }
}

}  // namespace lb_engine

void normalize(double* v, int n) {
  float s = 0.0f;
  for (int i = 0; i < n; ++i) s = static_cast<float>(v[i] * v[i] + s);
  const float length = std::sqrt(s);
  for (int i = 0; i < n; ++i) v[i] = v[i] / length;
}

void crossproduct3v(const double* a, const double* b, double* out) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

float dotproduct(const double* a, const double* b, int n) {
  float s = 0.0f;
  for (int i = 0; i < n; ++i) s = static_cast<float>(a[i] * b[i] + s);
  return s;
}
