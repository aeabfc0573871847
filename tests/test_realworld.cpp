// The readers against public test files from other projects (PngSuite with its
// corrupt files, libjpeg-turbo's and image-rs's JPEG samples and fuzzer crashes,
// TGA samples, OBJ models): every file decodes or is refused with a message,
// none crashes, and PNG and JPEG pixels equal libpng's and TurboJPEG's own
// decode wherever the reader's format rules give the same layout.
//
// The files are not in this repository. They are looked for in shared/realworld
// beside the clone (where CI keeps them), then in $LB_REALWORLD_DIR; without
// either the tests are skipped, or fail where LB_REQUIRE_REALWORLD is set (CI).

#include "ImageDecoder.h"
#include "ObjReader.h"

#include <gtest/gtest.h>

#include <png.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;
using lb_engine::DecodedImage;

namespace {

using Bytes = std::vector<unsigned char>;

fs::path realWorldDir() {
  const fs::path beside = fs::path(LB_SOURCE_DIR) / ".." / "shared" / "realworld";
  if (fs::is_directory(beside)) return beside;
  const char* fromEnv = std::getenv("LB_REALWORLD_DIR");
  if (fromEnv != nullptr && fs::is_directory(fromEnv)) return fromEnv;
  return {};
}

#define LB_NO_REALWORLD \
  "no real-world test files: neither " LB_SOURCE_DIR "/../shared/realworld nor $LB_REALWORLD_DIR is a folder"

#define REQUIRE_REALWORLD(dir)                                                \
  const fs::path dir = realWorldDir();                                        \
  if (dir.empty() && std::getenv("LB_REQUIRE_REALWORLD") != nullptr) {        \
    FAIL() << LB_NO_REALWORLD;                                                \
  }                                                                           \
  if (dir.empty()) GTEST_SKIP() << LB_NO_REALWORLD

// The files of one folder with one of the extensions, sorted by name.
std::vector<fs::path> filesIn(const fs::path& folder, std::vector<std::string> extensions) {
  std::vector<fs::path> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    std::string extension = entry.path().extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(), ::tolower);
    if (entry.is_regular_file() && std::count(extensions.begin(), extensions.end(), extension) > 0)
      files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

Bytes readAll(const fs::path& path) {
  Bytes bytes;
  EXPECT_TRUE(lb_engine::readFileBytes(path.string().c_str(), &bytes)) << path;
  return bytes;
}

// Rows reversed: a top-row-first buffer becomes bottom row first, as the reader stores.
Bytes flipped(const Bytes& topFirst, size_t rowBytes) {
  Bytes out;
  out.reserve(topFirst.size());
  for (size_t end = topFirst.size(); end >= rowBytes && rowBytes > 0; end -= rowBytes)
    out.insert(out.end(), topFirst.begin() + (end - rowBytes), topFirst.begin() + end);
  return out;
}

struct Tally {
  int decoded = 0;
  int refused = 0;
  int compared = 0;
  std::vector<std::string> notes;  // where the reference and the reader part ways, and why that is expected
  void print(const char* format) const {
    std::printf("%s: %d decoded, %d refused, %d compared with the reference decoder\n", format, decoded, refused,
                compared);
    for (const std::string& note : notes) std::printf("  %s\n", note.c_str());
  }
};

// Decodes one file; a refusal must say why (in `error`) and leave no pixels, a
// decoded image must fill exactly its buffer.
bool decodeChecked(const fs::path& path, const Bytes& bytes,
                   bool (*decode)(const unsigned char*, size_t, DecodedImage*, std::string*), DecodedImage* image,
                   std::string* error, Tally* tally) {
  if (!decode(bytes.data(), bytes.size(), image, error)) {
    EXPECT_FALSE(error->empty()) << path;
    EXPECT_TRUE(image->pixels.empty()) << path;
    ++tally->refused;
    return false;
  }
  EXPECT_EQ(image->pixels.size(), static_cast<size_t>(image->width) * image->height * image->channels) << path;
  ++tally->decoded;
  return true;
}

// The file without its colour-space chunks (gAMA, cHRM, sRGB, iCCP), so that
// libpng's simplified reader, which converts to sRGB, takes the samples as they
// are, as the reader does. Chunks are walked directly; a damaged list is left as is.
Bytes withoutColourSpace(const Bytes& png) {
  Bytes out(png.begin(), png.begin() + std::min<size_t>(8, png.size()));
  size_t at = 8;
  while (at + 12 <= png.size()) {
    const size_t length = static_cast<size_t>(png[at]) << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
    if (length > png.size() - at - 12) break;
    const std::string type(png.begin() + at + 4, png.begin() + at + 8);
    if (type != "gAMA" && type != "cHRM" && type != "sRGB" && type != "iCCP")
      out.insert(out.end(), png.begin() + at, png.begin() + at + 12 + length);
    at += 12 + length;
  }
  out.insert(out.end(), png.begin() + at, png.end());
  return out;
}

// libpng's simplified reader decodes to 8-bit samples with its own rounding of
// 16-bit ones, and composites transparency in a file that the reader keeps
// opaque (grey or RGB with a tRNS colour). Such files only need to decode; the
// rest must match exactly.
bool sameLayoutAsLibpng(const png_image& file, const DecodedImage& image) {
  if ((file.format & PNG_FORMAT_FLAG_LINEAR) != 0) return false;
  const bool alpha = (file.format & PNG_FORMAT_FLAG_ALPHA) != 0;
  return alpha == (image.channels == 4);
}

png_uint_32 simplifiedFormat(int channels) {
  return channels == 4 ? PNG_FORMAT_RGBA : channels == 3 ? PNG_FORMAT_RGB : PNG_FORMAT_GRAY;
}

// Runs `check` on every file of `folder` with one of the extensions (the file's
// name traced in any failure), then prints the tally under `format`.
Tally checkEach(const fs::path& folder, std::vector<std::string> extensions, const char* format,
                const std::function<void(const fs::path&, Tally*)>& check) {
  Tally tally;
  for (const fs::path& path : filesIn(folder, std::move(extensions))) {
    SCOPED_TRACE(path.filename().string());
    check(path, &tally);
  }
  tally.print(format);
  return tally;
}

}  // namespace

