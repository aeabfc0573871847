// lb-dataview: renders one mesh of the data set (or the robot) with a catalogue
// program and texture to a PNG, for looking at content on its own.
// Run in the build folder (it loads data/config.txt). Example:
//   lb-dataview --mesh data/groups.obj --program default --texture groups
//               --eye 0,320,0 --at 0,0,0.01 --fov 55 --out shaft.png
//   lb-dataview --robot 0.8 --program hemisphere --texture cube --eye 9,3,9 --at 0,1,0 --out r.png
//   lb-dataview --bench-post 40 --size 1280x720   (milliseconds per full-screen pass)

#include "Config.h"
#include "Gl.h"
#include "GlLoader.h"
#include "Hierarchy3D.h"
#include "HierarchyFile.h"
#include "Image.h"
#include "Matrix.h"
#include "Mesh3D.h"
#include "ShaderProgram.h"
#include "Sprite.h"

#include <SDL.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

bool parseList(const char* text, double* out, int n) {
  std::string s(text);
  for (int i = 0; i < n; ++i) {
    char* end = nullptr;
    out[i] = std::strtod(s.c_str(), &end);
    if (end == s.c_str()) return false;
    s = end;
    if (i + 1 < n) {
      if (s.empty() || s[0] != ',') return false;
      s.erase(0, 1);
    }
  }
  return s.empty();
}

