// Start-up and frame-time figures of the show itself, in a hidden window with
// the same MyDemo the show builds.

#include "Config.h"
#include "DataSetLocator.h"
#include "DataSetContract.h"
#include "Gl.h"
#include "GlLoader.h"
#include "HierarchyFile.h"
#include "Mesh3D.h"
#include "MyDemo.h"
#include "RenderBuffer.h"
#include "ShaderProgram.h"
#include "Sprite.h"
#include "Texture.h"
#include "bench.h"
#include "bench_units.h"

#include <SDL.h>

#include <cstdio>
#include <sstream>
#include <string>

namespace lb_bench {

namespace {

const SceneSpan kScenes[] = {{"GroupTitle", 0.0, 4.817},        {"MarchingCubes", 4.817, 21.067},
                             {"BouncingCubes", 21.067, 33.9},   {"BouncingCubes2", 33.9, 42.067},
                             {"Sinkhole", 42.067, 61.692},      {"Greetings", 61.692, 91.017},
                             {"RobotCave", 91.017, 98.0},       {"RobotIntro", 98.0, 102.476},
                             {"RobotRunning", 102.476, 121.639}, {"FallingApart", 121.639, 128.0}};

}  // namespace

const SceneSpan* sceneSpans(size_t* count) {
  *count = sizeof kScenes / sizeof kScenes[0];
  return kScenes;
}

SDL_Window* openWindow(int width, int height) {
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return nullptr;
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_Window* window = SDL_CreateWindow("lb_bench", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (window == nullptr || SDL_GL_CreateContext(window) == nullptr) {
    std::fprintf(stderr, "lb_bench: no OpenGL 4.1 core context: %s\n", SDL_GetError());
    return nullptr;
  }
  SDL_GL_SetSwapInterval(0);
  std::string error;
  if (!lb_engine::loadGlEntryPoints(&error)) {
    std::fprintf(stderr, "lb_bench: %s\n", error.c_str());
    return nullptr;
  }
  glViewport(0, 0, width, height);
  return window;
}

namespace {

// Inputs like a render buffer's: two colour textures and a depth texture
// filled with a varied picture, so that every tap reads real data.
void makePostInputs(int width, int height, GLuint inputs[3]) {
  std::vector<unsigned char> rgba(static_cast<size_t>(width) * height * 4);
  std::vector<float> depthValues(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const size_t i = static_cast<size_t>(y) * width + x;
      rgba[i * 4] = static_cast<unsigned char>(x * 7);
      rgba[i * 4 + 1] = static_cast<unsigned char>(y * 5);
      rgba[i * 4 + 2] = static_cast<unsigned char>((x ^ y) * 3);
      rgba[i * 4 + 3] = 255;
      depthValues[i] = 0.9f + 0.1f * static_cast<float>(x) / width;
    }
  glGenTextures(3, inputs);
  for (int k = 0; k < 3; ++k) {
    glBindTexture(GL_TEXTURE_2D, inputs[k]);
    if (k < 2)
      glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    else
      glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT24, width, height, 0, GL_DEPTH_COMPONENT, GL_FLOAT,
                   depthValues.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  }
}

}  // namespace

int runFrames(const FrameOptions& options) {
  const int width = options.width, height = options.height, frames = options.count;
  SDL_Window* window = openWindow(width, height);
  if (window == nullptr) return 1;
  MyDemo demo(width, height);
  demo.init();
  UnitPass unit(width, height);
  std::printf("# frames %dx%d\nscene\tmedian_ms\tp95_ms\tfps_median\tshow_cpu_ms\tprocess_cpu_ms\tunit_ms\tunits\tunit_cpu_ms\tcpu_units\tfragments_per_pixel\n",
              width, height);
  for (const SceneSpan& s : kScenes) {
    if (!options.only.empty() && options.only != s.name) continue;
    // process: CPU time of all the process's threads (llvmpipe rasterises on its
    // own threads) per frame, which other programs' load inflates far less than
    // the wall time.
    std::vector<double> wall, cpu, process;
    const double step = (s.end - s.start) / (frames + 1);
    // Warm-up (driver state for this scene's programs), counting the fragments
    // that pass the depth test, every pass of the frame together, as a
    // multiple of the window's pixels: overdraw plus one per full-screen pass.
    GLuint query = 0;
    glGenQueries(1, &query);
    glBeginQuery(GL_SAMPLES_PASSED, query);
    demo.show(s.start + step * (frames / 2 + 1));
    glEndQuery(GL_SAMPLES_PASSED);
    GLuint64 fragments = 0;
    glGetQueryObjectui64v(query, GL_QUERY_RESULT, &fragments);
    glDeleteQueries(1, &query);
    glFinish();
    unit.reset();
    for (int k = 0; k < frames; ++k) {
      const double t = s.start + step * (k + 1);
      const double w0 = nowSeconds();
      const double p0 = nowSeconds(CLOCK_PROCESS_CPUTIME_ID);
      const double c0 = nowSeconds(CLOCK_THREAD_CPUTIME_ID);
      demo.show(t);
      const double c1 = nowSeconds(CLOCK_THREAD_CPUTIME_ID);
      glFinish();
      wall.push_back((nowSeconds() - w0) * 1e3);
      cpu.push_back((c1 - c0) * 1e3);
      process.push_back((nowSeconds(CLOCK_PROCESS_CPUTIME_ID) - p0) * 1e3);
      unit.timeMs();  // the reference pass, between this scene's frames
    }
    const double median = percentile(wall, 50);
    // units: this scene's frame against the reference pass timed between its
    // frames; cpu_units the same for the process's CPU time.
    std::printf("%s\t%.2f\t%.2f\t%.1f\t%.3f\t%.2f\t%.3f\t%.2f\t%.3f\t%.2f\t%.2f\n", s.name, median, percentile(wall, 95),
                1000.0 / median, percentile(cpu, 50), percentile(process, 50), unit.medianMs(),
                median / unit.medianMs(), unit.medianCpuMs(), percentile(process, 50) / unit.medianCpuMs(),
                static_cast<double>(fragments) / (static_cast<double>(width) * height));
    std::fflush(stdout);
  }
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}

// From main() to the first finished frame, as the show does it: window,
// context, catalogue, scenes, one frame. The process start itself (exec and
// dynamic linking) is measured by the caller around this command.
int runStartup() {
  const double t0 = nowSeconds();
  SDL_Window* window = openWindow(1280, 720);
  if (window == nullptr) return 1;
  const double tContext = nowSeconds();
  MyDemo demo(1280, 720);
  demo.init();
  const double tInit = nowSeconds();
  demo.show(0.5);
  glFinish();
  SDL_GL_SwapWindow(window);
  const double tFrame = nowSeconds();
  timespec real;
  clock_gettime(CLOCK_REALTIME, &real);
  std::printf("# startup\nstep\tms\nwindow+context\t%.1f\ninit\t%.1f\nfirst frame\t%.1f\nmain to first frame\t%.1f\n",
              (tContext - t0) * 1e3, (tInit - tContext) * 1e3, (tFrame - tInit) * 1e3, (tFrame - t0) * 1e3);
  std::printf("first_frame_realtime\t%.6f\n", real.tv_sec + real.tv_nsec * 1e-9);
  SDL_Quit();
  return 0;
}

// Loading time by kind of asset: everything the catalogue lists, then the meshes
// the scenes open by path and the robot hierarchies, loaded with the engine's
// own classes in the order the show loads them. Run in a fresh process.
int runStartupSplit() {
  SDL_Window* window = openWindow(320, 180);
  if (window == nullptr) return 1;
  double shaders = 0, textures = 0, meshes = 0, pathMeshes = 0, hierarchies = 0;
  int nShaders = 0, nTextures = 0, nMeshes = 0, nPathMeshes = 0;
  std::string robotFile;
  for (const lb_dataset::Entry& e : lb_dataset::contract()) {
    const double t0 = nowSeconds();
    if (e.kind == lb_dataset::Kind::kShader) {
      auto* p = new lb_engine::ShaderProgram();
      p->addShader(e.file, GL_FRAGMENT_SHADER);
      p->addShader(e.vertex, GL_VERTEX_SHADER);
      p->compile();
      glFinish();
      shaders += nowSeconds() - t0;
      ++nShaders;
    } else if (e.kind == lb_dataset::Kind::kTexture) {
      const std::string path = e.file;
      const bool jpeg = path.size() >= 3 && path.compare(path.size() - 3, 3, "jpg") == 0;
      lb_engine::Texture texture(e.file, jpeg ? lb_engine::IMG_JPEG : lb_engine::IMG_PNG);
      glFinish();
      textures += nowSeconds() - t0;
      ++nTextures;
    } else if (e.kind == lb_dataset::Kind::kMesh) {
      new lb_engine::Mesh3D(e.file);
      meshes += nowSeconds() - t0;
      ++nMeshes;
    } else if (e.kind == lb_dataset::Kind::kFile) {
      robotFile = e.file;
    } else {
      // Opened by path once by every scene that uses it.
      std::istringstream scenes(e.scenes);
      for (std::string scene; scenes >> scene; ++nPathMeshes) new lb_engine::Mesh3D(e.file);
      pathMeshes += nowSeconds() - t0;
    }
  }
  const double t0 = nowSeconds();
  for (int i = 0; i < 5 && !robotFile.empty(); ++i) parsehierfile(robotFile, nullptr);
  hierarchies = nowSeconds() - t0;
  std::printf("# startup-split\nkind\tcount\tms\n");
  std::printf("shader programs\t%d\t%.1f\ntextures\t%d\t%.1f\ncatalogue meshes\t%d\t%.1f\n", nShaders, shaders * 1e3,
              nTextures, textures * 1e3, nMeshes, meshes * 1e3);
  std::printf("meshes by path\t%d\t%.1f\nrobot hierarchies\t5\t%.1f\n", nPathMeshes, pathMeshes * 1e3,
              hierarchies * 1e3);
  SDL_Quit();
  return 0;
}

// One full-screen pass of each post-processing program over inputs of the
// frame size, averaged over `passes` passes after one warm-up pass.
int runPost(int passes, int width, int height) {
  SDL_Window* window = openWindow(width, height);
  if (window == nullptr) return 1;
  lb_engine::Config config(lb_engine::kCataloguePath);
  // Drawn into a target of the frame size, as a scene's composite would be.
  lb_engine::RenderBuffer target(width, height, 0, 1, true);
  glBindFramebuffer(GL_FRAMEBUFFER, target.getFramebuffer());
  glViewport(0, 0, width, height);
  GLuint inputs[3];
  makePostInputs(width, height, inputs);
  lb_engine::Sprite quad;
  glDisable(GL_DEPTH_TEST);
  for (const char* key : {"layer", "postprocessing", "dof", "postgloom", "layer"}) {
    lb_engine::ShaderProgram* p = config.getShader(key);
    p->use();
    p->addTexture("color0", inputs[0]);
    p->addTexture("color1", inputs[1]);
    p->addTexture("depth", inputs[2]);
    p->addTexture("img", inputs[0]);
    p->setParam("fade", 0.5f);
    quad.draw();
    glFinish();
    const double start = nowSeconds();
    for (int i = 0; i < passes; ++i) quad.draw();
    glFinish();
    std::printf("%-15s %7.2f ms per %dx%d pass\n", key, (nowSeconds() - start) * 1e3 / passes, width, height);
  }
  SDL_Quit();
  return 0;
}

}  // namespace lb_bench