TEST(RealWorldFiles, PngDecodesLikeLibpngOrIsRefused) {
  REQUIRE_REALWORLD(dir);
  const Tally tally = checkEach(dir / "png", {".png"}, "PNG", [](const fs::path& path, Tally* tally) {
    const Bytes bytes = readAll(path);
    DecodedImage image;
    std::string error;
    const bool decoded = decodeChecked(path, bytes, lb_engine::decodePNG, &image, &error, tally);

    // libpng's simplified reader on the same samples, in the reader's layout
    // where the reader decoded the file, else in the file's own.
    const Bytes plain = withoutColourSpace(bytes);
    png_image reference;
    std::memset(&reference, 0, sizeof reference);
    reference.version = PNG_IMAGE_VERSION;
    Bytes topFirst;
    bool referenceDecoded = png_image_begin_read_from_memory(&reference, plain.data(), plain.size()) != 0;
    const bool comparable = decoded && referenceDecoded && sameLayoutAsLibpng(reference, image);
    if (referenceDecoded) {
      if (decoded) reference.format = simplifiedFormat(image.channels);
      topFirst.resize(PNG_IMAGE_SIZE(reference));
      referenceDecoded = png_image_finish_read(&reference, nullptr, topFirst.data(), 0, nullptr) != 0;
    }
    if (decoded != referenceDecoded) {
      tally->notes.push_back(path.filename().string() +
                             (decoded ? ": decoded here, libpng refuses it (" + std::string(reference.message) + ")"
                                      : ": refused here (" + error + "), libpng reads it"));
    }
    if (!comparable || !referenceDecoded) return;
    ASSERT_EQ(static_cast<int>(reference.width), image.width);
    ASSERT_EQ(static_cast<int>(reference.height), image.height);
    EXPECT_TRUE(flipped(topFirst, PNG_IMAGE_ROW_STRIDE(reference)) == image.pixels) << "pixels differ from libpng's";
    ++tally->compared;
  });
  EXPECT_GT(tally.compared, 100);
}

