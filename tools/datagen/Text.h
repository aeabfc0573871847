#pragma once
// Text through FreeType: strings rasterised to coverage bitmaps, which become
// either pixels of a picture or solid letters built from small boxes.

#include "Image.h"
#include "MeshBuilder.h"
#include "Polygon.h"

#include <memory>
#include <string>
#include <vector>

namespace lb_datagen {

// Coverage 0..1 per pixel, row 0 = top; `baseline` is the row just below the
// baseline, counted from the top.
struct Coverage {
  int width = 0, height = 0, baseline = 0;
  std::vector<float> value;
  float at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0;
    return value[static_cast<size_t>(y) * width + x];
  }
};

class Font {
 public:
  // Opens the font file; on failure ok() is false and error() says why.
  explicit Font(const std::string& path);
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;
  bool ok() const { return impl_ != nullptr; }
  const std::string& error() const { return error_; }
  // One line of text at a pixel size (the em height), with `tracking` extra
  // pixels between letters and a margin of `pad` empty pixels all round.
  Coverage render(const std::string& text, int pixelSize, int tracking = 0, int pad = 2) const;
  // The glyph outlines of one line of text, curves flattened, in em units
  // (baseline at y = 0, y up), `tracking` em of extra space between letters.
  std::vector<Contour> outline(const std::string& text, double tracking = 0) const;

 private:
  struct Impl;
  Impl* impl_ = nullptr;
  std::string error_;
};

// Solid letters from outlines: faces filled by ear clipping, side walls with
// normals smoothed along curves. `scale` is units per em; the text is centred
// on its outline's bounding box. The outline's x runs along frame.right, its y
// along frame.up, the faces look along frame.front, the frame origin is the
// middle of the letters' depth. Faces take texture coordinates from
// [u0,u1] x [v0,v1] stretched over the text; walls and backs take the darker
// rim coordinate (uRim, vRim).
struct SolidTextStyle {
  double scale = 1;
  double depth = 0.3;
  double u0 = 0, v0 = 0, u1 = 1, v1 = 1;
  double uRim = 0.5, vRim = 0.02;
  // False leaves out the back face, for letters standing on a plate that hides
  // it: a quarter fewer triangles for the renderer to set up.
  bool back = true;
};
void solidText(MeshBuilder* mesh, const std::vector<Contour>& outline, const Frame& frame, const SolidTextStyle& style);
// Bounding box of an outline, in its own units.
void outlineBounds(const std::vector<Contour>& outline, P2* lo, P2* hi);

// The covered part of the text (coverage of at least one half): first and last
// column and row, inclusive; x1 and y1 are -1 when nothing is covered.
void coveredBox(const Coverage& text, int* x0, int* y0, int* x1, int* y1);
// Width and height, in cells, of the covered part of the text.
void coveredSize(const Coverage& text, int* width, int* height);

}  // namespace lb_datagen
