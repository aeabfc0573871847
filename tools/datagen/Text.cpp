#include "Text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <climits>

namespace lb_datagen {

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
    if (previous != 0 && FT_HAS_KERNING(face)) {
      FT_Vector k;
      FT_Get_Kerning(face, previous, glyph, FT_KERNING_DEFAULT, &k);
      pen += static_cast<int>(k.x >> 6);
    }
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
}  // namespace

void coveredSize(const Coverage& text, int* width, int* height) {
  int x0, y0, x1, y1;
  coveredBox(text, &x0, &y0, &x1, &y1);
  *width = x1 < 0 ? 0 : x1 - x0 + 1;
  *height = y1 < 0 ? 0 : y1 - y0 + 1;
}

void blockText(MeshBuilder* mesh, const Coverage& t, const Frame& f, const BlockTextStyle& s) {
  int x0, y0, x1, y1;
  coveredBox(t, &x0, &y0, &x1, &y1);
  if (x1 < 0) return;
  auto on = [&](int x, int y) { return t.at(x, y) >= 0.5f; };
  // Picture pixel (x, y) (y down) covers the cell [px, px+cell] x [py, py+cell]
  // in frame units, centred on the covered area.
  const double cx = (x0 + x1 + 1) * 0.5, cy = (y0 + y1 + 1) * 0.5;
  auto P = [&](double x, double y, double z) {
    return f.point((x - cx) * s.cell, (cy - y) * s.cell, z);
  };
  const double zf = s.depth * 0.5, zb = -s.depth * 0.5;
  const double w = x1 - x0 + 1, h = y1 - y0 + 1;
  auto uvFront = [&](double x, double y, double* u, double* v) {
    *u = s.u0 + (s.u1 - s.u0) * (x - x0) / w;
    *v = s.v0 + (s.v1 - s.v0) * (1.0 - (y - y0) / h);
  };
  const Vec3 nf = f.front, nb = -f.front, nr = f.right, nl = -f.right, nu = f.up, nd = -f.up;
  auto V = [](const Vec3& p, const Vec3& n, double u, double v) { return Vertex{p, n, u, v}; };
  for (int y = y0; y <= y1; ++y) {
    int x = x0;
    while (x <= x1) {
      if (!on(x, y)) {
        ++x;
        continue;
      }
      int e = x;
      while (e + 1 <= x1 && on(e + 1, y)) ++e;
      // Front and back faces of the whole run.
      double ua, va, ub, vb;
      uvFront(x, y + 1, &ua, &va);
      uvFront(e + 1, y, &ub, &vb);
      mesh->quad(V(P(x, y + 1, zf), nf, ua, va), V(P(e + 1, y + 1, zf), nf, ub, va),
                 V(P(e + 1, y, zf), nf, ub, vb), V(P(x, y, zf), nf, ua, vb));
      mesh->quad(V(P(e + 1, y + 1, zb), nb, s.uRim, s.vRim), V(P(x, y + 1, zb), nb, s.uRim, s.vRim),
                 V(P(x, y, zb), nb, s.uRim, s.vRim), V(P(e + 1, y, zb), nb, s.uRim, s.vRim));
      // Ends of the run.
      mesh->quad(V(P(x, y + 1, zb), nl, s.uRim, s.vRim), V(P(x, y + 1, zf), nl, s.uRim, s.vRim),
                 V(P(x, y, zf), nl, s.uRim, s.vRim), V(P(x, y, zb), nl, s.uRim, s.vRim));
      mesh->quad(V(P(e + 1, y + 1, zf), nr, s.uRim, s.vRim), V(P(e + 1, y + 1, zb), nr, s.uRim, s.vRim),
                 V(P(e + 1, y, zb), nr, s.uRim, s.vRim), V(P(e + 1, y, zf), nr, s.uRim, s.vRim));
      x = e + 1;
    }
  }
  // Top and bottom sides, merged along rows where the neighbour row is empty.
  for (int y = y0; y <= y1; ++y) {
    for (int side = 0; side < 2; ++side) {
      const int ny = side == 0 ? y - 1 : y + 1;  // row above (side 0) or below
      int x = x0;
      while (x <= x1) {
        if (!(on(x, y) && !on(x, ny))) {
          ++x;
          continue;
        }
        int e = x;
        while (e + 1 <= x1 && on(e + 1, y) && !on(e + 1, ny)) ++e;
        if (side == 0) {
          const double yy = y;
          mesh->quad(V(P(x, yy, zf), nu, s.uRim, s.vRim), V(P(e + 1, yy, zf), nu, s.uRim, s.vRim),
                     V(P(e + 1, yy, zb), nu, s.uRim, s.vRim), V(P(x, yy, zb), nu, s.uRim, s.vRim));
        } else {
          const double yy = y + 1;
          mesh->quad(V(P(x, yy, zb), nd, s.uRim, s.vRim), V(P(e + 1, yy, zb), nd, s.uRim, s.vRim),
                     V(P(e + 1, yy, zf), nd, s.uRim, s.vRim), V(P(x, yy, zf), nd, s.uRim, s.vRim));
        }
        x = e + 1;
      }
    }
  }
}

}  // namespace lb_datagen
