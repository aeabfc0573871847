// The JPEG reader on files built here: arithmetic-coded pictures (which spend far
// less than a bit on a flat block) and, for each kind of libjpeg warning, a file
// that raises it, kept when every block still holds the encoder's data and
// refused when data is missing or invented. Pixels are compared with TurboJPEG's
// own decode of the same or the undamaged file.

#include "ImageDecoder.h"
#include "res_Images.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <turbojpeg.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

using lb_engine::DecodedImage;
using testing::HasSubstr;

namespace {

using Bytes = std::vector<unsigned char>;

constexpr unsigned char kSOS = 0xda, kEOI = 0xd9, kDHT = 0xc4, kAPP0 = 0xe0, kRST0 = 0xd0;

// A picture with detail in every block: gradients in red and green, stripes in blue.
Bytes detailed(int width, int height) {
  Bytes rgb;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      rgb.push_back(static_cast<unsigned char>(255 * x / width));
      rgb.push_back(static_cast<unsigned char>(255 * y / height));
      rgb.push_back(static_cast<unsigned char>((x / 3 + y / 5) % 2 ? 220 : 30));
    }
  return rgb;
}

struct TurboResult {
  Bytes pixels;         // RGB, bottom row first like the reader's
  std::string warning;  // TurboJPEG's first warning, stopping there; empty if none
};

// TurboJPEG's decode (top row first, flipped here), and separately the first
// warning that the file raises, which shows the file exercises what a case says.
// TurboJPEG's header reader refuses a file on a header warning: no pixels then.
TurboResult turboDecode(const Bytes& jpeg) {
  TurboResult result;
  tjhandle handle = tjInitDecompress();
  int width = 0, height = 0, subsampling = 0, colorspace = 0;
  if (tjDecompressHeader3(handle, jpeg.data(), jpeg.size(), &width, &height, &subsampling, &colorspace) != 0) {
    result.warning = tjGetErrorStr2(handle);
  } else {
    Bytes topFirst(static_cast<size_t>(width) * height * 3);
    tjDecompress2(handle, jpeg.data(), jpeg.size(), topFirst.data(), width, 0, height, TJPF_RGB, 0);
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    for (int y = height - 1; y >= 0; --y)
      result.pixels.insert(result.pixels.end(), topFirst.begin() + y * rowBytes, topFirst.begin() + (y + 1) * rowBytes);
    // A handle of its own: libjpeg formats only the first warning a handle meets.
    tjhandle probe = tjInitDecompress();
    Bytes scratch(topFirst.size());
    if (tjDecompress2(probe, jpeg.data(), jpeg.size(), scratch.data(), width, 0, height, TJPF_RGB,
                      TJFLAG_STOPONWARNING) != 0 &&
        tjGetErrorCode(probe) == TJERR_WARNING) {
      result.warning = tjGetErrorStr2(probe);
    }
    tjDestroy(probe);
  }
  tjDestroy(handle);
  return result;
}

// Offset of the first marker 0xFF `code` at or after `from` (entropy data stuffs
// every 0xFF data byte with 0x00, so a marker cannot be mistaken there), or the size.
size_t findMarker(const Bytes& jpeg, unsigned char code, size_t from) {
  for (size_t i = from; i + 1 < jpeg.size(); ++i)
    if (jpeg[i] == 0xff && jpeg[i + 1] == code) return i;
  return jpeg.size();
}

// The header segment starting with marker `code` removed (every one of them).
Bytes withoutSegments(Bytes jpeg, unsigned char code) {
  for (size_t at = findMarker(jpeg, code, 2); at < jpeg.size(); at = findMarker(jpeg, code, at)) {
    const size_t length = static_cast<size_t>(jpeg[at + 2] << 8 | jpeg[at + 3]);
    jpeg.erase(jpeg.begin() + at, jpeg.begin() + at + 2 + length);
  }
  return jpeg;
}

Bytes inserted(Bytes jpeg, size_t at, const Bytes& bytes) {
  jpeg.insert(jpeg.begin() + at, bytes.begin(), bytes.end());
  return jpeg;
}

