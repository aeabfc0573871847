#include "ContactSheet.h"

#include "Demo.h"

#include <cxxabi.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <typeinfo>

namespace lb_render {

namespace {

const unsigned char kBackground[3] = {22, 22, 26};

std::string demangledName(const std::type_info& type) {
  int status = 0;
  char* name = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
  std::string result = status == 0 && name != nullptr ? name : type.name();
  std::free(name);
  return result;
}

// For each target index along one axis: the first source index it covers and
// the weights (summing to 1) of the source samples it covers.
struct Footprint {
  int first = 0;
  std::vector<float> weights;
};

std::vector<Footprint> footprints(int sourceSize, int targetSize) {
  std::vector<Footprint> result(static_cast<size_t>(targetSize));
  const double scale = static_cast<double>(sourceSize) / targetSize;
  for (int i = 0; i < targetSize; ++i) {
    const double begin = i * scale;
    const double end = std::min<double>((i + 1) * scale, sourceSize);
    Footprint& f = result[static_cast<size_t>(i)];
    f.first = std::min(static_cast<int>(std::floor(begin)), sourceSize - 1);
    const int last = std::max(f.first, std::min(static_cast<int>(std::ceil(end)) - 1, sourceSize - 1));
    double total = 0;
    for (int s = f.first; s <= last; ++s) {
      // Overlap of source sample [s, s + 1) with [begin, end); when enlarging
      // the span is below one sample and the nearest sample gets everything.
      const double overlap = std::max(0.0, std::min<double>(s + 1, end) - std::max<double>(s, begin));
      f.weights.push_back(static_cast<float>(overlap));
      total += overlap;
    }
    for (float& w : f.weights) w = total > 0 ? static_cast<float>(w / total) : 1.0f / f.weights.size();
  }
  return result;
}

}  // namespace

std::vector<SheetEntry> contactSheetEntries(const lb_engine::Demo& demo) {
  std::vector<SheetEntry> entries;
  for (const lb_engine::Scene* scene : demo.scenes) {
    SheetEntry entry;
    entry.name = demangledName(typeid(*scene));
    entry.t = 0.5 * (scene->startTime + scene->endTime);
    entries.push_back(entry);
  }
  std::stable_sort(entries.begin(), entries.end(),
                   [](const SheetEntry& a, const SheetEntry& b) { return a.t < b.t; });
  return entries;
}

std::string sheetLabel(size_t index, const SheetEntry& entry) {
  char text[160];
  std::snprintf(text, sizeof text, "%zu  %s  %.2f s", index + 1, entry.name.c_str(), entry.t);
  return text;
}

int SheetLayout::tileX(size_t index) const {
  return gap + static_cast<int>(index % static_cast<size_t>(columns)) * (tileWidth + gap);
}

int SheetLayout::tileY(size_t index) const {
  return gap + static_cast<int>(index / static_cast<size_t>(columns)) * (tileHeight + labelHeight + gap);
}

SheetLayout contactSheetLayout(int frameWidth, int frameHeight, size_t tiles) {
  SheetLayout layout;
  layout.columns = 5;
  layout.rows = std::max(1, static_cast<int>((tiles + 4) / 5));
  layout.tileWidth = std::max(1, static_cast<int>(std::lround(frameWidth * 0.3)));
  layout.tileHeight = std::max(1, static_cast<int>(std::lround(frameHeight * 0.3)));
  layout.labelHeight = std::max(12, static_cast<int>(std::lround(layout.tileHeight / 9.0)));
  layout.fontPixels = std::max(8, static_cast<int>(std::lround(layout.labelHeight * 0.6)));
  layout.gap = std::max(2, static_cast<int>(std::lround(layout.tileWidth / 64.0)));
  layout.width = layout.columns * (layout.tileWidth + layout.gap) + layout.gap;
  layout.height = layout.rows * (layout.tileHeight + layout.labelHeight + layout.gap) + layout.gap;
  return layout;
}

void downscale(const Image& source, int width, int height, Image* target) {
  const std::vector<Footprint> across = footprints(source.width, width);
  const std::vector<Footprint> down = footprints(source.height, height);
  // Horizontal pass into floats (width x source rows), then the vertical one.
  std::vector<float> rows(static_cast<size_t>(width) * source.height * 3);
  for (int y = 0; y < source.height; ++y) {
    const unsigned char* src = source.rgb.data() + static_cast<size_t>(y) * source.width * 3;
    float* dst = rows.data() + static_cast<size_t>(y) * width * 3;
    for (int x = 0; x < width; ++x) {
      const Footprint& f = across[static_cast<size_t>(x)];
      float sum[3] = {0, 0, 0};
      for (size_t k = 0; k < f.weights.size(); ++k)
        for (int c = 0; c < 3; ++c) sum[c] += f.weights[k] * src[(f.first + k) * 3 + c];
      for (int c = 0; c < 3; ++c) dst[x * 3 + c] = sum[c];
    }
  }
  target->width = width;
  target->height = height;
  target->rgb.assign(static_cast<size_t>(width) * height * 3, 0);
  for (int y = 0; y < height; ++y) {
    const Footprint& f = down[static_cast<size_t>(y)];
    unsigned char* dst = target->rgb.data() + static_cast<size_t>(y) * width * 3;
    for (int i = 0; i < width * 3; ++i) {
      float sum = 0;
      for (size_t k = 0; k < f.weights.size(); ++k)
        sum += f.weights[k] * rows[(f.first + k) * static_cast<size_t>(width) * 3 + i];
      dst[i] = static_cast<unsigned char>(std::min(255.0f, std::max(0.0f, std::round(sum))));
    }
  }
}

LabelFont::~LabelFont() {
  if (face_ != nullptr) FT_Done_Face(static_cast<FT_Face>(face_));
  if (library_ != nullptr) FT_Done_FreeType(static_cast<FT_Library>(library_));
}

bool LabelFont::load(const std::string& path, int pixels, std::string* error) {
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) {
    *error = "cannot start FreeType";
    return false;
  }
  library_ = library;
  FT_Face face = nullptr;
  if (FT_New_Face(library, path.c_str(), 0, &face) != 0) {
    *error = "cannot load the label font " + path +
             (LB_RENDER_FONT[0] != '\0' ? " (is fonts-dejavu-core installed?)"
                                        : " (none of DejaVu Sans, Arial, Segoe UI, Tahoma, Verdana is installed)");
    return false;
  }
  face_ = face;
  if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixels)) != 0) {
    *error = "the label font " + path + " has no size of " + std::to_string(pixels) + " pixels";
    return false;
  }
  return true;
}

