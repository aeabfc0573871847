#include "Icon.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace lb_datagen {

namespace {

const double kPi = 3.14159265358979323846;

// The show's colours: the cubes' navy faces lit from above, their cyan-white
// edges and lattice, the title's magenta and cyan.
const Rgba kBackground{0.03f, 0.05f, 0.09f, 1};
const Rgba kGlow{0.07f, 0.16f, 0.24f, 1};
const Rgba kMagenta{1.0f, 0.38f, 0.86f, 1};
const Rgba kCyan{0.45f, 1.0f, 0.95f, 1};
const Rgba kTopFace{0.20f, 0.34f, 0.50f, 1};
const Rgba kLeftFace{0.10f, 0.20f, 0.33f, 1};
const Rgba kRightFace{0.06f, 0.13f, 0.23f, 1};
const Rgba kEdge{0.78f, 1.0f, 1.0f, 1};
const Rgba kLattice{0.35f, 0.75f, 0.85f, 0.8f};

P2 lerp(const P2& a, const P2& b, double t) { return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; }

// A line from a to b drawn as a quad `width` units wide.
Contour stroke(const P2& a, const P2& b, double width) {
  const double dx = b.x - a.x, dy = b.y - a.y, len = std::hypot(dx, dy);
  const double nx = -dy / len * width / 2, ny = dx / len * width / 2;
  return {{a.x + nx, a.y + ny}, {b.x + nx, b.y + ny}, {b.x - nx, b.y - ny}, {a.x - nx, a.y - ny}};
}

// A square from (x0, y0) to (x1, y1) with corners rounded to `radius`.
Contour roundedSquare(double x0, double y0, double x1, double y1, double radius) {
  const int steps = 8;  // per quarter circle
  const P2 centres[4] = {{x1 - radius, y0 + radius}, {x1 - radius, y1 - radius},
                         {x0 + radius, y1 - radius}, {x0 + radius, y0 + radius}};
  Contour c;
  for (int corner = 0; corner < 4; ++corner)
    for (int i = 0; i <= steps; ++i) {
      const double a = (corner - 1) * kPi / 2 + i * (kPi / 2) / steps;  // starts at -90 degrees, y down
      c.push_back({centres[corner].x + radius * std::cos(a), centres[corner].y + radius * std::sin(a)});
    }
  return c;
}

Contour circle(const P2& centre, double radius, int steps) {
  Contour c;
  for (int i = 0; i < steps; ++i) {
    const double a = 2 * kPi * i / steps;
    c.push_back({centre.x + radius * std::cos(a), centre.y + radius * std::sin(a)});
  }
  return c;
}

// A petal pointing at `angle` (radians, y down): a kite from `inner` to `tip`
// units from the centre, `halfWidth` wide at its widest.
Contour petal(const P2& centre, double angle, double inner, double widest, double tip, double halfWidth) {
  const double ux = std::cos(angle), uy = std::sin(angle);
  auto at = [&](double along, double across) {
    return P2{centre.x + ux * along - uy * across, centre.y + uy * along + ux * across};
  };
  return {at(inner, 0), at(widest, halfWidth), at(tip, 0), at(widest, -halfWidth)};
}

struct Sample {
  float r = 0, g = 0, b = 0, a = 0;  // premultiplied
  void over(const Rgba& c) {
    const float k = 1 - c.a;
    r = c.r * c.a + r * k;
    g = c.g * c.a + g * k;
    b = c.b * c.a + b * k;
    a = c.a + a * k;
  }
};

struct Box {
  double x0, y0, x1, y1;
};

Box bounds(const Contour& c) {
  Box b{c[0].x, c[0].y, c[0].x, c[0].y};
  for (const P2& p : c) {
    b.x0 = std::min(b.x0, p.x);
    b.y0 = std::min(b.y0, p.y);
    b.x1 = std::max(b.x1, p.x);
    b.y1 = std::max(b.y1, p.y);
  }
  return b;
}

std::string hexColour(const Rgba& c) {
  auto q = [](float v) { return static_cast<int>(std::lround(std::min(1.0f, std::max(0.0f, v)) * 255.0f)); };
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", q(c.r), q(c.g), q(c.b));
  return text;
}

void putLe16(std::string* out, unsigned v) {
  out->push_back(static_cast<char>(v & 0xff));
  out->push_back(static_cast<char>((v >> 8) & 0xff));
}

void putLe32(std::string* out, uint32_t v) {
  putLe16(out, v & 0xffff);
  putLe16(out, v >> 16);
}

}  // namespace