Bytes cutAt(const Bytes& jpeg, size_t at) { return Bytes(jpeg.begin(), jpeg.begin() + at); }

// Offset of the first entropy-coded byte: just past the first scan header.
size_t entropyStart(const Bytes& jpeg) {
  const size_t sos = findMarker(jpeg, kSOS, 2);
  return sos + 2 + (jpeg[sos + 2] << 8 | jpeg[sos + 3]);
}

// The same detailed picture encoded each way the warning cases start from.
struct Encodings {
  static constexpr int kWidth = 48, kHeight = 32;
  Bytes baseline, restarted, progressive, arithmeticCoded;

  Encodings() {
    const Bytes rgb = detailed(kWidth, kHeight);
    baseline = encode(rgb, lb_test::JpegOptions());
    lb_test::JpegOptions options;
    options.restartInterval = 1;  // a restart marker after every MCU
    restarted = encode(rgb, options);
    options = lb_test::JpegOptions();
    options.progressive = true;
    progressive = encode(rgb, options);
    options = lb_test::JpegOptions();
    options.arithmetic = true;
    arithmeticCoded = encode(rgb, options);
  }

 private:
  static Bytes encode(const Bytes& rgb, const lb_test::JpegOptions& options) {
    return lb_test::encodeJPEGWith(kWidth, kHeight, 3, rgb, options);
  }
};

struct Case {
  const char* what;
  Bytes file;
  Bytes reference;          // the file whose TurboJPEG pixels a kept picture must equal
  const char* turboWarning;  // what TurboJPEG reports first ("" for nothing)
  const char* refusal;       // for refused files: part of the reader's message
};

}  // namespace

// ---------------------------------------------------------------------------
// Arithmetic coding.

TEST(JpegArithmetic, FlatMegapixelPictureOfAFewHundredBytesDecodes) {
  const int side = 1024;
  Bytes rgb;
  for (int i = 0; i < side * side; ++i) rgb.insert(rgb.end(), {200, 60, 30});
  lb_test::JpegOptions options;
  options.arithmetic = true;
  const Bytes jpeg = lb_test::encodeJPEGWith(side, side, 3, rgb, options);
  ASSERT_LT(jpeg.size(), 300u) << "far fewer bits than the 16384 blocks";

  DecodedImage image;
  std::string error;
  ASSERT_TRUE(lb_engine::decodeJPEG(jpeg.data(), jpeg.size(), &image, &error)) << error;
  EXPECT_EQ(image.width, side);
  EXPECT_EQ(image.height, side);
  EXPECT_EQ(image.pixels, turboDecode(jpeg).pixels);
  for (size_t i = 0; i < image.pixels.size(); i += 3 * 4099) {
    EXPECT_NEAR(image.pixels[i], 200, 3);
    EXPECT_NEAR(image.pixels[i + 1], 60, 3);
    EXPECT_NEAR(image.pixels[i + 2], 30, 3);
  }
}

TEST(JpegArithmetic, SequentialAndProgressivePicturesMatchTurboJpegBottomRowFirst) {
  const int width = 67, height = 45;
  const Bytes rgb = detailed(width, height);
  for (bool progressive : {false, true}) {
    SCOPED_TRACE(progressive ? "progressive" : "sequential");
    lb_test::JpegOptions options;
    options.arithmetic = true;
    options.progressive = progressive;
    options.quality = 95;
    const Bytes jpeg = lb_test::encodeJPEGWith(width, height, 3, rgb, options);
    const unsigned char frameMarker = progressive ? 0xca : 0xc9;  // SOF10 or SOF9: arithmetic coding
    ASSERT_LT(findMarker(jpeg, frameMarker, 2), jpeg.size());
    DecodedImage image;
    std::string error;
    ASSERT_TRUE(lb_engine::decodeJPEG(jpeg.data(), jpeg.size(), &image, &error)) << error;
    EXPECT_EQ(image.pixels, turboDecode(jpeg).pixels);
    // The source's top-left pixel (red 0, green 0) lands in the buffer's last row.
    const size_t topLeft = static_cast<size_t>(height - 1) * width * 3;
    EXPECT_NEAR(image.pixels[topLeft], 0, 12);
    EXPECT_NEAR(image.pixels[topLeft + 1], 0, 12);
  }
}