int LabelFont::textWidth(const std::string& text) {
  FT_Face face = static_cast<FT_Face>(face_);
  int width = 0;
  for (unsigned char c : text)
    if (FT_Load_Char(face, c, FT_LOAD_DEFAULT) == 0) width += static_cast<int>(face->glyph->advance.x >> 6);
  return width;
}

void LabelFont::draw(Image* image, int x, int baseline, const std::string& text, const unsigned char rgb[3],
                     int right) {
  right = std::min(right, image->width);
  FT_Face face = static_cast<FT_Face>(face_);
  int penX = x;
  for (unsigned char c : text) {
    if (FT_Load_Char(face, c, FT_LOAD_RENDER) != 0) continue;
    const FT_GlyphSlot glyph = face->glyph;
    const FT_Bitmap& bitmap = glyph->bitmap;
    const int left = penX + glyph->bitmap_left;
    const int top = baseline - glyph->bitmap_top;
    for (unsigned int row = 0; row < bitmap.rows; ++row) {
      const int y = top + static_cast<int>(row);
      if (y < 0 || y >= image->height) continue;
      for (unsigned int col = 0; col < bitmap.width; ++col) {
        const int px = left + static_cast<int>(col);
        if (px < 0 || px >= right) continue;
        const int coverage = bitmap.buffer[row * bitmap.pitch + col];
        unsigned char* p = image->rgb.data() + (static_cast<size_t>(y) * image->width + px) * 3;
        for (int ch = 0; ch < 3; ++ch)
          p[ch] = static_cast<unsigned char>((p[ch] * (255 - coverage) + rgb[ch] * coverage + 127) / 255);
      }
    }
    penX += static_cast<int>(glyph->advance.x >> 6);
  }
}

std::string defaultLabelFont() {
  if (LB_RENDER_FONT[0] != '\0') return LB_RENDER_FONT;
  // A build that knows no font file (Windows): a sans-serif font from the
  // system's fonts folder, the first of these that is there (DejaVu Sans, where
  // installed, gives the very labels of the Linux build).
  const char* windows = std::getenv("WINDIR");
  const std::string folder = std::string(windows != nullptr ? windows : "C:/Windows") + "/Fonts/";
  for (const char* name : {"DejaVuSans.ttf", "arial.ttf", "segoeui.ttf", "tahoma.ttf", "verdana.ttf"})
    if (std::filesystem::exists(folder + name)) return folder + name;
  return folder + "arial.ttf";  // for the message that it is missing
}

ContactSheet::ContactSheet(const SheetLayout& layout) : layout_(layout) {
  sheet_.width = layout.width;
  sheet_.height = layout.height;
  sheet_.rgb.resize(static_cast<size_t>(layout.width) * layout.height * 3);
  for (size_t i = 0; i < sheet_.rgb.size(); i += 3)
    for (int c = 0; c < 3; ++c) sheet_.rgb[i + c] = kBackground[c];
}

void ContactSheet::place(size_t index, const Image& frame, const std::string& label, LabelFont* font) {
  downscale(frame, layout_.tileWidth, layout_.tileHeight, &tile_);
  const int x0 = layout_.tileX(index);
  const int y0 = layout_.tileY(index);
  for (int y = 0; y < layout_.tileHeight; ++y) {
    const int sy = y0 + y;
    if (sy < 0 || sy >= sheet_.height) continue;
    for (int x = 0; x < layout_.tileWidth; ++x) {
      const int sx = x0 + x;
      if (sx < 0 || sx >= sheet_.width) continue;
      const unsigned char* src = tile_.rgb.data() + (static_cast<size_t>(y) * layout_.tileWidth + x) * 3;
      unsigned char* dst = sheet_.rgb.data() + (static_cast<size_t>(sy) * sheet_.width + sx) * 3;
      dst[0] = src[0];
      dst[1] = src[1];
      dst[2] = src[2];
    }
  }
  if (font == nullptr) return;
  const unsigned char text[3] = {226, 226, 232};
  // The baseline sits so that capitals are centred in the strip.
  const int baseline = y0 + layout_.tileHeight + (layout_.labelHeight + layout_.fontPixels * 7 / 10) / 2;
  font->draw(&sheet_, x0 + layout_.gap, baseline, label, text, x0 + layout_.tileWidth);
}

}  // namespace lb_render
