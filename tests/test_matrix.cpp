// Matrix checked against GLM, the independent answer for GL-convention matrices:
// our elements are column-major, so element i must equal glm::value_ptr(m)[i].

#include "Matrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

using lb_engine::Matrix;

namespace {

void expectMatches(const Matrix& m, const glm::mat4& g, float tol = 1e-5f) {
  const float* gv = glm::value_ptr(g);
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(m.values[i], gv[i], tol) << "element " << i;
}

glm::mat4 glmRotate(float x, float y, float z) {
  // About x first, then y, then z: Rz * Ry * Rx for column vectors.
  glm::mat4 m(1.0f);
  m = glm::rotate(m, z, glm::vec3(0, 0, 1));
  m = glm::rotate(m, y, glm::vec3(0, 1, 0));
  m = glm::rotate(m, x, glm::vec3(1, 0, 0));
  return m;
}

glm::vec4 apply(const Matrix& m, glm::vec4 p) { return glm::make_mat4(m.values) * p; }

}  // namespace

TEST(Matrix, DefaultIsZeroAndAbsorbsProducts) {
  Matrix zero;
  for (float v : zero.values) EXPECT_EQ(v, 0.0f);
  Matrix r;
  r.rotate(0.3, 1.2, -0.7);
  const Matrix p = r * zero;
  const Matrix q = zero * r;
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(p.values[i], 0.0f);
    EXPECT_EQ(q.values[i], 0.0f);
  }
}

TEST(Matrix, BuildersMatchGlm) {
  Matrix t;
  t.rotate(5, 5, 5);  // builders overwrite whatever the matrix held
  t.translate(1, 2, 3);
  expectMatches(t, glm::translate(glm::mat4(1.0f), glm::vec3(1, 2, 3)));

  Matrix s;
  s.scale(2, 3, 4);
  expectMatches(s, glm::scale(glm::mat4(1.0f), glm::vec3(2, 3, 4)));

  const float angles[][3] = {{0, 0, 0}, {1.51f, 0, 0}, {0, 4.68f, 4.67f}, {-1.57f, -1.55f, 0}, {0.3f, -2.1f, 1.7f}};
  for (const auto& a : angles) {
    Matrix r;
    r.rotate(a[0], a[1], a[2]);
    SCOPED_TRACE(testing::Message() << a[0] << ", " << a[1] << ", " << a[2]);
    expectMatches(r, glmRotate(a[0], a[1], a[2]));
  }
}

TEST(Matrix, RotateQuarterTurnAboutZMovesXToY) {
  Matrix r;
  r.rotate(0, 0, 3.141592653589793 / 2);
  EXPECT_NEAR(r.values[1], 1.0f, 1e-6f);
  EXPECT_NEAR(r.values[4], -1.0f, 1e-6f);
  const glm::vec4 p = apply(r, glm::vec4(1, 0, 0, 1));
  EXPECT_NEAR(p.x, 0.0f, 1e-6f);
  EXPECT_NEAR(p.y, 1.0f, 1e-6f);
}

TEST(Matrix, ProductAppliesLeftOperandFirst) {
  Matrix t;
  t.translate(0, 0, -5);
  Matrix r;
  r.rotate(0, 1, 0);
  const glm::mat4 gt = glm::translate(glm::mat4(1.0f), glm::vec3(0, 0, -5));
  const glm::mat4 gr = glmRotate(0, 1, 0);
  expectMatches(r * t, gt * gr);  // rotate first, then move
  expectMatches(t * r, gr * gt);  // move first, then rotate the moved point

  // The scenes' chain model * view * projection equals P * V * M.
  Matrix proj;
  proj.perspective(35, 16.0 / 9.0, 0.1, 1500);
  const glm::mat4 gp = glm::perspective(glm::radians(35.0f), 16.0f / 9.0f, 0.1f, 1500.0f);
  expectMatches(r * t * proj, gp * gt * gr, 1e-4f);

  // A point on +x rotated by 1 rad about y, then moved 5 down -z.
  const glm::vec4 p = apply(r * t, glm::vec4(1, 0, 0, 1));
  EXPECT_NEAR(p.x, std::cos(1.0f), 1e-6f);
  EXPECT_NEAR(p.z, -std::sin(1.0f) - 5.0f, 1e-6f);
}

