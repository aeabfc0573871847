#pragma once
// Point particles kept on the GPU as four vertex streams and drawn as GL points.
// Emitter mode: particles are born at the emitter with a random velocity of 0 to
// 0.01 per axis (distance per update), bounce off obstacle triangles by reversing
// their velocity and are reborn at the emitter when their lifetime (up to 12 s)
// ends. Box mode: particles rest at random places inside a box until 120 s.
//
// Streams (one vertex per particle, tightly packed floats, each in its own buffer):
// location 0 position (3), 1 velocity (3), 2 birth time (1), 3 death time (1).
// Times are seconds on the caller's clock.

#include "Point3D.h"

#include <vector>

namespace lb_engine {

class Particle {
 public:
  float emitterX = 0.0f;
  float emitterY = 0.0f;
  float emitterZ = 0.0f;
  int particleCount = 0;
  unsigned int vertexArray = 0;
  unsigned int buffers[4] = {0, 0, 0, 0};
  std::vector<float> positions;
  std::vector<float> velocities;
  std::vector<float> birthTimes;
  std::vector<float> deathTimes;
  // 9 floats per obstacle triangle: T1, T2, T3.
  std::vector<float> constraints;

  // Emitter mode: every particle starts at (x, y, z); 4 drand48 draws each.
  Particle(int count, float x, float y, float z);
  // Box mode: particles at rest inside the box from (x0, y0, z0) to (x1, y1, z1);
  // 3 drand48 draws each. The emitter, used for rebirths after 120 s, is the
  // origin until update(t, x, y, z) moves it.
  Particle(int count, float x0, float y0, float z0, float x1, float y1, float z1);
  // Releases the arrays only; the GL vertex array and buffers are left alive.
  ~Particle() {}

  void createOpenGLBinding();
  // Draws the particles as GL_POINTS with the caller's current program.
  void draw();
  void addConstrait(float ax, float ay, float az, float bx, float by, float bz, float cx, float cy, float cz);
  // Advances every particle to time t and uploads the four streams.
  void update(double t);
  // Moves the emitter first, so that rebirths of this update happen at (x, y, z).
  void update(double t, double x, double y, double z);
  // ((b - a) x (c - a)) . (d - a), scaled by 1.6666666666666667: a positive
  // multiple of the signed volume of tetrahedron abcd. Only its sign is used.
  double volume(Point3D a, Point3D b, Point3D c, Point3D d);
  // Whether particle's next step, from its position to position + velocity,
  // passes through obstacle triangle `constraint`. False for an index out of range.
  bool collision(int particle, int constraint);

 private:
  void rebirth(int i, double t);
};

}  // namespace lb_engine