int usage(const char* why) {
  std::fprintf(stderr,
               "lb-dataview: %s\nusage: lb-dataview (--mesh PATH | --robot W) --program KEY --texture KEY\n"
               "  --eye X,Y,Z --at X,Y,Z [--up X,Y,Z] [--model RX,RY,RZ,TX,TY,TZ] [--fov DEG]\n"
               "  [--size WxH] [--clear R,G,B] --out FILE.png\n"
               "  --robot W draws data/robot.hier with the running pose sin(3t) = W, placed as the\n"
               "  running scene places it (model rotate(0, 4.68, 4.67), root at the origin).\n"
               "  --bench-post N times N full-screen passes of each post-processing program.\n",
               why);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string meshPath, program, texture, out;
  bool robot = false;
  double benchPasses = 0;
  double w = 0, eye[3] = {0, 0, 5}, at[3] = {0, 0, 0}, up[3] = {0, 1, 0}, model[6] = {0, 0, 0, 0, 0, 0};
  double fov = 35, clear[3] = {0.02, 0.03, 0.07};
  int width = 640, height = 360;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (i + 1 >= argc) return usage(("missing value after " + a).c_str());
    const char* v = argv[++i];
    bool ok = true;
    if (a == "--mesh") meshPath = v;
    else if (a == "--robot") robot = true, ok = parseList(v, &w, 1);
    else if (a == "--bench-post") ok = parseList(v, &benchPasses, 1) && benchPasses >= 1;
    else if (a == "--program") program = v;
    else if (a == "--texture") texture = v;
    else if (a == "--out") out = v;
    else if (a == "--eye") ok = parseList(v, eye, 3);
    else if (a == "--at") ok = parseList(v, at, 3);
    else if (a == "--up") ok = parseList(v, up, 3);
    else if (a == "--model") ok = parseList(v, model, 6);
    else if (a == "--fov") ok = parseList(v, &fov, 1);
    else if (a == "--clear") ok = parseList(v, clear, 3);
    else if (a == "--size") ok = std::sscanf(v, "%dx%d", &width, &height) == 2 && width > 0 && height > 0;
    else return usage(("unknown option " + a).c_str());
    if (!ok) return usage(("bad value for " + a + ": " + v).c_str());
  }
  if (benchPasses == 0 && ((meshPath.empty() && !robot) || program.empty() || texture.empty() || out.empty()))
    return usage("--mesh or --robot, --program, --texture and --out are required");

  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "lb-dataview: SDL_Init failed: %s\n", SDL_GetError());
    return 1;
  }
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_Window* window = SDL_CreateWindow("lb-dataview", 0, 0, 64, 64, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (window == nullptr || SDL_GL_CreateContext(window) == nullptr) {
    std::fprintf(stderr, "lb-dataview: no OpenGL 4.1 core context: %s\n", SDL_GetError());
    return 1;
  }
  std::string glError;
  if (!lb_engine::loadGlEntryPoints(&glError)) {
    std::fprintf(stderr, "lb-dataview: %s\n", glError.c_str());
    return 1;
  }

  // Off-screen target: one colour texture and a depth buffer.
  GLuint fbo = 0, color = 0, depth = 0;
  glGenFramebuffers(1, &fbo);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo);
  glGenTextures(1, &color);
  glBindTexture(GL_TEXTURE_2D, color);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, color, 0);
  glGenRenderbuffers(1, &depth);
  glBindRenderbuffer(GL_RENDERBUFFER, depth);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    std::fprintf(stderr, "lb-dataview: off-screen framebuffer incomplete\n");
    return 1;
  }
  glViewport(0, 0, width, height);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glClearColor(static_cast<float>(clear[0]), static_cast<float>(clear[1]), static_cast<float>(clear[2]), 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

  lb_engine::Config config("data/config.txt");
  if (benchPasses > 0) {
    // Inputs like a render buffer's: two colour textures and a depth texture
    // filled with a varied picture, so every tap reads real data.
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
    GLuint inputs[3];
    glGenTextures(3, inputs);
    for (int k = 0; k < 2; ++k) {
      glBindTexture(GL_TEXTURE_2D, inputs[k]);
      glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    }
    glBindTexture(GL_TEXTURE_2D, inputs[2]);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT24, width, height, 0, GL_DEPTH_COMPONENT, GL_FLOAT,
                 depthValues.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
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
      const auto start = std::chrono::steady_clock::now();
      for (int i = 0; i < static_cast<int>(benchPasses); ++i) quad.draw();
      glFinish();
      const double ms =
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / benchPasses;
      std::printf("%-15s %7.2f ms per %dx%d pass\n", key, ms, width, height);
    }
    return 0;
  }
  lb_engine::ShaderProgram* prog = config.getShader(program);
  const unsigned int tex = config.getTexture(texture);
  lb_engine::Matrix projection, view, r, t;
  projection.perspective(fov, static_cast<double>(width) / height, 0.1, 1500);
  view.lookAt(eye, at, up);
  prog->use();
  prog->addTexture("img", tex);
  prog->addTexture("glasstex", tex);
  prog->setParam("time", 0.0f);
  if (robot) {
    lb_engine::Mesh3D* cube = config.getModel("cubel");
    lb_engine::Hierarchy3D* h = parsehierfile(config.getFile("robothier"), cube);
    auto pose = [&](const char* name, double angle) {
      lb_engine::Matrix m;
      m.rotate(0, angle, 0);
      if (h->getNode(name) != nullptr) h->getNode(name)->updateMatrix(m, false);
    };
    pose("leftleg", w);
    pose("leftknee", std::min(1.0, 2 + 2 * w));
    pose("rightshoulder", w);
    pose("rightleg", -w);
    pose("rightknee", std::min(1.0, 2 - 2 * w));
    pose("leftshoulder", -w);
    pose("leftelbow", -1.47);
    pose("rightelbow", -1.47);
    r.rotate(0, 4.68, 4.67);
    t.translate(0, 0, 0);
    lb_engine::Node* center = h->getNode("center");
    if (center == nullptr) {
      std::fprintf(stderr, "lb-dataview: the robot file has no node \"center\"\n");
      return 1;
    }
    hierdraw(center, (r * t) * view, prog, projection);
  } else {
    lb_engine::Mesh3D mesh(meshPath.c_str());
    if (mesh.cornerCount == 0) {
      std::fprintf(stderr, "lb-dataview: %s: no triangles\n", meshPath.c_str());
      return 1;
    }
    r.rotate(model[0], model[1], model[2]);
    t.translate(model[3], model[4], model[5]);
    const lb_engine::Matrix mv = (r * t) * view;
    prog->setParam("pmatrix", mv * projection);
    prog->setParam("nmatrix", mv);
    mesh.draw();
  }

  std::vector<unsigned char> px(static_cast<size_t>(width) * height * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
  lb_datagen::Image img(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const unsigned char* p = &px[(static_cast<size_t>(height - 1 - y) * width + x) * 4];
      img.at(x, y) = lb_datagen::Rgba{p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f, 1};
    }
  std::string error;
  if (!lb_datagen::writePng(img, false, out, &error)) {
    std::fprintf(stderr, "lb-dataview: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