TEST(Matrix, PerspectiveWritesOnlyItsFiveElements) {
  Matrix p;
  p.perspective(45, 4.0 / 3.0, 0.1, 100);
  expectMatches(p, glm::perspective(glm::radians(45.0f), 4.0f / 3.0f, 0.1f, 100.0f));
  EXPECT_EQ(p.values[11], -1.0f);
  EXPECT_EQ(p.values[15], 0.0f);

  Matrix filled;
  for (int i = 0; i < 16; ++i) filled.values[i] = 100.0f + i;
  filled.perspective(45, 4.0 / 3.0, 0.1, 100);
  for (int i = 0; i < 16; ++i) {
    if (i == 0 || i == 5 || i == 10 || i == 11 || i == 14) {
      EXPECT_EQ(filled.values[i], p.values[i]) << i;
    } else {
      EXPECT_EQ(filled.values[i], 100.0f + i) << i;
    }
  }
}

TEST(Matrix, LookAtMatchesGlm) {
  const double eye[3] = {0, 0, 5}, center[3] = {0, 0, 0}, up[3] = {0, 1, 0};
  Matrix v;
  v.lookAt(eye, center, up);
  glm::mat4 expected(1.0f);
  expected[3][2] = -5.0f;
  expectMatches(v, expected);

  // The cameras of the show: a steep look down with a flipped up vector, and
  // the robot corridor's oblique view.
  const double cases[][9] = {{0.003, 190, -0.002, -22 + 13 * std::sin(70.0), -540, 13 * std::cos(70.0), 0, -1, 0},
                             {6.374234375050601, 0.94, -11.832938667839006, 0.423, 0.5, -22, 0, 1, 0},
                             {0, 8, 1, 0, 0, 0, 0, 1, 0}};
  for (const auto& c : cases) {
    Matrix m;
    m.lookAt(c, c + 3, c + 6);
    const glm::mat4 g = glm::lookAt(glm::vec3(c[0], c[1], c[2]), glm::vec3(c[3], c[4], c[5]), glm::vec3(c[6], c[7], c[8]));
    expectMatches(m, g, 2e-4f);
  }
}

TEST(Matrix, ModifyTransposeAndBlenderConversion) {
  Matrix m;
  for (int i = 0; i < 16; ++i) m.values[i] = static_cast<float>(i);
  Matrix before = m;
  m.modify(16, 99.0f);
  m.modify(-1, 99.0f);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(m.values[i], before.values[i]);
  m.modify(15, 42.0f);
  EXPECT_EQ(m.values[15], 42.0f);

  m.transpose();
  EXPECT_EQ(m.values[1], 4.0f);
  EXPECT_EQ(m.values[12], 3.0f);
  EXPECT_EQ(m.values[14], 11.0f);
  m.transpose();
  for (int i = 0; i < 15; ++i) EXPECT_EQ(m.values[i], before.values[i]);

  m.blender2opengl();
  EXPECT_EQ(m.values[1], 2.0f);
  EXPECT_EQ(m.values[2], -1.0f);
  EXPECT_EQ(m.values[0], 0.0f);
}

TEST(Matrix, VectorHelpers) {
  double v[3] = {3, 0, 4};
  normalize(v, 3);
  EXPECT_DOUBLE_EQ(v[0], 0.6);
  EXPECT_DOUBLE_EQ(v[2], 0.8);
  const double a[3] = {1, 0, 0}, b[3] = {0, 1, 0};
  double c[3];
  crossproduct3v(a, b, c);
  EXPECT_EQ(c[0], 0.0);
  EXPECT_EQ(c[1], 0.0);
  EXPECT_EQ(c[2], 1.0);
  const double d[3] = {1, 2, 3}, e[3] = {4, -5, 6};
  EXPECT_FLOAT_EQ(dotproduct(d, e, 3), 12.0f);
}