TEST(JpegArithmetic, HeaderClaimsBeyond4096SquaredNeedABitPerBlock) {
  // The fuzzer's Huffman bomb (10968 x 8460 claimed in 36 bytes) turned into an
  // arithmetic-coded frame (SOF9) is refused all the same.
  unsigned char bomb[] = {0xff, 0xd8, 0xff, 0xff, 0xc9, 0x00, 0x11, 0x08, 0x2a, 0xd8, 0x21, 0x0c,
                          0x03, 0x01, 0x22, 0x00, 0x02, 0x11, 0x00, 0x03, 0x11, 0x00, 0xff, 0xda,
                          0x00, 0x0c, 0x03, 0x01, 0x10, 0x02, 0x11, 0x03, 0x11, 0x00, 0x1e, 0xed};
  DecodedImage image;
  std::string error;
  EXPECT_FALSE(lb_engine::decodeJPEG(bomb, sizeof bomb, &image, &error));
  EXPECT_EQ(error, "8460x10968 image needs more data than the file can hold");

  // Flat grey pictures cost the same handful of bytes at any size: 4096 x 4096 is
  // read, one block column more is not.
  lb_test::JpegOptions options;
  options.arithmetic = true;
  const Bytes atLimit = lb_test::encodeJPEGWith(4096, 4096, 1, Bytes(4096 * 4096, 90), options);
  ASSERT_TRUE(lb_engine::decodeJPEG(atLimit.data(), atLimit.size(), &image, &error)) << error;
  EXPECT_NEAR(image.pixels[3 * (4096 * 2048 + 7)], 90, 1);
  const Bytes beyond = lb_test::encodeJPEGWith(4104, 4096, 1, Bytes(4104 * 4096, 90), options);
  EXPECT_FALSE(lb_engine::decodeJPEG(beyond.data(), beyond.size(), &image, &error));
  EXPECT_EQ(error, "4104x4096 image needs more data than the file can hold");
}

// ---------------------------------------------------------------------------
// Warnings.

