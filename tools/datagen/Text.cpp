#include "Text.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <climits>

namespace lb_datagen {

namespace {

// Horizontal kerning between two glyphs in 26.6 units; 0 after the first
// glyph or for a font without kerning.
FT_Pos kerning(FT_Face face, FT_UInt previous, FT_UInt glyph, FT_UInt mode) {
  if (previous == 0 || !FT_HAS_KERNING(face)) return 0;
  FT_Vector k;
  FT_Get_Kerning(face, previous, glyph, mode, &k);
  return k.x;
}

}  // namespace

struct Font::Impl {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
};

Font::Font(const std::string& path) {
  auto* impl = new Impl;
  if (FT_Init_FreeType(&impl->library) != 0) {
    error_ = "cannot initialise FreeType";
    delete impl;
    return;
  }
  if (FT_New_Face(impl->library, path.c_str(), 0, &impl->face) != 0) {
    error_ = path + ": cannot open the font";
    FT_Done_FreeType(impl->library);
    delete impl;
    return;
  }
  impl_ = impl;
}

Font::~Font() {
  if (impl_ == nullptr) return;
  FT_Done_Face(impl_->face);
  FT_Done_FreeType(impl_->library);
  delete impl_;
}

Coverage Font::render(const std::string& text, int pixelSize, int tracking, int pad) const {
  Coverage out;
  if (impl_ == nullptr) return out;
  FT_Face face = impl_->face;
  FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize));
  const int ascent = static_cast<int>((face->size->metrics.ascender + 63) >> 6);
  const int descent = static_cast<int>((-face->size->metrics.descender + 63) >> 6);

  // First pass: the pen positions; second pass: draw. The text is ASCII.
  struct Placed {
    int x;
    char ch;
  };
  std::vector<Placed> placed;
  int pen = 0;
  FT_UInt previous = 0;
  for (char ch : text) {
    const FT_UInt glyph = FT_Get_Char_Index(face, static_cast<unsigned char>(ch));
    pen += static_cast<int>(kerning(face, previous, glyph, FT_KERNING_DEFAULT) >> 6);
    placed.push_back({pen, ch});
    FT_Load_Glyph(face, glyph, FT_LOAD_DEFAULT);
    pen += static_cast<int>(face->glyph->advance.x >> 6) + tracking;
    previous = glyph;
  }
  out.width = pen + 2 * pad + pixelSize / 2;
  out.height = ascent + descent + 2 * pad;
  out.baseline = pad + ascent;
  out.value.assign(static_cast<size_t>(out.width) * out.height, 0.0f);
  for (const Placed& p : placed) {
    if (FT_Load_Char(face, static_cast<unsigned char>(p.ch), FT_LOAD_RENDER) != 0) continue;
    const FT_Bitmap& bm = face->glyph->bitmap;
    const int left = pad + p.x + face->glyph->bitmap_left;
    const int top = out.baseline - face->glyph->bitmap_top;
    for (unsigned r = 0; r < bm.rows; ++r)
      for (unsigned c = 0; c < bm.width; ++c) {
        const int x = left + static_cast<int>(c), y = top + static_cast<int>(r);
        if (x < 0 || y < 0 || x >= out.width || y >= out.height) continue;
        float& v = out.value[static_cast<size_t>(y) * out.width + x];
        v = std::max(v, bm.buffer[r * bm.pitch + c] / 255.0f);
      }
  }
  return out;
}

