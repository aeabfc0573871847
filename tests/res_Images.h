#pragma once
// Writers of small test images: PNG through libpng, JPEG through TurboJPEG (or
// libjpeg where TurboJPEG has no switch for it), TGA by hand. Pixel input is
// always top row first, as picture files and viewers order it.

#include <png.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace lb_test {

struct PngOptions {
  int colorType = PNG_COLOR_TYPE_RGB;
  int bitDepth = 8;
  bool interlaced = false;
  std::vector<png_color> palette;
  std::vector<unsigned char> transparency;  // tRNS entries for palette images
};

inline int pngChannels(int colorType) {
  switch (colorType) {
    case PNG_COLOR_TYPE_GRAY: return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
    default: return 1;  // palette indices
  }
}

// `rows` holds height rows of packed samples at the given bit depth (16-bit
// samples big-endian, sub-byte samples packed high bits first).
inline std::vector<unsigned char> encodePNG(int width, int height, const std::vector<unsigned char>& rows,
                                            const PngOptions& options = PngOptions()) {
  std::vector<unsigned char> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, png_size_t length) {
        auto* sink = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(p));
        sink->insert(sink->end(), data, data + length);
      },
      nullptr);
  png_set_IHDR(png, info, width, height, options.bitDepth, options.colorType,
               options.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!options.palette.empty()) {
    png_set_PLTE(png, info, options.palette.data(), static_cast<int>(options.palette.size()));
  }
  if (!options.transparency.empty()) {
    png_set_tRNS(png, info, options.transparency.data(), static_cast<int>(options.transparency.size()), nullptr);
  }
  png_write_info(png, info);
  png_set_interlace_handling(png);
  const size_t rowBytes = (static_cast<size_t>(width) * pngChannels(options.colorType) * options.bitDepth + 7) / 8;
  std::vector<png_bytep> pointers(height);
  for (int y = 0; y < height; ++y) pointers[y] = const_cast<unsigned char*>(rows.data()) + y * rowBytes;
  png_write_image(png, pointers.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

// RGB pixels, 4:4:4 chroma, quality 95.
inline std::vector<unsigned char> encodeJPEG(int width, int height, const std::vector<unsigned char>& rgb) {
  tjhandle handle = tjInitCompress();
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  tjCompress2(handle, rgb.data(), width, 0, height, TJPF_RGB, &buffer, &size, TJSAMP_444, 95, 0);
  std::vector<unsigned char> out(buffer, buffer + size);
  tjFree(buffer);
  tjDestroy(handle);
  return out;
}

struct JpegOptions {
  bool arithmetic = false;   // arithmetic instead of Huffman entropy coding
  bool progressive = false;  // libjpeg's standard progressive scan series
  int restartInterval = 0;   // MCUs between restart markers, 0 for none
  int quality = 90;
};

// RGB or grey (`components` 3 or 1) pixels through libjpeg, 4:2:0 chroma for RGB.
inline std::vector<unsigned char> encodeJPEGWith(int width, int height, int components,
                                                 const std::vector<unsigned char>& pixels,
                                                 const JpegOptions& options) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr errors;
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = width;
  cinfo.image_height = height;
  cinfo.input_components = components;
  cinfo.in_color_space = components == 3 ? JCS_RGB : JCS_GRAYSCALE;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, options.quality, TRUE);
  cinfo.arith_code = options.arithmetic ? TRUE : FALSE;
  cinfo.restart_interval = options.restartInterval;
  if (options.progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<unsigned char*>(pixels.data()) + static_cast<size_t>(cinfo.next_scanline) * width * components;
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<unsigned char> out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

struct TgaHeader {
  int idLength = 0;
  int colorMapType = 0;
  int imageType = 2;
  int colorMapLength = 0;
  int colorMapEntryBits = 0;
  int width = 0;
  int height = 0;
  int depth = 24;
  int descriptor = 0;  // 0x20: top-left origin
};

// The 18-byte header followed by `payload` (ID field, colour map and pixels as the
// caller lays them out).
inline std::vector<unsigned char> encodeTGA(const TgaHeader& h, const std::vector<unsigned char>& payload) {
  std::vector<unsigned char> out(18 + payload.size(), 0);
  out[0] = static_cast<unsigned char>(h.idLength);
  out[1] = static_cast<unsigned char>(h.colorMapType);
  out[2] = static_cast<unsigned char>(h.imageType);
  out[5] = static_cast<unsigned char>(h.colorMapLength & 0xff);
  out[6] = static_cast<unsigned char>(h.colorMapLength >> 8);
  out[7] = static_cast<unsigned char>(h.colorMapEntryBits);
  out[12] = static_cast<unsigned char>(h.width & 0xff);
  out[13] = static_cast<unsigned char>((h.width >> 8) & 0xff);
  out[14] = static_cast<unsigned char>(h.height & 0xff);
  out[15] = static_cast<unsigned char>((h.height >> 8) & 0xff);
  out[16] = static_cast<unsigned char>(h.depth);
  out[17] = static_cast<unsigned char>(h.descriptor);
  std::copy(payload.begin(), payload.end(), out.begin() + 18);
  return out;
}

// The PNG chunk checksum (CRC-32 of ISO 3309), for patching headers in tests.
inline uint32_t pngCrc(const unsigned char* data, size_t length) {
  uint32_t crc = 0xffffffffu;
  for (size_t i = 0; i < length; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
  }
  return crc ^ 0xffffffffu;
}

// Rewrites the height in a PNG's IHDR and fixes the chunk's checksum.
inline void patchPngHeight(std::vector<unsigned char>* png, uint32_t height) {
  unsigned char* bytes = png->data();
  for (int i = 0; i < 4; ++i) bytes[20 + i] = static_cast<unsigned char>(height >> (24 - 8 * i));
  const uint32_t crc = pngCrc(bytes + 12, 17);
  for (int i = 0; i < 4; ++i) bytes[29 + i] = static_cast<unsigned char>(crc >> (24 - 8 * i));
}

}  // namespace lb_test
