#pragma once
// A contact sheet of the show: one frame from the middle of each scene, scaled
// down into a grid of tiles, each labelled below with the scene's number, name
// and clock value.

#include "FrameRenderer.h"
#include "NonCopyable.h"

#include <cstddef>
#include <string>
#include <vector>

namespace lb_engine {
class Demo;
}

namespace lb_render {

// One tile: which scene and when.
struct SheetEntry {
  std::string name;  // the scene's class name, e.g. "Sinkhole"
  double t = 0.0;    // the middle of its interval, seconds
};

// The scenes of `demo` with the midpoints of their intervals, in increasing
// time (the order the frames must be rendered in, as scenes hand state on).
std::vector<SheetEntry> contactSheetEntries(const lb_engine::Demo& demo);

// "5  Sinkhole  51.88 s": 1-based position, name, time to the hundredth.
std::string sheetLabel(size_t index, const SheetEntry& entry);

// Sizes in pixels. Tiles are 3/10 of the frame in each direction (384x216 for
// 1280x720 frames), five to a row, with a label strip below each and a gap
// around every tile.
struct SheetLayout {
  int columns = 0;
  int rows = 0;
  int tileWidth = 0;
  int tileHeight = 0;
  int labelHeight = 0;  // strip below each tile
  int fontPixels = 0;   // nominal font size of the labels
  int gap = 0;          // between tiles and at the border
  int width = 0;        // the whole sheet
  int height = 0;

  int tileX(size_t index) const;  // left edge of tile `index`
  int tileY(size_t index) const;  // top edge of tile `index` (its label lies below)
};

SheetLayout contactSheetLayout(int frameWidth, int frameHeight, size_t tiles);

// Scales `source` to width x height by averaging the source area each target
// pixel covers (a box filter with fractional edges), which keeps thin bright
// lines as a fainter line rather than dropping them.
void downscale(const Image& source, int width, int height, Image* target);

// Anti-aliased text through FreeType.
class LabelFont : lb_engine::NonCopyable {
 public:
  LabelFont() = default;
  ~LabelFont();

  // Loads the TrueType font at `path` at a height of `pixels`.
  bool load(const std::string& path, int pixels, std::string* error);

  // Width of `text` in pixels (ASCII; other bytes are drawn as FreeType's
  // missing-glyph box).
  int textWidth(const std::string& text);

  // Draws `text` with its baseline at row `baseline`, starting at column `x`,
  // blending `rgb` over the image by glyph coverage; clipped to the image and
  // to the columns left of `right`.
  void draw(Image* image, int x, int baseline, const std::string& text, const unsigned char rgb[3], int right);

 private:
  void* library_ = nullptr;  // FT_Library
  void* face_ = nullptr;     // FT_Face
};

// The font file for the labels: the one the build found (DejaVu Sans), or on
// Windows, where the build knows none, a sans-serif font of Windows' fonts folder.
std::string defaultLabelFont();

class ContactSheet {
 public:
  // A sheet of the given layout filled with its dark background.
  explicit ContactSheet(const SheetLayout& layout);

  // Puts `frame`, scaled to a tile, at tile `index` with `label` below it.
  void place(size_t index, const Image& frame, const std::string& label, LabelFont* font);

  const Image& image() const { return sheet_; }

 private:
  SheetLayout layout_;
  Image sheet_;
  Image tile_;  // scratch for the scaled frame
};

}  // namespace lb_render
