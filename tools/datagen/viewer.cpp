// lb-dataview: renders one mesh of the data set (or the robot) with a catalogue
// program and texture to a PNG, for looking at content on its own. It finds the
// data set as the show does (working directory, beside the program, or the
// installed share folder). Examples:
//   lb-dataview --mesh data/groups.obj --program default --texture groups
//               --eye 0,320,0 --at 0,0,0.01 --fov 55 --out shaft.png
//   lb-dataview --robot 0.8 --program hemisphere --texture cube --eye 9,3,9 --at 0,1,0 --out r.png

#include "CommandLine.h"
#include "Config.h"
#include "DataSetLocator.h"
#include "Gl.h"
#include "GlLoader.h"
#include "Hierarchy3D.h"
#include "HierarchyFile.h"
#include "Image.h"
#include "Matrix.h"
#include "Mesh3D.h"
#include "RenderBuffer.h"
#include "ShaderProgram.h"

#include <SDL.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char* const kProgram = "lb-dataview";

// Everything the command line sets, with its defaults.
struct ViewOptions {
  bool help = false;
  std::string meshPath, program, texture, out;
  bool robot = false;
  double pose = 0;  // --robot W: the running pose sin(3t) = W
  double eye[3] = {0, 0, 5}, at[3] = {0, 0, 0}, up[3] = {0, 1, 0};
  double model[6] = {0, 0, 0, 0, 0, 0};  // rotation RX,RY,RZ (radians), then translation TX,TY,TZ
  double fov = 35;                       // degrees, vertical
  double clear[3] = {0.02, 0.03, 0.07};
  int width = 640, height = 360;
};

const char* const kSynopsis =
    "usage: lb-dataview (--mesh PATH | --robot W) --program KEY --texture KEY\n"
    "         --eye X,Y,Z --at X,Y,Z [--up X,Y,Z] [--model RX,RY,RZ,TX,TY,TZ] [--fov DEG]\n"
    "         [--size WxH] [--clear R,G,B] --out FILE.png\n";