TEST(RealWorldFiles, JpegDecodesLikeTurboJpegOrIsRefused) {
  REQUIRE_REALWORLD(dir);
  const Tally tally = checkEach(dir / "jpeg", {".jpg", ".jpeg"}, "JPEG", [](const fs::path& path, Tally* tally) {
    const Bytes bytes = readAll(path);
    DecodedImage image;
    std::string error;
    if (!decodeChecked(path, bytes, lb_engine::decodeJPEG, &image, &error, tally)) return;
    // TurboJPEG's header reader refuses a file on any warning; its decoder goes
    // on past warnings and fills every row. A fresh handle for each file: one
    // that has met a warning does not decode the next file alike.
    tjhandle handle = tjInitDecompress();
    int width = 0, height = 0, subsampling = 0, colorspace = 0;
    if (tjDecompressHeader3(handle, bytes.data(), bytes.size(), &width, &height, &subsampling, &colorspace) != 0) {
      tally->notes.push_back(path.filename().string() + ": kept; TurboJPEG's header reader stops at \"" +
                             tjGetErrorStr2(handle) + "\"");
      tjDestroy(handle);
      return;
    }
    EXPECT_EQ(width, image.width);
    EXPECT_EQ(height, image.height);
    Bytes topFirst(static_cast<size_t>(width) * height * 3);
    if (tjDecompress2(handle, bytes.data(), bytes.size(), topFirst.data(), width, 0, height, TJPF_RGB, 0) != 0)
      tally->notes.push_back(path.filename().string() + ": kept despite TurboJPEG's \"" + tjGetErrorStr2(handle) + "\"");
    tjDestroy(handle);
    EXPECT_TRUE(flipped(topFirst, static_cast<size_t>(width) * 3) == image.pixels) << "pixels differ from TurboJPEG's";
    ++tally->compared;
  });
  EXPECT_GT(tally.compared, 40);
}

TEST(RealWorldFiles, TgaDecodesOrIsRefused) {
  REQUIRE_REALWORLD(dir);
  const Tally tally = checkEach(dir / "tga", {".tga"}, "TGA", [](const fs::path& path, Tally* tally) {
    DecodedImage image;
    std::string error;
    decodeChecked(path, readAll(path), lb_engine::decodeTGA, &image, &error, tally);
  });
  EXPECT_GT(tally.decoded, 0);
}

TEST(RealWorldFiles, ObjIsReadOrRefusedWithAMessage) {
  REQUIRE_REALWORLD(dir);
  const Tally tally = checkEach(dir / "obj", {".obj"}, "OBJ", [](const fs::path& path, Tally* tally) {
    lb_engine::ObjData obj;
    const lb_engine::ObjFileResult result = lb_engine::loadOBJFile(path.string().c_str(), &obj, nullptr);
    ASSERT_NE(result, lb_engine::ObjFileResult::kUnreadable);
    if (result == lb_engine::ObjFileResult::kInvalid) {
      // The reasons, which the caller's fatal message carries.
      EXPECT_FALSE(obj.faults.empty()) << "refused without a reason";
      ++tally->refused;
      return;
    }
    ++tally->decoded;
    // Every accepted face names records that exist (-1: a corner left it out).
    const long positions = static_cast<long>(obj.positions.size() / 3);
    for (lb_engine::MeshIndex& face : obj.faces)
      for (int corner = 0; corner < 3; ++corner) {
        const long v = face.getVertex(corner);
        ASSERT_TRUE(v >= -1 && v < positions) << "face names position " << v;
      }
    // The line-buffer reader agrees with the in-place fast path.
    const Bytes bytes = readAll(path);
    lb_engine::ObjData buffered;
    ASSERT_TRUE(lb_engine::parseOBJBuffered(reinterpret_cast<const char*>(bytes.data()), bytes.size(), "x.obj",
                                            &buffered, nullptr));
    EXPECT_EQ(buffered.positions, obj.positions);
    EXPECT_EQ(buffered.faces.size(), obj.faces.size());
  });
  EXPECT_GT(tally.decoded, 0);
}
