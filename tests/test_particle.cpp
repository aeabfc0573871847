// The particle system against hand-computed steps, rebirths and drand48 draw
// counts, the uploaded streams read back from GL, and a small demonstration
// drawn with this file's own point-sprite program.

#include "GlContext.h"
#include "Gl.h"
#include "Particle.h"
#include "res_Support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using lb_engine::Particle;

namespace {

using lb_test::RandState;
using lb_test::randState;
using lb_test::setRandState;

// How many drand48 values lie between two states (up to `limit`), or -1.
int drawsBetween(RandState from, RandState to, int limit) {
  const auto saved = randState();
  setRandState(from);
  int n = 0;
  while (randState() != to && n <= limit) {
    drand48();
    ++n;
  }
  setRandState(saved);
  return n <= limit ? n : -1;
}

std::vector<float> bufferContents(unsigned int buffer, size_t floats) {
  std::vector<float> out(floats);
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
  glGetBufferSubData(GL_ARRAY_BUFFER, 0, floats * sizeof(float), out.data());
  return out;
}

void place(Particle& p, int i, float x, float y, float z, float vx, float vy, float vz) {
  p.positions[3 * i] = x;
  p.positions[3 * i + 1] = y;
  p.positions[3 * i + 2] = z;
  p.velocities[3 * i] = vx;
  p.velocities[3 * i + 1] = vy;
  p.velocities[3 * i + 2] = vz;
  p.deathTimes[i] = 100.0f;
}

}  // namespace

class ParticleTest : public lb_test::GlTest {};

TEST_F(ParticleTest, EmitterModeDrawsFourValuesPerParticle) {
  const auto before = randState();
  Particle p(5, 1.0f, 2.0f, 3.0f);
  const auto after = randState();
  EXPECT_EQ(drawsBetween(before, after, 100), 20);
  ASSERT_EQ(p.particleCount, 5);
  ASSERT_EQ(p.positions.size(), 15u);

  setRandState(before);
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(p.positions[3 * i], 1.0f);
    EXPECT_EQ(p.positions[3 * i + 1], 2.0f);
    EXPECT_EQ(p.positions[3 * i + 2], 3.0f);
    // Per particle: the three velocity components (value / 100), then the lifetime (value * 12).
    const double r1 = drand48(), r2 = drand48(), r3 = drand48(), r4 = drand48();
    EXPECT_EQ(p.velocities[3 * i], static_cast<float>(r1 / 100));
    EXPECT_EQ(p.velocities[3 * i + 1], static_cast<float>(r2 / 100));
    EXPECT_EQ(p.velocities[3 * i + 2], static_cast<float>(r3 / 100));
    EXPECT_EQ(p.birthTimes[i], 0.0f);
    EXPECT_EQ(p.deathTimes[i], static_cast<float>(r4 * 12));
  }
  // The constructor uploaded all four streams.
  EXPECT_EQ(bufferContents(p.buffers[0], 15), p.positions);
  EXPECT_EQ(bufferContents(p.buffers[1], 15), p.velocities);
  EXPECT_EQ(bufferContents(p.buffers[3], 5), p.deathTimes);
}

TEST_F(ParticleTest, BoxModeRestsUntil120Seconds) {
  const auto before = randState();
  Particle p(4, 0.0f, 10.0f, -2.0f, 2.0f, 14.0f, 4.0f);
  EXPECT_EQ(drawsBetween(before, randState(), 100), 12);
  const std::vector<float> start = p.positions;
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_GE(p.positions[3 * i], 0.0f);
    EXPECT_LT(p.positions[3 * i], 2.0f);
    EXPECT_GE(p.positions[3 * i + 1], 10.0f);
    EXPECT_LT(p.positions[3 * i + 1], 14.0f);
    EXPECT_GE(p.positions[3 * i + 2], -2.0f);
    EXPECT_LT(p.positions[3 * i + 2], 4.0f);
    EXPECT_EQ(p.deathTimes[i], 120.0f);
  }
  p.update(60.0);
  p.update(120.0);  // not after the death time yet
  EXPECT_EQ(p.positions, start);
  EXPECT_EQ(p.velocities, std::vector<float>(12, 0.0f));

  // Just after 120 s every particle is reborn at the emitter, the origin by default.
  const auto beforeRebirth = randState();
  p.update(120.5);
  EXPECT_EQ(drawsBetween(beforeRebirth, randState(), 100), 16);
  EXPECT_EQ(p.positions, std::vector<float>(12, 0.0f));
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(p.birthTimes[i], 120.5f);
    EXPECT_GT(p.deathTimes[i], 120.5f);
    EXPECT_LE(p.deathTimes[i], 132.5f);
  }
}

