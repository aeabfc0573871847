#include "DataGenerator.h"

#include "Geometry.h"
#include "Robot.h"
#include "Textures.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace lb_datagen {

namespace {

// Title letters use the upper three quarters of the "background" picture for
// their faces and its dark lower quarter for their sides.
SolidTextStyle letterStyle(double scale, double depth) {
  SolidTextStyle s;
  s.scale = scale;
  s.depth = depth;
  s.u0 = 0.02;
  s.u1 = 0.98;
  s.v0 = 0.27;
  s.v1 = 0.99;
  s.uRim = 0.5;
  s.vRim = 0.1;
  return s;
}

// Height of a capital letter of the text font, in em.
constexpr double kCapHeightEm = 0.729;

double outlineWidth(const std::vector<Contour>& o) {
  P2 lo, hi;
  outlineBounds(o, &lo, &hi);
  return hi.x - lo.x;
}
double outlineHeight(const std::vector<Contour>& o) {
  P2 lo, hi;
  outlineBounds(o, &lo, &hi);
  return hi.y - lo.y;
}

// Text frame of the opening scenes: reading along +x, up along -z, facing +y.
Frame titleFrame(double x, double z) {
  Frame f;
  f.origin = Vec3(x, 0, z);
  f.right = Vec3(1, 0, 0);
  f.up = Vec3(0, 0, -1);
  f.front = Vec3(0, 1, 0);
  return f;
}

bool writeFile(const std::string& path, const std::string& bytes, std::string* error) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (out) out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (out) out.close();
  if (!out) {
    *error = path + ": cannot write";
    return false;
  }
  return true;
}

bool readFile(const std::string& path, std::string* bytes, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = path + ": cannot read";
    return false;
  }
  std::ostringstream s;
  s << in.rdbuf();
  *bytes = s.str();
  return true;
}

}  // namespace

MeshBuilder makeTitleMesh(const Font& font) {
  MeshBuilder m;
  const std::vector<Contour> text = font.outline("Quasar Fern", 0.02);
  const double width = 11.4;  // fits the +-7.5 visible at the title's distance
  solidText(&m, text, titleFrame(0, 0), letterStyle(width / outlineWidth(text), 0.55));
  return m;
}

MeshBuilder makeCreatorsMesh(const Font& font, const std::vector<Credit>& credits) {
  MeshBuilder m;
  for (size_t i = 0; i < credits.size() && i < 3; ++i) {
    const double x = kCreditStops[i];
    // Role in small letters, handle below it in large ones, both centred on the
    // stop position and kept under the title (which reaches z = +0.85).
    const std::vector<Contour> role = font.outline(credits[i].role, 0.01);
    const std::vector<Contour> handle = font.outline(credits[i].handle, 0.01);
    const double roleScale = 0.5 / kCapHeightEm;  // capitals 0.5 units high
    double handleScale = 0.95 / kCapHeightEm;
    handleScale = std::min(handleScale, 11.0 / outlineWidth(handle));  // narrower than the screen
    const double roleHeight = outlineHeight(role) * roleScale, handleHeight = outlineHeight(handle) * handleScale;
    const double top = 1.6;
    solidText(&m, role, titleFrame(x, top + 0.5 * roleHeight), letterStyle(roleScale, 0.3));
    solidText(&m, handle, titleFrame(x, top + roleHeight + 0.3 + 0.5 * handleHeight), letterStyle(handleScale, 0.4));
  }
  return m;
}

