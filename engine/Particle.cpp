#include "Particle.h"

#include "Gl.h"
#include "Rand48.h"

#include <cmath>
#include <cstdlib>

namespace lb_engine {

namespace {

// Emitter-mode velocities are a drand48 value divided by this: 0 to 0.01 per axis
// and update, so free particles drift towards +x, +y and +z.
const double kVelocityDivisor = 100;
// A life lasts a drand48 value times this many seconds.
const double kMaxLifetime = 12;
// Box-mode particles rest until this time (seconds).
const float kBoxLifetime = 120;
const double kVolumeScale = 1.6666666666666667;

const int kStreamComponents[4] = {3, 3, 1, 1};

// +1 or -1 copied from the value's sign bit, so a negative zero counts as -1.
int signOf(double v) { return std::signbit(v) ? -1 : 1; }

}  // namespace

Particle::Particle(int count, float x, float y, float z)
    : emitterX(x), emitterY(y), emitterZ(z), particleCount(count > 0 ? count : 0) {
  positions.resize(3 * static_cast<size_t>(particleCount));
  velocities.resize(3 * static_cast<size_t>(particleCount));
  birthTimes.resize(particleCount);
  deathTimes.resize(particleCount);
  // Every particle starts as if reborn at the emitter at time 0.
  for (int i = 0; i < particleCount; ++i) rebirth(i, 0.0);
  createOpenGLBinding();
}

Particle::Particle(int count, float x0, float y0, float z0, float x1, float y1, float z1)
    : particleCount(count > 0 ? count : 0) {
  positions.resize(3 * static_cast<size_t>(particleCount));
  velocities.assign(3 * static_cast<size_t>(particleCount), 0.0f);
  birthTimes.assign(particleCount, 0.0f);
  deathTimes.assign(particleCount, kBoxLifetime);
  // The box's extents are single-precision differences; the rest is double.
  const float dx = x1 - x0;
  const float dy = y1 - y0;
  const float dz = z1 - z0;
  for (int i = 0; i < particleCount; ++i) {
    const double r1 = drand48();
    const double r2 = drand48();
    const double r3 = drand48();
    positions[3 * i] = static_cast<float>(x0 + r1 * dx);
    positions[3 * i + 1] = static_cast<float>(y0 + r2 * dy);
    positions[3 * i + 2] = static_cast<float>(z0 + r3 * dz);
  }
  createOpenGLBinding();
}

void Particle::createOpenGLBinding() {
  std::vector<float>* streams[4] = {&positions, &velocities, &birthTimes, &deathTimes};
  glGenVertexArrays(1, &vertexArray);
  glBindVertexArray(vertexArray);
  glGenBuffers(4, buffers);
  for (int s = 0; s < 4; ++s) {
    glBindBuffer(GL_ARRAY_BUFFER, buffers[s]);
    const GLsizeiptr bytes = static_cast<GLsizeiptr>(particleCount) * kStreamComponents[s] * sizeof(float);
    glBufferData(GL_ARRAY_BUFFER, bytes, streams[s]->empty() ? nullptr : streams[s]->data(), GL_DYNAMIC_DRAW);
    glVertexAttribPointer(s, kStreamComponents[s], GL_FLOAT, GL_FALSE, 0, nullptr);
    glEnableVertexAttribArray(s);
  }
  glBindVertexArray(0);
}

void Particle::draw() {
  glBindVertexArray(vertexArray);
  glDrawArrays(GL_POINTS, 0, particleCount);
}

void Particle::addConstrait(float ax, float ay, float az, float bx, float by, float bz, float cx, float cy,
                            float cz) {
  const float triangle[9] = {ax, ay, az, bx, by, bz, cx, cy, cz};
  constraints.insert(constraints.end(), triangle, triangle + 9);
}

void Particle::rebirth(int i, double t) {
  positions[3 * i] = emitterX;
  positions[3 * i + 1] = emitterY;
  positions[3 * i + 2] = emitterZ;
  const double r1 = drand48();
  const double r2 = drand48();
  const double r3 = drand48();
  const double r4 = drand48();
  velocities[3 * i] = static_cast<float>(r1 / kVelocityDivisor);
  velocities[3 * i + 1] = static_cast<float>(r2 / kVelocityDivisor);
  velocities[3 * i + 2] = static_cast<float>(r3 / kVelocityDivisor);
  birthTimes[i] = static_cast<float>(t);
  deathTimes[i] = static_cast<float>(r4 * kMaxLifetime + t);
}

void Particle::update(double t) {
  const int obstacleCount = static_cast<int>(constraints.size() / 9);
  for (int i = 0; i < particleCount; ++i) {
    if (t > static_cast<double>(deathTimes[i])) {
      rebirth(i, t);
      continue;
    }
    // Meeting two obstacles in one step negates twice, leaving the velocity as it was.
    for (int k = 0; k < obstacleCount; ++k) {
      if (collision(i, k)) {
        velocities[3 * i] = -velocities[3 * i];
        velocities[3 * i + 1] = -velocities[3 * i + 1];
        velocities[3 * i + 2] = -velocities[3 * i + 2];
      }
    }
    positions[3 * i] = positions[3 * i] + velocities[3 * i];
    positions[3 * i + 1] = positions[3 * i + 1] + velocities[3 * i + 1];
    positions[3 * i + 2] = positions[3 * i + 2] + velocities[3 * i + 2];
  }
  if (particleCount == 0) return;  // nothing to upload; GL buffers of size 0
  std::vector<float>* streams[4] = {&positions, &velocities, &birthTimes, &deathTimes};
  glBindVertexArray(vertexArray);
  for (int s = 0; s < 4; ++s) {
    glBindBuffer(GL_ARRAY_BUFFER, buffers[s]);
    const GLsizeiptr bytes = static_cast<GLsizeiptr>(particleCount) * kStreamComponents[s] * sizeof(float);
    glBufferSubData(GL_ARRAY_BUFFER, 0, bytes, streams[s]->data());
  }
  glBindVertexArray(0);
}

void Particle::update(double t, double x, double y, double z) {
  emitterX = static_cast<float>(x);
  emitterY = static_cast<float>(y);
  emitterZ = static_cast<float>(z);
  update(t);
}

double Particle::volume(Point3D a, Point3D b, Point3D c, Point3D d) {
  return Point3D::dot(Point3D::cross(b - a, c - a), d - a) * kVolumeScale;
}

bool Particle::collision(int particle, int constraint) {
  if (particle < 0 || particle >= particleCount) return false;
  if (constraint < 0 || static_cast<size_t>(constraint) >= constraints.size() / 9) return false;
  const float* p = &positions[3 * particle];
  const float* v = &velocities[3 * particle];
  const float* c = &constraints[9 * constraint];
  const Point3D p0(p[0], p[1], p[2]);
  const Point3D p1(p[0] + v[0], p[1] + v[1], p[2] + v[2]);  // sums in single precision
  const Point3D t1(c[0], c[1], c[2]);
  const Point3D t2(c[3], c[4], c[5]);
  const Point3D t3(c[6], c[7], c[8]);
  // The step crosses the triangle's plane when P0 and P1 lie on opposite sides of
  // it; the step's line passes inside the triangle when it turns the same way
  // round all three edges.
  const int s1 = signOf(volume(p0, t1, t2, t3));
  const int s2 = signOf(volume(p1, t1, t2, t3));
  const int s3 = signOf(volume(p0, p1, t1, t2));
  const int s4 = signOf(volume(p0, p1, t2, t3));
  const int s5 = signOf(volume(p0, p1, t3, t1));
  return s1 != s2 && s3 == s4 && s4 == s5;
}

}  // namespace lb_engine
