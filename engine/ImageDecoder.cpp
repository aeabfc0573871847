#include "ImageDecoder.h"

#include "Gl.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <utility>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>
#include <jerror.h>  // the JWRN_ warning codes

namespace lb_engine {

namespace {

bool dimensionsAcceptable(long long width, long long height, std::string* error) {
  if (width <= 0 || height <= 0 || width > kMaxImageDimension || height > kMaxImageDimension) {
    *error = "image size " + std::to_string(width) + "x" + std::to_string(height) +
             " is outside 1.." + std::to_string(kMaxImageDimension);
    return false;
  }
  return true;
}

// ---- PNG -------------------------------------------------------------------

// Deflate cannot expand one compressed byte into more than 1032 bytes, so image
// data larger than that multiple of the file can only come from a lying header.
constexpr unsigned long long kMaxDeflateRatio = 1032;

struct PngDecodeState {
  const unsigned char* data = nullptr;
  size_t size = 0;
  size_t offset = 0;
  char message[200] = {0};
  png_structp png = nullptr;
  png_infop info = nullptr;
  DecodedImage* image = nullptr;
  std::vector<png_bytep> rows;
};

void pngReadFromMemory(png_structp png, png_bytep out, png_size_t length) {
  auto* state = static_cast<PngDecodeState*>(png_get_io_ptr(png));
  if (length > state->size - state->offset) png_error(png, "file is truncated");
  std::memcpy(out, state->data + state->offset, length);
  state->offset += length;
}

// libpng must not return from its error callback; the jump lands in runPngDecode.
[[noreturn]] void pngErrorToMessage(png_structp png, png_const_charp message) {
  auto* state = static_cast<PngDecodeState*>(png_get_error_ptr(png));
  std::snprintf(state->message, sizeof(state->message), "%s", message);
  png_longjmp(png, 1);
}

void pngIgnoreWarning(png_structp, png_const_charp) {}

// A libpng error longjmps back here, so this frame holds no object with a
// destructor and everything it fills lives in `state`.
bool runPngDecode(PngDecodeState* state) {
  if (setjmp(png_jmpbuf(state->png))) return false;
  png_structp png = state->png;
  png_infop info = state->info;
  png_set_read_fn(png, state, pngReadFromMemory);
#if defined(PNG_IGNORE_ADLER32) && defined(PNG_SET_OPTION_SUPPORTED)
  // The zlib stream's Adler-32 sum is a third of the decoding work of a large
  // image; every IDAT chunk that carries the stream has its own CRC, which is
  // still checked, so a damaged file is rejected all the same.
  png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
  png_read_info(png, info);

  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  // Checked here rather than through libpng's user limits, whose refusal only
  // says "Invalid IHDR data"; no row is allocated before this point.
  if (width > static_cast<png_uint_32>(kMaxImageDimension) || height > static_cast<png_uint_32>(kMaxImageDimension)) {
    std::snprintf(state->message, sizeof(state->message), "image size %ux%u is outside 1..%d",
                  static_cast<unsigned>(width), static_cast<unsigned>(height), kMaxImageDimension);
    return false;
  }
  const unsigned long long fileRowBytes = png_get_rowbytes(png, info);
  // One filter byte per row on top of the packed samples.
  if ((fileRowBytes + 1) * height > kMaxDeflateRatio * state->size) {
    std::snprintf(state->message, sizeof(state->message),
                  "%ux%u image needs more data than the file can hold", static_cast<unsigned>(width),
                  static_cast<unsigned>(height));
    return false;
  }

  // Everything becomes 8-bit grey, RGB or RGBA; grey with alpha becomes RGBA so
  // that the upload format is one the core profile accepts.
  const int colorType = png_get_color_type(png, info);
  const int bitDepth = png_get_bit_depth(png, info);
  if (colorType == PNG_COLOR_TYPE_PALETTE) {
    png_set_palette_to_rgb(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
  }
  if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (bitDepth == 16) png_set_strip_16(png);
  if (colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);

  const int channels = png_get_channels(png, info);
  const size_t rowBytes = png_get_rowbytes(png, info);
  if (channels < 1 || channels > 4 || rowBytes != static_cast<size_t>(width) * channels) {
    std::snprintf(state->message, sizeof(state->message), "unexpected PNG layout (%d channels)", channels);
    return false;
  }
  DecodedImage* image = state->image;
  image->pixels.resize(rowBytes * height);
  state->rows.resize(height);
  // The file's top row goes to the end of the buffer: bottom row first.
  for (png_uint_32 i = 0; i < height; ++i) state->rows[height - 1 - i] = image->pixels.data() + i * rowBytes;
  png_read_image(png, state->rows.data());

  image->width = static_cast<int>(width);
  image->height = static_cast<int>(height);
  image->channels = channels;
  image->format = channels == 4 ? GL_RGBA : channels == 3 ? GL_RGB : GL_RED;
  return true;
}

// ---- TGA -------------------------------------------------------------------

constexpr size_t kTgaHeaderSize = 18;
constexpr int kTgaTrueColor = 2;
constexpr int kTgaGrey = 3;
constexpr unsigned char kTgaTopOrigin = 0x20;  // image descriptor bit 5

int readInt16(const unsigned char* bytes) {
  return static_cast<int16_t>(static_cast<uint16_t>(bytes[0] | (bytes[1] << 8)));
}

// ---- JPEG ------------------------------------------------------------------

// A frame header is checked against the file size before anything is allocated,
// so that a few corrupt header bytes cannot cost a buffer of hundreds of
// megabytes and a decode of an image that is not there. Huffman coding spends at
// least one bit on every 8x8 block of the first component (its DC code), so a file
// with fewer bits than blocks is damaged. Arithmetic coding adapts until a flat
// block costs almost nothing (a flat 16384x16384 picture fits in about 200
// bytes), so there no size proves a header wrong: pictures up to this many
// blocks (4096x4096 pixels, 48 MiB of RGB) are read whatever the file size, and
// larger ones need the Huffman bit per block.
constexpr unsigned long long kArithmeticBlocksAlwaysRead = 512ULL * 512ULL;

bool jpegDataCanCover(int width, int height, bool arithmetic, size_t size, std::string* error) {
  const unsigned long long blocks =
      static_cast<unsigned long long>((width + 7) / 8) * static_cast<unsigned long long>((height + 7) / 8);
  if (blocks <= 8ULL * size || (arithmetic && blocks <= kArithmeticBlocksAlwaysRead)) return true;
  *error = std::to_string(width) + "x" + std::to_string(height) + " image needs more data than the file can hold";
  return false;
}

// libjpeg reports through this manager: errors jump back to runJpegDecode, and
// each warning is judged on the spot (see jpegWarningIsHarmless).
struct JpegDecodeState {
  jpeg_error_mgr manager;  // first, so that libjpeg's pointer to it is one to the state
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX] = {0};
  bool damaged = false;     // the message is a refused warning rather than an error
  bool endMissing = false;  // the data ran out before the end-of-image marker
  const unsigned char* data = nullptr;
  size_t size = 0;
  DecodedImage* image = nullptr;
  std::vector<JSAMPROW> rows;
};

// Warnings after which every sample of the picture is still the encoder's: bytes
// that are not part of any segment (a webcam frame padding its restart intervals,
// trailing bytes before the end marker), and header fields that this reader does
// not use (JFIF version, Adobe transform code, ICC profile, unused scan fields).
// Everything else means decoded data is missing or invented and refuses the file:
// a data segment cut short, a bad Huffman or arithmetic code, lost restart
// markers, a progression that refines coefficients never sent. The end of the
// file arriving early is judged after the decode (jpegComplete).
bool jpegWarningIsHarmless(int code) {
  switch (code) {
    case JWRN_EXTRANEOUS_DATA:
    case JWRN_JFIF_MAJOR:
    case JWRN_ADOBE_XFORM:
    case JWRN_BOGUS_ICC:
    case JWRN_NOT_SEQUENTIAL: return true;
    default: return false;
  }
}

[[noreturn]] void jpegErrorExit(j_common_ptr cinfo) {
  auto* state = reinterpret_cast<JpegDecodeState*>(cinfo->err);
  cinfo->err->format_message(cinfo, state->message);
  std::longjmp(state->jump, 1);
}

// Level -1 is a warning; higher levels are trace messages, which are ignored.
void jpegEmitMessage(j_common_ptr cinfo, int level) {
  if (level != -1) return;
  auto* state = reinterpret_cast<JpegDecodeState*>(cinfo->err);
  const int code = cinfo->err->msg_code;
  if (code == JWRN_JPEG_EOF) {
    state->endMissing = true;
  } else if (!jpegWarningIsHarmless(code)) {
    state->damaged = true;
    jpegErrorExit(cinfo);
  }
}

// Whether a file that ended before its end-of-image marker still gave every
// block its data: true for Huffman-coded files whose decoder never ran out of
// bits (it warns if it does) and that hold either one scan with every component
// or a progressive series that reached the DC scan of every component (later
// scans only refine). An arithmetic decoder pads missing data silently, so such
// files are never known complete. Valid between jpeg_start_decompress and the end.
bool jpegComplete(const jpeg_decompress_struct& cinfo) {
  if (cinfo.arith_code) return false;
  if (!cinfo.progressive_mode) return cinfo.comps_in_scan == cinfo.num_components;
  for (int c = 0; c < cinfo.num_components; ++c)
    if (cinfo.coef_bits[c][0] < 0) return false;
  return true;
}

// A libjpeg error or refused warning longjmps back here, so this frame holds no
// object with a destructor and everything it fills lives in `state`.
bool runJpegDecode(JpegDecodeState* state, jpeg_decompress_struct* cinfo, std::string* error) {
  if (setjmp(state->jump)) {
    *error = std::string(state->damaged ? "damaged JPEG: " : "not a readable JPEG: ") + state->message;
    return false;
  }
  jpeg_create_decompress(cinfo);
  jpeg_mem_src(cinfo, state->data, static_cast<unsigned long>(state->size));
  jpeg_read_header(cinfo, TRUE);
  const int width = static_cast<int>(cinfo->image_width);
  const int height = static_cast<int>(cinfo->image_height);
  if (!dimensionsAcceptable(width, height, error) ||
      !jpegDataCanCover(width, height, cinfo->arith_code != 0, state->size, error)) {
    return false;
  }
  // Default accurate integer DCT and smooth chroma upsampling, as TurboJPEG decodes.
  cinfo->out_color_space = JCS_RGB;
  jpeg_start_decompress(cinfo);
  const bool completeWithoutEnd = jpegComplete(*cinfo);
  DecodedImage* image = state->image;
  const size_t rowBytes = static_cast<size_t>(width) * 3;
  image->pixels.resize(rowBytes * height);
  state->rows.resize(height);
  // The file's top row goes to the end of the buffer: bottom row first.
  for (int i = 0; i < height; ++i) state->rows[height - 1 - i] = image->pixels.data() + i * rowBytes;
  while (cinfo->output_scanline < cinfo->output_height) {
    jpeg_read_scanlines(cinfo, state->rows.data() + cinfo->output_scanline,
                        cinfo->output_height - cinfo->output_scanline);
  }
  jpeg_finish_decompress(cinfo);
  if (state->endMissing && !completeWithoutEnd) {
    *error = "damaged JPEG: the file ends before all of the picture's data";
    return false;
  }
  image->width = width;
  image->height = height;
  image->channels = 3;
  image->format = GL_RGB;
  return true;
}

}  // namespace

bool decodeJPEG(const unsigned char* data, size_t size, DecodedImage* image, std::string* error) {
  *image = DecodedImage();
  if (size == 0) {
    *error = "empty file";
    return false;
  }
  JpegDecodeState state;
  jpeg_std_error(&state.manager);
  state.manager.error_exit = jpegErrorExit;
  state.manager.emit_message = jpegEmitMessage;
  state.data = data;
  state.size = size;
  state.image = image;
  jpeg_decompress_struct cinfo;
  cinfo.err = &state.manager;
  const bool ok = runJpegDecode(&state, &cinfo, error);
  jpeg_destroy_decompress(&cinfo);
  if (!ok) *image = DecodedImage();
  return ok;
}

bool decodePNG(const unsigned char* data, size_t size, DecodedImage* image, std::string* error) {
  *image = DecodedImage();
  if (size < 8 || png_sig_cmp(data, 0, 8) != 0) {
    *error = "not a PNG file";
    return false;
  }
  PngDecodeState state;
  state.data = data;
  state.size = size;
  state.image = image;
  state.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, pngErrorToMessage, pngIgnoreWarning);
  if (state.png == nullptr) {
    *error = "libpng initialisation failed";
    return false;
  }
  state.info = png_create_info_struct(state.png);
  const bool ok = state.info != nullptr && runPngDecode(&state);
  png_destroy_read_struct(&state.png, state.info != nullptr ? &state.info : nullptr, nullptr);
  if (!ok) {
    *error = state.message[0] != '\0' ? std::string("unreadable PNG: ") + state.message : "unreadable PNG";
    *image = DecodedImage();
  }
  return ok;
}