MeshBuilder makeGroupsMesh(const Font& font, const std::vector<std::string>& names) {
  MeshBuilder m = makeShaft();
  // Text frame for plates seen from above by the falling camera: screen right
  // is world +z and screen up world +x, so letters read along +z, their up is
  // +x and they face +y.
  SolidTextStyle style;
  style.u0 = 0.52;
  style.u1 = 0.98;
  style.v0 = 0.52;
  style.v1 = 0.98;
  style.uRim = 0.75;
  style.vRim = 0.25;
  // The letters stand on their plates (their back face lies on the plate's top)
  // and the eye stays above every plate, so the back face is never seen.
  style.back = false;
  // Screen layout, worked out for the camera half-way down its fall (height
  // 185): with the 55-degree view, a point d below the eye and r from the axis
  // shows at r / (0.52 d) of the half-height from the picture's centre. The
  // first eight names sit on a wide outer ellipse (screen right is world +z, so
  // the ellipse is long in z), the deeper rest on an inner one between them;
  // letter height grows with depth so every name reads at about the same size.
  const double eyeMid = 185;
  const double kPi = 3.14159265358979323846;
  const size_t outerCount = std::min<size_t>(8, names.size());
  const size_t innerCount = names.size() - outerCount;
  for (size_t k = 0; k < names.size(); ++k) {
    const bool outer = k < outerCount;
    const size_t j = outer ? k : k - outerCount;
    const double h = outer ? 168.0 - 7.0 * static_cast<double>(j) : 110.0 - 12.0 * static_cast<double>(j);
    const double d = eyeMid - h;
    const double capHeight = (outer ? 0.037 : 0.032) * d + 0.3;
    const std::vector<Contour> text = font.outline(names[k], 0.01);
    const double scale = capHeight / kCapHeightEm;
    const double halfLen = 0.5 * outlineWidth(text) * scale + 0.5 * capHeight;   // plate half-size along z
    const double halfWid = 0.5 * outlineHeight(text) * scale + 0.4 * capHeight;  // along x
    const double turn = outer ? 2 * kPi * static_cast<double>(j) / static_cast<double>(outerCount) + 0.2
                              : 2 * kPi * (static_cast<double>(j) + 0.5) / static_cast<double>(std::max<size_t>(1, innerCount)) + 0.2;
    const double ax = (outer ? 0.74 : 0.40) * 0.52 * d, az = (outer ? 1.3 : 0.72) * 0.52 * d;
    double rho = 1.0;
    double xc = ax * std::cos(turn), zc = az * std::sin(turn);
    // Push the plate outwards until its rectangle clears the glass tube (and the
    // cubes inside it) by a margin.
    const double clear = kGlassRadius + 0.8;
    for (int i = 0; i < 400; ++i) {
      const double nx = std::max(0.0, std::fabs(xc) - halfWid), nz = std::max(0.0, std::fabs(zc) - halfLen);
      if (std::hypot(nx, nz) >= clear) break;
      rho += 0.02;
      xc = rho * ax * std::cos(turn);
      zc = rho * az * std::sin(turn);
    }
    // ... and pull it back in if a corner would reach into the shaft wall.
    const double wall = shaftRadius(h) - 1.0;
    while (rho > 0.3 && std::hypot(std::fabs(xc) + halfWid, std::fabs(zc) + halfLen) > wall) {
      rho -= 0.02;
      xc = rho * ax * std::cos(turn);
      zc = rho * az * std::sin(turn);
    }
    const double plateHalfThick = 0.06 * capHeight + 0.05;
    m.box(Vec3(xc, h - plateHalfThick, zc), Vec3(halfWid, 0, 0), Vec3(0, plateHalfThick, 0),
          Vec3(0, 0, halfLen), 0.5, 0.0, 1.0, 0.5);
    // A slim beam from the plate's centre out to the shaft wall carries it.
    const Vec3 dir = normalized(Vec3(xc, 0, zc));
    const double r0 = std::hypot(xc, zc), beamEnd = shaftRadius(h) + 1.0;
    if (beamEnd > r0) {
      const Vec3 mid = Vec3(xc, 0, zc) + dir * (0.5 * (beamEnd - r0));
      m.box(Vec3(mid.x, h - 3.0 * plateHalfThick, mid.z), dir * (0.5 * (beamEnd - r0)),
            Vec3(0, plateHalfThick, 0), cross(Vec3(0, 1, 0), dir) * (0.12 * capHeight), 0.52, 0.02, 0.54,
            0.04);
    }
    Frame f;
    style.scale = scale;
    style.depth = 0.22 * capHeight;
    f.origin = Vec3(xc, h + 0.5 * style.depth, zc);
    f.right = Vec3(0, 0, 1);
    f.up = Vec3(1, 0, 0);
    f.front = Vec3(0, 1, 0);
    solidText(&m, text, f, style);
  }
  return m;
}

bool readLines(const std::string& path, std::vector<std::string>* lines, std::string* error) {
  std::string text;
  if (!readFile(path, &text, error)) return false;
  lines->clear();
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    lines->push_back(line);
  }
  return true;
}

std::string catalogueText() {
  return "Shader gloom data/gloom.frag data/mesh.vert\n"
         "Shader postgloom data/postgloom.frag data/quad.vert\n"
         "Shader default data/default.frag data/mesh.vert\n"
         "Shader dof data/dof.frag data/quad.vert\n"
         "Shader postprocessing data/postprocessing.frag data/quad.vert\n"
         "Shader glass data/glass.frag data/mesh.vert\n"
         "Shader hemisphere data/hemisphere.frag data/hemisphere.vert\n"
         "Shader layer data/layer.frag data/quad.vert\n"
         "Texture background data/background.png\n"
         "Texture cube data/cube.png\n"
         "Texture circuit data/circuit.jpg\n"
         "Texture sinkhole data/sinkhole.jpg\n"
         "Texture groups data/groups.jpg\n"
         "Texture glasstube data/glasstube.png\n"
         "Texture robotfloor data/robotfloor.jpg\n"
         "Texture robottunel data/robottunel.jpg\n"
         "Texture title data/title.png\n"
         "Mesh creators data/creators.obj\n"
         "Mesh cube data/cube.obj\n"
         "Mesh groups data/groups.obj\n"
         "Mesh glasstube data/glasstube.obj\n"
         "Mesh robotfloor data/robotfloor.obj\n"
         "Mesh robottunel data/robottunel.obj\n"
         "Mesh cubel data/cubel.obj\n"
         "File robothier data/robot.hier\n";
}