std::vector<IconShape> iconShapes() {
  std::vector<IconShape> shapes;
  auto add = [&](Contour c, Rgba colour, int minPixels = 0) { shapes.push_back({std::move(c), colour, minPixels}); };

  add(roundedSquare(8, 8, 248, 248, 44), kBackground);
  add(circle({128, 128}, 104, 64), Rgba{kGlow.r, kGlow.g, kGlow.b, 0.6f});
  add(circle({128, 128}, 78, 64), Rgba{kGlow.r, kGlow.g, kGlow.b, 0.8f});

  // The bloom: six long petals between the cube's corners, alternately magenta
  // and cyan, and six short ones behind the corners.
  const P2 centre{128, 130};
  for (int i = 0; i < 6; ++i) {
    const double a = i * kPi / 3;
    add(petal(centre, a, 30, 76, 108, 20), i % 2 == 0 ? kMagenta : kCyan);
  }
  for (int i = 0; i < 6; ++i) {
    const double a = kPi / 6 + i * kPi / 3;
    add(petal(centre, a, 40, 76, 98, 13), Rgba{kMagenta.r, kMagenta.g, kMagenta.b, 0.75f});
  }

  // The cube, corners of its outline from the top clockwise (y down).
  const double r = 72;
  P2 corner[6];
  for (int i = 0; i < 6; ++i) {
    const double a = -kPi / 2 + i * kPi / 3;
    corner[i] = {centre.x + r * std::cos(a), centre.y + r * std::sin(a)};
  }
  const P2& top = corner[0];
  const P2& upperRight = corner[1];
  const P2& lowerRight = corner[2];
  const P2& bottom = corner[3];
  const P2& lowerLeft = corner[4];
  const P2& upperLeft = corner[5];
  // Each face as (origin, u end, v end): the lattice runs parallel to u and v.
  struct Face {
    P2 o, u, v;
    Rgba colour;
  };
  const Face faces[3] = {{centre, upperLeft, upperRight, kTopFace},
                         {centre, upperLeft, bottom, kLeftFace},
                         {centre, upperRight, bottom, kRightFace}};
  for (const Face& f : faces) {
    const P2 far{f.u.x + f.v.x - f.o.x, f.u.y + f.v.y - f.o.y};
    add({f.o, f.u, far, f.v}, f.colour);
  }
  const int cells = 3;  // the show's cubes carry a lattice of squares
  for (const Face& f : faces) {
    const P2 far{f.u.x + f.v.x - f.o.x, f.u.y + f.v.y - f.o.y};
    for (int k = 1; k < cells; ++k) {
      const double t = static_cast<double>(k) / cells;
      add(stroke(lerp(f.o, f.u, t), lerp(f.v, far, t), 2.5), kLattice, 48);
      add(stroke(lerp(f.o, f.v, t), lerp(f.u, far, t), 2.5), kLattice, 48);
    }
  }
  const P2 outline[6] = {top, upperRight, lowerRight, bottom, lowerLeft, upperLeft};
  for (int i = 0; i < 6; ++i) add(stroke(outline[i], outline[(i + 1) % 6], 7), kEdge);
  for (const P2& p : {upperLeft, upperRight, bottom}) add(stroke(centre, p, 6), kEdge);
  // Round joints where the edges meet.
  for (const P2& p : outline) add(circle(p, 3.5, 12), kEdge);
  add(circle(centre, 3, 12), kEdge);
  return shapes;
}