TEST(JpegWarnings, PicturesWhoseBlocksAreAllIntactAreKept) {
  const Encodings encoded;
  const Bytes& baseline = encoded.baseline;
  const Bytes& restarted = encoded.restarted;
  const Bytes& progressive = encoded.progressive;
  const size_t eoi = baseline.size() - 2;

  Bytes jfif2 = baseline;
  const size_t app0 = findMarker(jfif2, kAPP0, 2);
  ASSERT_LT(app0 + 9, jfif2.size());
  jfif2.at(app0 + 9) = 2;  // JFIF version 2.01
  Bytes unusedScanFields = baseline;
  unusedScanFields[entropyStart(baseline) - 1] = 0x01;  // Al = 1 in a sequential scan
  // An Adobe marker whose colour transform code (9) means nothing; without a JFIF
  // marker libjpeg reads three components as YCbCr, which they are.
  const Bytes adobe = {0xff, 0xee, 0x00, 0x0e, 'A', 'd', 'o', 'b', 'e', 0x00, 0x64, 0x00, 0x00, 0x00, 0x00, 0x09};
  const Bytes unknownTransform = inserted(withoutSegments(baseline, kAPP0), 2, adobe);
  // Cut where the third scan begins: the DC scans of all components are there.
  const size_t secondScan = findMarker(progressive, kSOS, entropyStart(progressive));
  const size_t thirdScan = findMarker(progressive, kSOS, secondScan + 2);

  const Case cases[] = {
      {"bytes between the data and the end marker", inserted(baseline, eoi, Bytes(100, 7)), baseline,
       "extraneous bytes before marker 0xd9", nullptr},
      {"webcam padding before a restart marker", inserted(restarted, findMarker(restarted, kRST0 + 1, 2), Bytes(16, 0)),
       restarted, "extraneous bytes before marker 0xd", nullptr},
      {"a motion-JPEG frame without Huffman tables", withoutSegments(baseline, kDHT), baseline, "", nullptr},
      {"unknown JFIF major version", jfif2, baseline, "unknown JFIF revision number 2.01", nullptr},
      {"unknown Adobe colour transform", unknownTransform, baseline, "Unknown Adobe color transform code 9", nullptr},
      {"progressive fields in a sequential scan", unusedScanFields, baseline,
       "Invalid SOS parameters for sequential JPEG", nullptr},
      {"only the end marker missing", cutAt(baseline, eoi), baseline, "Premature end of JPEG file", nullptr},
      {"progressive file ending after its DC scans", cutAt(progressive, thirdScan), cutAt(progressive, thirdScan),
       "Premature end of JPEG file", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_THAT(turboDecode(c.file).warning, HasSubstr(c.turboWarning));
    if (c.turboWarning[0] == '\0') {
      EXPECT_EQ(turboDecode(c.file).warning, "");
    }
    DecodedImage image;
    std::string error;
    ASSERT_TRUE(lb_engine::decodeJPEG(c.file.data(), c.file.size(), &image, &error)) << error;
    EXPECT_EQ(image.width, Encodings::kWidth);
    EXPECT_EQ(image.pixels, turboDecode(c.reference).pixels);
  }
}

TEST(JpegWarnings, PicturesWithMissingOrInventedDataAreRefused) {
  const Encodings encoded;
  const Bytes& baseline = encoded.baseline;
  const Bytes& restarted = encoded.restarted;
  const Bytes& progressive = encoded.progressive;
  const Bytes& arithmeticCoded = encoded.arithmeticCoded;

  const size_t data = entropyStart(baseline);
  const size_t middle = (data + baseline.size()) / 2;
  Bytes cutShort = cutAt(baseline, middle);
  cutShort.insert(cutShort.end(), {0xff, kEOI});
  // Nine one-bits (0xFF stuffed with 0x00) are no luminance DC code.
  Bytes badCode = baseline;
  for (size_t i = data; i < data + 4; i += 2) {
    badCode[i] = 0xff;
    badCode[i + 1] = 0x00;
  }
  Bytes lostRestart = restarted;
  lostRestart[findMarker(lostRestart, kRST0 + 1, 2) + 1] = kRST0 + 5;
  // The first scan (every component's DC) taken out.
  const size_t firstScan = findMarker(progressive, kSOS, 2);
  const size_t secondScan = findMarker(progressive, kSOS, firstScan + 2);
  Bytes noDcScan = progressive;
  noDcScan.erase(noDcScan.begin() + firstScan, noDcScan.begin() + secondScan);

  const Case cases[] = {
      {"data segment cut short before the end marker", cutShort, {}, "premature end of data segment",
       "damaged JPEG: Corrupt JPEG data: premature end of data segment"},
      {"file cut inside the scan", cutAt(baseline, middle), {}, "Premature end of JPEG file",
       "damaged JPEG: Corrupt JPEG data: premature end of data segment"},
      {"bad Huffman code", badCode, {}, "bad Huffman code", "damaged JPEG: Corrupt JPEG data: bad Huffman code"},
      {"restart marker out of sequence", lostRestart, {}, "found marker 0xd5 instead of RST1",
       "damaged JPEG: Corrupt JPEG data: found marker 0xd5 instead of RST1"},
      {"progressive refinement without its DC scan", noDcScan, {}, "Inconsistent progression sequence",
       "damaged JPEG: Inconsistent progression sequence"},
      {"progressive file cut inside its DC scan", cutAt(progressive, (firstScan + secondScan) / 2), {},
       "Premature end of JPEG file", "damaged JPEG: Corrupt JPEG data: premature end of data segment"},
      {"arithmetic-coded file without its end marker", cutAt(arithmeticCoded, arithmeticCoded.size() - 2), {},
       "Premature end of JPEG file", "damaged JPEG: the file ends before all of the picture's data"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_THAT(turboDecode(c.file).warning, HasSubstr(c.turboWarning));
    DecodedImage image;
    std::string error;
    EXPECT_FALSE(lb_engine::decodeJPEG(c.file.data(), c.file.size(), &image, &error));
    EXPECT_THAT(error, HasSubstr(c.refusal));
    EXPECT_TRUE(image.pixels.empty());
  }
}