TEST_F(ParticleTest, StepThroughTriangleReversesVelocityAndStepBesideItDoesNot) {
  Particle p(3, 0.0f, 0.0f, 0.0f);
  // Triangle in the plane z = 1 around the z axis.
  p.addConstrait(-1, -1, 1, 1, -1, 1, 0, 1, 1);
  place(p, 0, 0.0f, 0.0f, 0.995f, 0.001f, 0.002f, 0.01f);  // crosses z = 1 inside
  place(p, 1, 3.0f, 0.0f, 0.995f, 0.001f, 0.002f, 0.01f);  // crosses z = 1 outside
  place(p, 2, 0.0f, 0.0f, 0.5f, 0.001f, 0.002f, 0.01f);    // inside, far from the plane
  EXPECT_TRUE(p.collision(0, 0));
  EXPECT_FALSE(p.collision(1, 0));
  EXPECT_FALSE(p.collision(2, 0));
  EXPECT_FALSE(p.collision(0, 1));  // no such obstacle
  EXPECT_FALSE(p.collision(3, 0));  // no such particle

  p.update(1.0);
  // Reversed and moved back by the reversed velocity in the same update.
  EXPECT_EQ(p.velocities[0], -0.001f);
  EXPECT_EQ(p.velocities[1], -0.002f);
  EXPECT_EQ(p.velocities[2], -0.01f);
  EXPECT_FLOAT_EQ(p.positions[0], -0.001f);
  EXPECT_FLOAT_EQ(p.positions[1], -0.002f);
  EXPECT_FLOAT_EQ(p.positions[2], 0.985f);
  // Beside the triangle: through the plane, velocity kept.
  EXPECT_EQ(p.velocities[5], 0.01f);
  EXPECT_FLOAT_EQ(p.positions[3], 3.001f);
  EXPECT_FLOAT_EQ(p.positions[5], 1.005f);
  EXPECT_FLOAT_EQ(p.positions[8], 0.51f);

  // The update uploaded the streams.
  EXPECT_EQ(bufferContents(p.buffers[0], 9), p.positions);
  EXPECT_EQ(bufferContents(p.buffers[1], 9), p.velocities);

  // Obstacles are tested in order against the velocity as it stands, already
  // reversed by an earlier one. Two planes ahead: the reversed step no longer
  // meets the second, so the particle bounces back.
  Particle q(1, 0.0f, 0.0f, 0.0f);
  q.addConstrait(-1, -1, 1, 1, -1, 1, 0, 1, 1);
  q.addConstrait(-2, -2, 1.001f, 2, -2, 1.001f, 0, 2, 1.001f);
  place(q, 0, 0.0f, 0.0f, 0.995f, 0.0f, 0.0f, 0.01f);
  q.update(1.0);
  EXPECT_EQ(q.velocities[2], -0.01f);
  EXPECT_FLOAT_EQ(q.positions[2], 0.985f);
  // One plane ahead and one just behind: the reversed step meets the second, the
  // velocity is negated twice and the particle goes on through the first.
  Particle r(1, 0.0f, 0.0f, 0.0f);
  r.addConstrait(-1, -1, 1, 1, -1, 1, 0, 1, 1);
  r.addConstrait(-2, -2, 0.99f, 2, -2, 0.99f, 0, 2, 0.99f);
  place(r, 0, 0.0f, 0.0f, 0.995f, 0.0f, 0.0f, 0.01f);
  r.update(1.0);
  EXPECT_EQ(r.velocities[2], 0.01f);
  EXPECT_FLOAT_EQ(r.positions[2], 1.005f);
}

