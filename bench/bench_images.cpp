// Image decoding: the engine's decoders against the bare library calls on the
// same bytes (file reading is excluded from both, so the figures compare the
// decoding work alone).

#include "FileBytes.h"
#include "ImageDecoder.h"
#include "bench.h"

#include <png.h>
#include <turbojpeg.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

namespace lb_bench {

namespace {

bool endsWith(const std::string& s, const char* suffix) {
  const size_t n = std::strlen(suffix);
  return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

// The least a program can do with libpng's simplified API: decode to RGBA.
bool barePng(const std::vector<unsigned char>& bytes, std::vector<unsigned char>* out) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return false;
  image.format = PNG_FORMAT_RGBA;
  out->resize(PNG_IMAGE_SIZE(image));
  const bool ok = png_image_finish_read(&image, nullptr, out->data(), 0, nullptr) != 0;
  png_image_free(&image);
  return ok;
}

bool bareJpeg(const std::vector<unsigned char>& bytes, std::vector<unsigned char>* out) {
  tjhandle handle = tjInitDecompress();
  int width = 0, height = 0, subsampling = 0, colourspace = 0;
  bool ok = tjDecompressHeader3(handle, bytes.data(), bytes.size(), &width, &height, &subsampling,
                                &colourspace) == 0;
  if (ok) {
    out->resize(static_cast<size_t>(width) * height * 3);
    ok = tjDecompress2(handle, bytes.data(), bytes.size(), out->data(), width, 0, height, TJPF_RGB,
                       TJFLAG_BOTTOMUP) == 0;
  }
  tjDestroy(handle);
  return ok;
}

double timeOnce(const std::function<void()>& f) {
  const double t0 = nowSeconds();
  f();
  return nowSeconds() - t0;
}

}  // namespace

int runImages(int reps, const std::vector<std::string>& files) {
  std::printf("# images\nfile\tpixels\tengine_ms\tbare_ms\tratio\n");
  for (const std::string& path : files) {
    std::vector<unsigned char> bytes;
    if (!lb_engine::readFileBytes(path.c_str(), &bytes)) {
      std::fprintf(stderr, "lb_bench: %s: cannot read\n", path.c_str());
      return 1;
    }
    const bool jpeg = endsWith(path, "jpg");
    lb_engine::DecodedImage image;
    std::string error;
    std::vector<unsigned char> bare;
    const std::function<void()> engineDecode = [&] {
      image = lb_engine::DecodedImage();
      if (jpeg) {
        lb_engine::decodeJPEG(bytes.data(), bytes.size(), &image, &error);
      } else {
        lb_engine::decodePNG(bytes.data(), bytes.size(), &image, &error);
      }
    };
    // A fresh output buffer every time on both sides, as a loader that decodes
    // one image and hands it on has: the engine's decoder starts from an empty
    // image, so reusing the bare side's buffer would spare it the allocation and
    // the first touch of every page.
    const std::function<void()> bareDecode = [&] {
      bare = std::vector<unsigned char>();
      jpeg ? bareJpeg(bytes, &bare) : barePng(bytes, &bare);
    };
    // The two alternate, with the one that goes first swapped every round, so
    // that a change in the machine's load or a warm-up favours neither; each
    // keeps its best time.
    double engine = 1e30, plain = 1e30;
    for (int r = 0; r < reps; ++r) {
      if (r % 2 == 0) {
        engine = std::min(engine, timeOnce(engineDecode));
        plain = std::min(plain, timeOnce(bareDecode));
      } else {
        plain = std::min(plain, timeOnce(bareDecode));
        engine = std::min(engine, timeOnce(engineDecode));
      }
    }
    std::printf("%s\t%d\t%.3f\t%.3f\t%.3f\n", baseName(path).c_str(), image.width * image.height,
                engine * 1e3, plain * 1e3, engine / plain);
  }
  return 0;
}

}  // namespace lb_bench