namespace {

// Collects one glyph's contours while FreeType walks its outline; points are in
// 26.6 pixels of a 1000-pixel em, shifted by the pen position.
struct OutlineSink {
  std::vector<Contour>* contours;
  double penX = 0;
  P2 last;
  P2 at(const FT_Vector* v) const { return {(v->x / 64.0 + penX) / 1000.0, v->y / 64.0 / 1000.0}; }
  void add(const P2& p) {
    Contour& c = contours->back();
    if (c.empty() || std::fabs(c.back().x - p.x) > 1e-9 || std::fabs(c.back().y - p.y) > 1e-9) c.push_back(p);
    last = p;
  }
};

int moveTo(const FT_Vector* to, void* user) {
  auto* s = static_cast<OutlineSink*>(user);
  s->contours->emplace_back();
  s->add(s->at(to));
  return 0;
}
int lineTo(const FT_Vector* to, void* user) {
  auto* s = static_cast<OutlineSink*>(user);
  s->add(s->at(to));
  return 0;
}
// Curves are flattened into as few straight pieces as keep the chord within
// kFlatness ems of the curve (outline points are in ems), at most as many as a
// fixed split used to give. Even the title's letters, about 140 pixels to the
// em at 1280x720, stray by under a third of a pixel; every piece saved is a
// wall quad and a face triangle less for the rasteriser, for which thin
// triangles are costly.
const double kFlatness = 0.002;

// Pieces for a curve whose chord-to-curve distance with one piece is `bulge`:
// the distance falls with the square of the number of pieces.
int pieces(double bulge, int most) {
  const int n = static_cast<int>(std::ceil(std::sqrt(bulge / kFlatness)));
  return std::max(1, std::min(most, n));
}

int conicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
  auto* s = static_cast<OutlineSink*>(user);
  const P2 p0 = s->last, p1 = s->at(control), p2 = s->at(to);
  // A quadratic's greatest distance from its chord is |p0 - 2 p1 + p2| / 4.
  const int steps = pieces(0.25 * std::hypot(p0.x - 2 * p1.x + p2.x, p0.y - 2 * p1.y + p2.y), 6);
  for (int i = 1; i <= steps; ++i) {
    const double t = static_cast<double>(i) / steps, u = 1 - t;
    s->add({u * u * p0.x + 2 * u * t * p1.x + t * t * p2.x, u * u * p0.y + 2 * u * t * p1.y + t * t * p2.y});
  }
  return 0;
}
int cubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
  auto* s = static_cast<OutlineSink*>(user);
  const P2 p0 = s->last, p1 = s->at(c1), p2 = s->at(c2), p3 = s->at(to);
  // A cubic strays from its chord by at most 3/4 of its larger second difference.
  const double bulge = 0.75 * std::max(std::hypot(p0.x - 2 * p1.x + p2.x, p0.y - 2 * p1.y + p2.y),
                                       std::hypot(p1.x - 2 * p2.x + p3.x, p1.y - 2 * p2.y + p3.y));
  const int steps = pieces(bulge, 8);
  for (int i = 1; i <= steps; ++i) {
    const double t = static_cast<double>(i) / steps, u = 1 - t;
    const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
    s->add({a * p0.x + b * p1.x + c * p2.x + d * p3.x, a * p0.y + b * p1.y + c * p2.y + d * p3.y});
  }
  return 0;
}

}  // namespace

std::vector<Contour> Font::outline(const std::string& text, double tracking) const {
  std::vector<Contour> contours;
  if (impl_ == nullptr) return contours;
  FT_Face face = impl_->face;
  FT_Set_Char_Size(face, 0, 1000 * 64, 72, 72);  // one em = 1000 pixels
  FT_Outline_Funcs funcs;
  funcs.move_to = moveTo;
  funcs.line_to = lineTo;
  funcs.conic_to = conicTo;
  funcs.cubic_to = cubicTo;
  funcs.shift = 0;
  funcs.delta = 0;
  OutlineSink sink;
  sink.contours = &contours;
  double pen = 0;
  FT_UInt previous = 0;
  for (char ch : text) {
    const FT_UInt glyph = FT_Get_Char_Index(face, static_cast<unsigned char>(ch));
    pen += kerning(face, previous, glyph, FT_KERNING_UNFITTED) / 64.0;
    if (FT_Load_Glyph(face, glyph, FT_LOAD_NO_BITMAP | FT_LOAD_NO_HINTING) == 0 &&
        face->glyph->format == FT_GLYPH_FORMAT_OUTLINE) {
      sink.penX = pen;
      const size_t before = contours.size();
      FT_Outline_Decompose(&face->glyph->outline, &funcs, &sink);
      // Drop the closing point that repeats the first one.
      for (size_t i = before; i < contours.size(); ++i) {
        Contour& c = contours[i];
        if (c.size() > 1 && std::fabs(c.front().x - c.back().x) < 1e-9 && std::fabs(c.front().y - c.back().y) < 1e-9)
          c.pop_back();
      }
    }
    pen += face->glyph->advance.x / 64.0 + tracking * 1000.0;
    previous = glyph;
  }
  contours.erase(std::remove_if(contours.begin(), contours.end(), [](const Contour& c) { return c.size() < 3; }),
                 contours.end());
  return contours;
}

void outlineBounds(const std::vector<Contour>& outline, P2* lo, P2* hi) {
  *lo = {1e300, 1e300};
  *hi = {-1e300, -1e300};
  for (const Contour& c : outline)
    for (const P2& p : c) {
      lo->x = std::min(lo->x, p.x);
      lo->y = std::min(lo->y, p.y);
      hi->x = std::max(hi->x, p.x);
      hi->y = std::max(hi->y, p.y);
    }
  if (outline.empty()) *lo = *hi = P2{0, 0};
}