TEST_F(ParticleTest, VolumeSignFollowsOrientation) {
  Particle p(0, 0.0f, 0.0f, 0.0f);
  const Point3D o(0, 0, 0), x(1, 0, 0), y(0, 1, 0), z(0, 0, 1);
  EXPECT_DOUBLE_EQ(p.volume(o, x, y, z), 1.6666666666666667);
  EXPECT_LT(p.volume(o, y, x, z), 0.0);
  EXPECT_GT(p.volume(Point3D(0, 0, 2), x, y, Point3D(1, 1, 2.5)), 0.0);
  p.update(1.0);  // no particles: nothing to do, nothing to upload
  p.draw();
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ParticleTest, RebirthHappensStrictlyAfterTheDeathTime) {
  Particle p(1, 0.0f, 0.0f, 0.0f);
  place(p, 0, 1.0f, 1.0f, 1.0f, 0.01f, 0.0f, 0.0f);
  p.deathTimes[0] = 5.0f;

  const auto before = randState();
  p.update(5.0);  // equal to the death time: an ordinary step
  EXPECT_EQ(randState(), before);
  EXPECT_FLOAT_EQ(p.positions[0], 1.01f);

  p.update(5.25);
  EXPECT_EQ(drawsBetween(before, randState(), 100), 4);
  EXPECT_EQ(p.positions, std::vector<float>(3, 0.0f));
  EXPECT_EQ(p.birthTimes[0], 5.25f);
  EXPECT_GT(p.deathTimes[0], 5.25f);
  EXPECT_LE(p.deathTimes[0], 17.25f);
  for (int c = 0; c < 3; ++c) {
    EXPECT_GE(p.velocities[c], 0.0f);
    EXPECT_LT(p.velocities[c], 0.01f);
  }
  // The rebirth update does not also move the particle; the next one does.
  const float vx = p.velocities[0];
  p.update((5.25 + p.deathTimes[0]) / 2);
  EXPECT_EQ(p.positions[0], vx);
}

TEST_F(ParticleTest, UpdateWithEmitterMovesTheEmitterBeforeRebirths) {
  Particle p(2, 0.0f, 0.0f, 0.0f);
  place(p, 0, 1.0f, 1.0f, 1.0f, 0.01f, 0.01f, 0.01f);
  place(p, 1, 1.0f, 1.0f, 1.0f, 0.01f, 0.01f, 0.01f);
  p.deathTimes[0] = 1.0f;
  p.update(2.0, 5.0, 6.0, 7.0);
  EXPECT_EQ(p.emitterX, 5.0f);
  EXPECT_EQ(p.emitterY, 6.0f);
  EXPECT_EQ(p.emitterZ, 7.0f);
  EXPECT_EQ(p.positions[0], 5.0f);
  EXPECT_EQ(p.positions[1], 6.0f);
  EXPECT_EQ(p.positions[2], 7.0f);
  EXPECT_FLOAT_EQ(p.positions[3], 1.01f);  // the living particle only moved
}

namespace {

// Side view (x right, y up) of the box x in [-3, 5], y in [-3, 1.5], as round points.
const char* kPointVertex = R"(#version 410 core
layout(location = 0) in vec3 position;
layout(location = 2) in float birth;
layout(location = 3) in float death;
uniform float time;
out float age;
void main() {
  gl_Position = vec4((position.x - 1.0) / 4.0, (position.y + 0.75) / 2.25, 0.0, 1.0);
  gl_PointSize = 3.0;
  age = clamp((time - birth) / max(death - birth, 0.001), 0.0, 1.0);
}
)";
const char* kPointFragment = R"(#version 410 core
in float age;
out vec4 colour;
void main() {
  if (length(gl_PointCoord - vec2(0.5)) > 0.5) discard;
  colour = vec4(mix(vec3(1.0, 0.9, 0.3), vec3(0.2, 0.5, 1.0), age), 1.0);
}
)";

