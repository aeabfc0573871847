// The reference full-screen pass and the whole-show timeline.

#include "bench_units.h"

#include "Gl.h"
#include "MyDemo.h"
#include "bench.h"

#include <SDL.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace lb_bench {

namespace {

const char* const kVertex =
    "#version 410 core\n"
    "layout(location = 0) in vec2 position;\n"
    "layout(location = 0) out vec2 vUv;\n"
    "void main() { vUv = position * 0.5 + 0.5; gl_Position = vec4(position, 0.0, 1.0); }\n";

const char* const kFragment =
    "#version 410 core\n"
    "layout(location = 0) in vec2 vUv;\n"
    "uniform sampler2D img;\n"
    "layout(location = 0) out vec4 fragColor;\n"
    "void main() { fragColor = texture(img, vUv); }\n";

unsigned compile(GLenum kind, const char* source) {
  const GLuint shader = glCreateShader(kind);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint ok = 0;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) std::fprintf(stderr, "lb_bench: the reference pass's shader does not compile\n");
  return shader;
}

}  // namespace

UnitPass::UnitPass(int width, int height) : width_(width), height_(height) {
  const GLuint vs = compile(GL_VERTEX_SHADER, kVertex), fs = compile(GL_FRAGMENT_SHADER, kFragment);
  program_ = glCreateProgram();
  glAttachShader(program_, vs);
  glAttachShader(program_, fs);
  glLinkProgram(program_);
  glDeleteShader(vs);
  glDeleteShader(fs);

  // A varied picture, so that every read fetches real data.
  std::vector<unsigned char> rgba(static_cast<size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      unsigned char* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
      p[0] = static_cast<unsigned char>(x * 7);
      p[1] = static_cast<unsigned char>(y * 5);
      p[2] = static_cast<unsigned char>((x ^ y) * 3);
      p[3] = 255;
    }
  GLint savedTexture = 0, savedVao = 0, savedBuffer = 0, savedActive = 0;
  glGetIntegerv(GL_ACTIVE_TEXTURE, &savedActive);
  glActiveTexture(GL_TEXTURE0);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &savedTexture);
  glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &savedVao);
  glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &savedBuffer);
  glGenTextures(1, &texture_);
  glBindTexture(GL_TEXTURE_2D, texture_);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  const float corners[8] = {-1, -1, 1, -1, 1, 1, -1, 1};
  glGenVertexArrays(1, &vao_);
  glBindVertexArray(vao_);
  glGenBuffers(1, &buffer_);
  glBindBuffer(GL_ARRAY_BUFFER, buffer_);
  glBufferData(GL_ARRAY_BUFFER, sizeof corners, corners, GL_STATIC_DRAW);
  glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
  glEnableVertexAttribArray(0);
  glBindVertexArray(static_cast<GLuint>(savedVao));
  glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(savedBuffer));
  glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(savedTexture));
  glActiveTexture(static_cast<GLenum>(savedActive));
}

UnitPass::~UnitPass() {
  glDeleteBuffers(1, &buffer_);
  glDeleteVertexArrays(1, &vao_);
  glDeleteTextures(1, &texture_);
  glDeleteProgram(program_);
}

double UnitPass::timeMs() {
  GLint program = 0, vao = 0, texture = 0, active = 0, framebuffer = 0, viewport[4];
  glGetIntegerv(GL_CURRENT_PROGRAM, &program);
  glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vao);
  glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
  glActiveTexture(GL_TEXTURE0);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebuffer);
  glGetIntegerv(GL_VIEWPORT, viewport);
  const GLboolean depthTest = glIsEnabled(GL_DEPTH_TEST), blend = glIsEnabled(GL_BLEND);

  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glViewport(0, 0, width_, height_);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_BLEND);  // as the show leaves it (source alpha over the rest)
  glUseProgram(program_);
  glUniform1i(glGetUniformLocation(program_, "img"), 0);
  glBindTexture(GL_TEXTURE_2D, texture_);
  glBindVertexArray(vao_);
  glFinish();
  // Several passes between two waits, so that the fixed cost of one wait
  // (waking the rasteriser threads and waiting for them) is not counted as
  // pixel work: a lone pass with its own glFinish takes about 1.6 times as
  // long on llvmpipe.
  const int passes = 4;
  const double start = nowSeconds(), cpuStart = nowSeconds(CLOCK_PROCESS_CPUTIME_ID);
  for (int i = 0; i < passes; ++i) glDrawArrays(GL_TRIANGLE_FAN, 0, 4);
  glFinish();
  const double ms = (nowSeconds() - start) * 1e3 / passes;
  cpuSamples_.push_back((nowSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpuStart) * 1e3 / passes);

  glBindVertexArray(static_cast<GLuint>(vao));
  glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
  glActiveTexture(static_cast<GLenum>(active));
  glUseProgram(static_cast<GLuint>(program));
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(framebuffer));
  glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
  if (depthTest) glEnable(GL_DEPTH_TEST);
  if (!blend) glDisable(GL_BLEND);
  samples_.push_back(ms);
  return ms;
}

double UnitPass::medianMs() const { return percentile(samples_, 50); }
double UnitPass::medianCpuMs() const { return percentile(cpuSamples_, 50); }

int runTimeline(int width, int height, double step) {
  SDL_Window* window = openWindow(width, height);
  if (window == nullptr) return 1;
  MyDemo demo(width, height);
  demo.init();
  UnitPass unit(width, height);
  size_t sceneCount = 0;
  const SceneSpan* scenes = sceneSpans(&sceneCount);
  std::printf("# scenes\nscene\tstart\tend\n");
  for (size_t i = 0; i < sceneCount; ++i) std::printf("%s\t%.3f\t%.3f\n", scenes[i].name, scenes[i].start, scenes[i].end);
  // units: the frame against the median of the last 15 reference passes, so a
  // change of the machine's load moves both alike; cpu_units the same for the
  // process's CPU time.
  std::printf("# timeline %dx%d\nt\tms\tprocess_cpu_ms\tunits\tcpu_units\tscene\n", width, height);
  // Warm-up: one frame in every scene, so that the driver's shader variants
  // are compiled before the clock runs and the plot shows drawing only.
  for (size_t i = 0; i < sceneCount; ++i) demo.show(0.5 * (scenes[i].start + scenes[i].end));
  glFinish();
  const double end = scenes[sceneCount - 1].end;
  std::vector<double> recent, recentCpu;
  const int count = static_cast<int>(std::floor(end / step));
  for (int k = 1; k < count; ++k) {
    const double t = k * step;
    const char* name = "-";
    for (size_t i = 0; i < sceneCount; ++i)
      if (scenes[i].start < t && t < scenes[i].end) name = scenes[i].name;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glFinish();
    const double w0 = nowSeconds();
    const double p0 = nowSeconds(CLOCK_PROCESS_CPUTIME_ID);
    demo.show(t);
    glFinish();
    const double ms = (nowSeconds() - w0) * 1e3;
    const double process = (nowSeconds(CLOCK_PROCESS_CPUTIME_ID) - p0) * 1e3;
    recent.push_back(unit.timeMs());
    recentCpu.push_back(unit.medianCpuMs());
    unit.reset();
    if (recent.size() > 15) recent.erase(recent.begin());
    if (recentCpu.size() > 15) recentCpu.erase(recentCpu.begin());
    std::printf("%.2f\t%.2f\t%.2f\t%.2f\t%.2f\t%s\n", t, ms, process, ms / percentile(recent, 50),
                process / percentile(recentCpu, 50), name);
  }
  std::fflush(stdout);
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}

}  // namespace lb_bench