bool decodeTGA(const unsigned char* data, size_t size, DecodedImage* image, std::string* error) {
  *image = DecodedImage();
  if (size < kTgaHeaderSize) {
    *error = "shorter than the 18-byte TGA header";
    return false;
  }
  const size_t idLength = data[0];
  const int colorMapType = data[1];
  const int imageType = data[2];
  const size_t colorMapLength = static_cast<size_t>(data[5] | (data[6] << 8));
  const size_t colorMapEntryBytes = (static_cast<size_t>(data[7]) + 7) / 8;
  const int width = readInt16(data + 12);
  const int height = readInt16(data + 14);
  const int depth = data[16];
  const unsigned char descriptor = data[17];

  if (imageType != kTgaTrueColor && imageType != kTgaGrey) {
    *error = "TGA image type " + std::to_string(imageType) +
             " is not read (only uncompressed true-colour or grey)";
    return false;
  }
  if (depth != 8 && depth != 24 && depth != 32) {
    *error = "TGA pixel depth " + std::to_string(depth) + " is not read (only 8, 24 or 32 bits)";
    return false;
  }
  if (!dimensionsAcceptable(width, height, error)) return false;
  const int channels = depth / 8;
  // The ID field and any colour map (unused by true-colour data) precede the pixels.
  const size_t offset = kTgaHeaderSize + idLength + (colorMapType != 0 ? colorMapLength * colorMapEntryBytes : 0);
  const size_t rowBytes = static_cast<size_t>(width) * channels;
  const size_t needed = rowBytes * height;
  if (offset > size || needed > size - offset) {
    *error = "TGA pixel data is truncated (" + std::to_string(width) + "x" + std::to_string(height) + "x" +
             std::to_string(channels) + " bytes expected)";
    return false;
  }
  image->pixels.resize(needed);
  const unsigned char* pixels = data + offset;
  if ((descriptor & kTgaTopOrigin) != 0) {
    // Stored top row first: reverse so the buffer is bottom row first like the others.
    for (int row = 0; row < height; ++row) {
      std::memcpy(image->pixels.data() + static_cast<size_t>(height - 1 - row) * rowBytes,
                  pixels + static_cast<size_t>(row) * rowBytes, rowBytes);
    }
  } else {
    std::memcpy(image->pixels.data(), pixels, needed);
  }
  image->width = width;
  image->height = height;
  image->channels = channels;
  image->format = channels == 1 ? GL_RED : channels == 3 ? GL_BGR : GL_BGRA;
  return true;
}

DecodedImage expandedToRgba(const DecodedImage& image) {
  DecodedImage rgba;
  rgba.width = image.width;
  rgba.height = image.height;
  rgba.channels = 4;
  rgba.format = GL_RGBA;
  const bool bgr = image.format == GL_BGR || image.format == GL_BGRA;
  const size_t count = static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
  rgba.pixels.resize(count * 4);
  for (size_t i = 0; i < count; ++i) {
    const unsigned char* in = &image.pixels[i * image.channels];
    unsigned char* out = &rgba.pixels[i * 4];
    out[0] = in[0];
    out[1] = image.channels >= 3 ? in[1] : 0;
    out[2] = image.channels >= 3 ? in[2] : 0;
    out[3] = image.channels == 4 ? in[3] : 255;
    if (bgr) std::swap(out[0], out[2]);
  }
  return rgba;
}

}  // namespace lb_engine