bool generateDataSet(const std::string& contentDir, const std::string& outDir, const std::string& fontPath,
                     std::string* error) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::create_directories(outDir, ec);
  if (ec) {
    *error = outDir + ": cannot create the folder: " + ec.message();
    return false;
  }
  const std::string out = outDir + "/";
  const Font font(fontPath);
  if (!font.ok()) {
    *error = font.error();
    return false;
  }

  // Shaders: copied unchanged.
  const char* shaders[] = {"mesh.vert",      "hemisphere.vert", "quad.vert",          "gloom.frag",
                           "postgloom.frag", "default.frag",    "dof.frag",           "postprocessing.frag",
                           "glass.frag",     "hemisphere.frag", "layer.frag"};
  for (const char* name : shaders) {
    std::string text;
    if (!readFile(contentDir + "/shaders/" + name, &text, error)) return false;
    if (!writeFile(out + name, text, error)) return false;
  }

  // Robot.
  {
    std::string text;
    const std::string src = contentDir + "/robot/robot.parts";
    if (!readFile(src, &text, error)) return false;
    std::vector<RobotPart> parts;
    if (!parseRobotParts(text, src, &parts, error)) return false;
    if (!writeFile(out + "robot.hier", robotHierarchy(parts), error)) return false;
  }

  // Text.
  std::vector<std::string> creditLines, names;
  if (!readLines(contentDir + "/text/credits.txt", &creditLines, error)) return false;
  if (!readLines(contentDir + "/text/greetings.txt", &names, error)) return false;
  std::vector<Credit> credits;
  for (const std::string& l : creditLines) {
    const size_t bar = l.find('|');
    if (bar == std::string::npos) {
      *error = contentDir + "/text/credits.txt: expected 'role|handle' in: " + l;
      return false;
    }
    credits.push_back({l.substr(0, bar), l.substr(bar + 1)});
  }
  if (credits.size() != 3) {
    *error = contentDir + "/text/credits.txt: expected exactly three credit blocks";
    return false;
  }

  // Meshes.
  struct MeshFile {
    const char* name;
    MeshBuilder mesh;
  };
  const MeshFile meshes[] = {
      {"demogroup.obj", makeTitleMesh(font)},
      {"creators.obj", makeCreatorsMesh(font, credits)},
      {"cube.obj", makeCube()},
      {"cubel.obj", makeBevelledCube(0.06)},
      {"tunnel.obj", makeTunnel()},
      {"sinkhole.obj", makeSinkhole()},
      {"groups.obj", makeGroupsMesh(font, names)},
      {"glasstube.obj", makeGlassTube()},
      {"robotfloor.obj", makeCorridorFloor()},
      {"robottunel.obj", makeCorridorTunnel()},
  };
  for (const MeshFile& mf : meshes)
    if (!writeFile(out + mf.name, mf.mesh.toObj(std::string("Lattice Bloom data set: ") + mf.name), error))
      return false;

  // Pictures: JPEG for the opaque tiling surfaces, PNG where alpha matters or
  // edges must stay crisp.
  if (!writeJpeg(makeCircuit(512), 90, out + "circuit.jpg", error)) return false;
  if (!writeJpeg(makeSinkholeGround(512), 90, out + "sinkhole.jpg", error)) return false;
  if (!writeJpeg(makeGroupsAtlas(1024), 90, out + "groups.jpg", error)) return false;
  if (!writeJpeg(makeRobotFloor(512), 90, out + "robotfloor.jpg", error)) return false;
  if (!writeJpeg(makeRobotWall(512), 90, out + "robottunel.jpg", error)) return false;
  if (!writePng(makeCubeFace(256), false, out + "cube.png", error)) return false;
  if (!writePng(makeLetterFace(512), false, out + "background.png", error)) return false;
  if (!writePng(makeGlass(256), true, out + "glasstube.png", error)) return false;
  if (!writePng(makeTitleCard(font, 1280, 720), true, out + "title.png", error)) return false;

  // The catalogue last: its time stamp marks a complete data set.
  return writeFile(out + "config.txt", catalogueText(), error);
}

}  // namespace lb_datagen