Image rasterizeIcon(const std::vector<IconShape>& shapes, int pixels) {
  const int grid = 4;  // samples a pixel along each axis
  const double scale = kIconUnits / pixels;
  std::vector<Box> boxes;
  for (const IconShape& s : shapes) boxes.push_back(bounds(s.outline));
  Image img(pixels, pixels, Rgba{0, 0, 0, 0});
  for (int y = 0; y < pixels; ++y)
    for (int x = 0; x < pixels; ++x) {
      Sample sum;
      for (int sy = 0; sy < grid; ++sy)
        for (int sx = 0; sx < grid; ++sx) {
          const P2 p{(x + (sx + 0.5) / grid) * scale, (y + (sy + 0.5) / grid) * scale};
          Sample s;
          for (size_t i = 0; i < shapes.size(); ++i) {
            if (pixels < shapes[i].minPixels) continue;
            const Box& b = boxes[i];
            if (p.x < b.x0 || p.x > b.x1 || p.y < b.y0 || p.y > b.y1) continue;
            if (pointInContour(p, shapes[i].outline)) s.over(shapes[i].color);
          }
          sum.r += s.r;
          sum.g += s.g;
          sum.b += s.b;
          sum.a += s.a;
        }
      const float n = grid * grid, a = sum.a / n;
      img.at(x, y) = a > 0 ? Rgba{sum.r / n / a, sum.g / n / a, sum.b / n / a, a} : Rgba{0, 0, 0, 0};
    }
  return img;
}

std::string iconSvg(const std::vector<IconShape>& shapes) {
  std::ostringstream svg;
  svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 256 256\">\n"
      << "<title>Lattice Bloom</title>\n";
  char number[32];
  for (const IconShape& s : shapes) {
    svg << "<polygon fill=\"" << hexColour(s.color) << "\"";
    if (s.color.a < 1) {
      std::snprintf(number, sizeof number, "%.3g", s.color.a);
      svg << " fill-opacity=\"" << number << "\"";
    }
    svg << " points=\"";
    for (size_t i = 0; i < s.outline.size(); ++i) {
      std::snprintf(number, sizeof number, "%s%.2f,%.2f", i ? " " : "", s.outline[i].x, s.outline[i].y);
      svg << number;
    }
    svg << "\"/>\n";
  }
  svg << "</svg>\n";
  return svg.str();
}

bool writeIco(const std::vector<std::string>& pngPaths, const std::vector<int>& pixelSizes, const std::string& path,
              std::string* error) {
  // ICONDIR (6 bytes), one ICONDIRENTRY (16 bytes) per image, then the images.
  std::vector<std::string> images;
  for (const std::string& png : pngPaths) {
    std::ifstream in(png, std::ios::binary);
    if (!in) {
      *error = png + ": cannot open for reading";
      return false;
    }
    images.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::string ico;
  putLe16(&ico, 0);  // reserved
  putLe16(&ico, 1);  // type: icon
  putLe16(&ico, static_cast<unsigned>(images.size()));
  uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    const int side = pixelSizes[i];
    if (side < 1 || side > 256) {
      *error = pngPaths[i] + ": an icon entry is 1 to 256 pixels a side, not " + std::to_string(side);
      return false;
    }
    ico.push_back(static_cast<char>(side == 256 ? 0 : side));  // width, 0 meaning 256
    ico.push_back(static_cast<char>(side == 256 ? 0 : side));  // height
    ico.push_back(0);                                          // palette size: none
    ico.push_back(0);                                          // reserved
    putLe16(&ico, 1);                                          // colour planes
    putLe16(&ico, 32);                                         // bits per pixel (RGBA)
    putLe32(&ico, static_cast<uint32_t>(images[i].size()));
    putLe32(&ico, offset);
    offset += static_cast<uint32_t>(images[i].size());
  }
  for (const std::string& image : images) ico += image;
  std::ofstream out(path, std::ios::binary);
  out << ico;
  if (!out.flush()) {
    *error = path + ": cannot write";
    return false;
  }
  return true;
}

bool writeIconSet(const std::string& dir, const std::string& name, const std::vector<int>& pixelSizes,
                  std::string* error) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) {
    *error = dir + ": cannot create the folder: " + ec.message();
    return false;
  }
  const std::vector<IconShape> shapes = iconShapes();
  std::vector<std::string> pngs;
  for (int side : pixelSizes) {
    pngs.push_back(dir + "/" + name + "-" + std::to_string(side) + ".png");
    if (!writePng(rasterizeIcon(shapes, side), true, pngs.back(), error)) return false;
  }
  const std::string svgPath = dir + "/" + name + ".svg";
  std::ofstream svg(svgPath, std::ios::binary);
  svg << iconSvg(shapes);
  if (!svg.flush()) {
    *error = svgPath + ": cannot write";
    return false;
  }
  return writeIco(pngs, pixelSizes, dir + "/" + name + ".ico", error);
}

}  // namespace lb_datagen