unsigned int compile(unsigned int type, const char* source) {
  const unsigned int shader = glCreateShader(type);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint ok = 0;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  EXPECT_TRUE(ok) << "point-sprite shader did not compile";
  return shader;
}

}  // namespace

// Particles rise from an emitter under a ceiling triangle at y = 0.6 and bounce
// off it; none ever gets above it, on the CPU or in the picture.
TEST_F(ParticleTest, DemonstrationUnderACeiling) {
  const float kCeiling = 0.6f;
  Particle p(400, 0.0f, 0.0f, 0.0f);
  p.addConstrait(-5, kCeiling, -5, -5, kCeiling, 20, 20, kCeiling, -5);

  const unsigned int program = glCreateProgram();
  glAttachShader(program, compile(GL_VERTEX_SHADER, kPointVertex));
  glAttachShader(program, compile(GL_FRAGMENT_SHADER, kPointFragment));
  glLinkProgram(program);
  GLint linked = 0;
  glGetProgramiv(program, GL_LINK_STATUS, &linked);
  ASSERT_TRUE(linked);

  const double kFrame = 1.0 / 60;
  double t = 0;
  float highest = -1e9f;
  for (int frame = 1; frame <= 600; ++frame) {
    t = frame * kFrame;
    p.update(t);
    for (int i = 0; i < p.particleCount; ++i) highest = std::max(highest, p.positions[3 * i + 1]);
  }
  EXPECT_LE(highest, kCeiling + 0.01f);
  int bounced = 0;
  for (int i = 0; i < p.particleCount; ++i) bounced += p.velocities[3 * i + 1] < 0 ? 1 : 0;
  EXPECT_GT(bounced, 20) << "some particles should be on their way down";

  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glViewport(0, 0, kWidth, kHeight);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_PROGRAM_POINT_SIZE);
  glClearColor(0.05f, 0.05f, 0.08f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glUseProgram(program);
  glUniform1f(glGetUniformLocation(program, "time"), static_cast<float>(t));
  p.draw();
  glFinish();
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  const std::vector<unsigned char> pixels = lb_test::readPixels(kWidth, kHeight);

  // The ceiling's row, counted from the bottom: ndc (0.6 + 0.75) / 2.25 = 0.6.
  const int ceilingRow = static_cast<int>((0.6 + 1.0) / 2.0 * kHeight);
  int lit = 0, litAbove = 0;
  for (int row = 0; row < kHeight; ++row) {
    for (int col = 0; col < kWidth; ++col) {
      const unsigned char* px = &pixels[4 * (static_cast<size_t>(row) * kWidth + col)];
      if (px[0] + px[1] + px[2] > 200) {
        ++lit;
        if (row > ceilingRow + 2) ++litAbove;
      }
    }
  }
  EXPECT_GT(lit, 300);
  EXPECT_EQ(litAbove, 0);

  // For looking at: LB_PARTICLE_PICTURE=<file.ppm> writes the frame, top row first.
  if (const char* out = std::getenv("LB_PARTICLE_PICTURE")) {
    if (FILE* f = std::fopen(out, "wb")) {
      std::fprintf(f, "P6\n%d %d\n255\n", kWidth, kHeight);
      for (int row = kHeight - 1; row >= 0; --row) {
        for (int col = 0; col < kWidth; ++col) std::fwrite(&pixels[4 * (static_cast<size_t>(row) * kWidth + col)], 1, 3, f);
      }
      std::fclose(f);
    }
  }
}