// "1,2.5,-3": exactly n numbers separated by commas.
bool parseList(const std::string& text, double* out, int n) {
  std::string s = text;
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

// A comma-separated list option of n numbers stored into `out`.
void addList(CLI::App* app, const char* name, double* out, int n, const char* about) {
  app->add_option_function<std::string>(
         name,
         [name, out, n](const std::string& text) {
           if (!parseList(text, out, n))
             throw CLI::ValidationError(name, "needs " + std::to_string(n) + " numbers separated by commas, not '" +
                                                  text + "'");
         },
         about)
      ->type_name(n == 1 ? "NUMBER" : "LIST");
}

bool parseViewOptions(int argc, char** argv, ViewOptions* o, std::string* error, std::string* help) {
  CLI::App app("Renders one mesh of the data set, or the posed robot, to a PNG.", kProgram);
  lb_cli::configure(&app, kSynopsis, "", &o->help);
  app.add_option("--mesh", o->meshPath, "an OBJ file to draw")->type_name("PATH");
  app.add_option_function<std::string>(
         "--robot",
         [o](const std::string& text) {
           o->robot = true;
           if (!parseList(text, &o->pose, 1)) throw CLI::ValidationError("--robot", "needs a number, not '" + text + "'");
         },
         "draws data/robot.hier with the running pose sin(3t) = W, placed as the\n"
         "running scene places it (model rotate(0, 4.68, 4.67), root at the origin)")
      ->type_name("W");
  app.add_option("--program", o->program, "catalogue key of the shader program")->type_name("KEY");
  app.add_option("--texture", o->texture, "catalogue key of the texture")->type_name("KEY");
  app.add_option("--out", o->out, "the PNG file to write")->type_name("FILE.png");
  addList(&app, "--eye", o->eye, 3, "camera position");
  addList(&app, "--at", o->at, 3, "point looked at");
  addList(&app, "--up", o->up, 3, "camera up (default 0,1,0)");
  addList(&app, "--model", o->model, 6, "model rotation (radians) and translation");
  addList(&app, "--fov", &o->fov, 1, "vertical field of view in degrees (default 35)");
  addList(&app, "--clear", o->clear, 3, "background colour, 0 to 1 each");
  std::string size;
  app.add_option("--size", size, "picture size in pixels (default 640x360)")->type_name("WxH");
  *help = app.help();
  if (!lb_cli::parse(&app, argc, argv, error)) return false;
  if (o->help) return true;
  char rest = 0;
  if (!size.empty() && (std::sscanf(size.c_str(), "%dx%d%c", &o->width, &o->height, &rest) != 2 || o->width <= 0 ||
                        o->height <= 0)) {
    *error = "--size needs WIDTHxHEIGHT in pixels, not '" + size + "'";
    return false;
  }
  if ((o->meshPath.empty() && !o->robot) || o->program.empty() || o->texture.empty() || o->out.empty()) {
    *error = "--mesh or --robot, --program, --texture and --out are required";
    return false;
  }
  return true;
}

bool fail(const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", kProgram, message.c_str());
  return false;
}

// Finds the data set, which may change the working directory: the output, and a
// mesh that exists from where the program was started, keep meaning the files
// the user named; a mesh path that does not is read inside the data set's folder.
bool fixPathsAndLocateDataSet(ViewOptions* o) {
  char cwd[4096];
  if (getcwd(cwd, sizeof cwd) == nullptr) return fail("cannot read the working directory");
  const auto fromStart = [&cwd](const std::string& path) { return path[0] == '/' ? path : std::string(cwd) + "/" + path; };
  o->out = fromStart(o->out);
  if (!o->meshPath.empty() && access(o->meshPath.c_str(), R_OK) == 0) o->meshPath = fromStart(o->meshPath);
  std::string error;
  return lb_engine::locateDataSet(&error) || fail(error);
}

// A hidden window with an OpenGL 4.1 core context and the GL entry points loaded.
bool openGl() {
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return fail(std::string("SDL_Init failed: ") + SDL_GetError());
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 4);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_Window* window = SDL_CreateWindow(kProgram, 0, 0, 64, 64, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (window == nullptr || SDL_GL_CreateContext(window) == nullptr)
    return fail(std::string("no OpenGL 4.1 core context: ") + SDL_GetError());
  std::string error;
  return lb_engine::loadGlEntryPoints(&error) || fail(error);
}

// Depth test and alpha blending as the show sets them, cleared to the background.
void prepareTarget(const ViewOptions& o) {
  glViewport(0, 0, o.width, o.height);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glClearColor(static_cast<float>(o.clear[0]), static_cast<float>(o.clear[1]), static_cast<float>(o.clear[2]), 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// The robot in the running scene's stride at pose w, under the camera `view`.
bool drawRobot(lb_engine::Config* config, lb_engine::ShaderProgram* prog, const lb_engine::Matrix& view,
               const lb_engine::Matrix& projection, double w) {
  lb_engine::Hierarchy3D* h = parsehierfile(config->getFile("robothier"), config->getModel("cubel"));
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
  lb_engine::Node* center = h->getNode("center");
  if (center == nullptr) return fail("the robot file has no node \"center\"");
  lb_engine::Matrix r, t;
  r.rotate(0, 4.68, 4.67);
  t.translate(0, 0, 0);
  hierdraw(center, (r * t) * view, prog, projection);
  return true;
}

// One mesh file under the model transform of --model.
bool drawMesh(const ViewOptions& o, lb_engine::ShaderProgram* prog, const lb_engine::Matrix& view,
              const lb_engine::Matrix& projection) {
  lb_engine::Mesh3D mesh(o.meshPath.c_str());
  if (mesh.cornerCount == 0) return fail(o.meshPath + ": no triangles");
  lb_engine::Matrix r, t;
  r.rotate(o.model[0], o.model[1], o.model[2]);
  t.translate(o.model[3], o.model[4], o.model[5]);
  const lb_engine::Matrix mv = (r * t) * view;
  prog->setParam("pmatrix", mv * projection);
  prog->setParam("nmatrix", mv);
  mesh.draw();
  return true;
}

bool drawView(const ViewOptions& o) {
  lb_engine::Config config(lb_engine::kCataloguePath);
  lb_engine::ShaderProgram* prog = config.getShader(o.program);
  const unsigned int tex = config.getTexture(o.texture);
  lb_engine::Matrix projection, view;
  projection.perspective(o.fov, static_cast<double>(o.width) / o.height, 0.1, 1500);
  view.lookAt(o.eye, o.at, o.up);
  prog->use();
  prog->addTexture("img", tex);
  prog->addTexture("glasstex", tex);
  prog->setParam("time", 0.0f);
  return o.robot ? drawRobot(&config, prog, view, projection, o.pose) : drawMesh(o, prog, view, projection);
}

// The bound framebuffer's pixels, bottom row last, as an opaque PNG.
bool writePicture(const ViewOptions& o) {
  std::vector<unsigned char> px(static_cast<size_t>(o.width) * o.height * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, o.width, o.height, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
  lb_datagen::Image img(o.width, o.height);
  for (int y = 0; y < o.height; ++y)
    for (int x = 0; x < o.width; ++x) {
      const unsigned char* p = &px[(static_cast<size_t>(o.height - 1 - y) * o.width + x) * 4];
      img.at(x, y) = lb_datagen::Rgba{p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f, 1};
    }
  std::string error;
  return lb_datagen::writePng(img, false, o.out, &error) || fail(error);
}

}  // namespace

int main(int argc, char** argv) {
  ViewOptions options;
  std::string error, help;
  if (!parseViewOptions(argc, argv, &options, &error, &help)) {
    std::fprintf(stderr, "%s: %s\n%s", kProgram, error.c_str(), help.c_str());
    return 2;
  }
  if (options.help) {
    std::printf("%s", help.c_str());
    return 0;
  }
  if (!fixPathsAndLocateDataSet(&options) || !openGl()) return 1;
  lb_engine::RenderBuffer target(options.width, options.height, 0, 1, true);
  if (target.getError()) return 1;  // the render buffer has said why
  glBindFramebuffer(GL_FRAMEBUFFER, target.getFramebuffer());
  prepareTarget(options);
  return drawView(options) && writePicture(options) ? 0 : 1;
}
