// libFuzzer harness for the image decoders. Which decoder runs is fixed at
// build time (LB_FUZZ_DECODER = decodePNG, decodeJPEG or decodeTGA), so each
// harness keeps a corpus of its own format.

#include "ImageDecoder.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  lb_engine::DecodedImage image;
  std::string error;
  if (lb_engine::LB_FUZZ_DECODER(data, size, &image, &error)) {
    // A decoded image must describe exactly the buffer it comes with.
    const size_t expected = static_cast<size_t>(image.width) * image.height * image.channels;
    if (image.width <= 0 || image.height <= 0 || image.pixels.size() != expected) std::abort();
  } else if (error.empty()) {
    std::abort();  // every rejection says why
  }
  return 0;
}