void solidText(MeshBuilder* mesh, const std::vector<Contour>& outline, const Frame& f, const SolidTextStyle& s) {
  P2 lo, hi;
  outlineBounds(outline, &lo, &hi);
  const double cx = 0.5 * (lo.x + hi.x), cy = 0.5 * (lo.y + hi.y);
  const double w = std::max(1e-9, hi.x - lo.x), h = std::max(1e-9, hi.y - lo.y);
  const double zf = 0.5 * s.depth, zb = -0.5 * s.depth;
  auto P = [&](const P2& p, double z) { return f.point((p.x - cx) * s.scale, (p.y - cy) * s.scale, z); };
  auto front = [&](const P2& p, const Vec3& n, double z) {
    return Vertex{P(p, z), n, s.u0 + (s.u1 - s.u0) * (p.x - lo.x) / w, s.v0 + (s.v1 - s.v0) * (p.y - lo.y) / h};
  };
  for (const Shape& shape : groupContours(outline)) {
    // Faces.
    std::vector<P2> pts;
    for (const auto& t : triangulate(shape, &pts)) {
      mesh->triangle(front(pts[t[0]], f.front, zf), front(pts[t[1]], f.front, zf), front(pts[t[2]], f.front, zf));
      if (s.back) {
        mesh->triangle(front(pts[t[0]], -f.front, zb), front(pts[t[2]], -f.front, zb), front(pts[t[1]], -f.front, zb));
      }
    }
    // Walls: the filled side is on the left of every oriented contour, so each
    // edge's outward normal is its direction turned clockwise.
    std::vector<const Contour*> rings{&shape.outer};
    for (const Contour& hole : shape.holes) rings.push_back(&hole);
    for (const Contour* ring : rings) {
      const Contour& c = *ring;
      const size_t n = c.size();
      std::vector<P2> en(n);
      for (size_t i = 0; i < n; ++i) {
        const P2 d{c[(i + 1) % n].x - c[i].x, c[(i + 1) % n].y - c[i].y};
        const double l = std::max(1e-12, std::hypot(d.x, d.y));
        en[i] = {d.y / l, -d.x / l};
      }
      // Normal at the start and end of edge i: smoothed with the neighbouring
      // edge where the outline bends by less than about 40 degrees.
      auto vertexNormal = [&](size_t edge, size_t other) {
        const double c0 = en[edge].x * en[other].x + en[edge].y * en[other].y;
        if (c0 < 0.77) return en[edge];
        const P2 m{en[edge].x + en[other].x, en[edge].y + en[other].y};
        const double l = std::hypot(m.x, m.y);
        return P2{m.x / l, m.y / l};
      };
      for (size_t i = 0; i < n; ++i) {
        const P2& a = c[i];
        const P2& b = c[(i + 1) % n];
        const P2 na = vertexNormal(i, (i + n - 1) % n), nb = vertexNormal(i, (i + 1) % n);
        const Vec3 A = f.direction(na.x, na.y, 0), B = f.direction(nb.x, nb.y, 0);
        mesh->quad(Vertex{P(a, zb), A, s.uRim, s.vRim}, Vertex{P(b, zb), B, s.uRim, s.vRim},
                   Vertex{P(b, zf), B, s.uRim, s.vRim}, Vertex{P(a, zf), A, s.uRim, s.vRim});
      }
    }
  }
}

void coveredBox(const Coverage& t, int* x0, int* y0, int* x1, int* y1) {
  *x0 = INT_MAX;
  *y0 = INT_MAX;
  *x1 = -1;
  *y1 = -1;
  for (int y = 0; y < t.height; ++y)
    for (int x = 0; x < t.width; ++x)
      if (t.at(x, y) >= 0.5f) {
        *x0 = std::min(*x0, x);
        *y0 = std::min(*y0, y);
        *x1 = std::max(*x1, x);
        *y1 = std::max(*y1, y);
      }
}

void coveredSize(const Coverage& text, int* width, int* height) {
  int x0, y0, x1, y1;
  coveredBox(text, &x0, &y0, &x1, &y1);
  *width = x1 < 0 ? 0 : x1 - x0 + 1;
  *height = y1 < 0 ? 0 : y1 - y0 + 1;
}

}  // namespace lb_datagen
