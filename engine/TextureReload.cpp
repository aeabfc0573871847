#include "TextureReload.h"

#include "FileBytes.h"
#include "ImageDecoder.h"
#include "TextureUpload.h"

#include <vector>

namespace lb_engine {

bool reloadTexture(const std::string& path, ImgType type, unsigned int name, std::string* error) {
  std::vector<unsigned char> bytes;
  if (!readFileBytes(path.c_str(), &bytes)) {
    *error = path + ": cannot be read";
    return false;
  }
  DecodedImage image;
  std::string problem;
  bool decoded = false;
  switch (type) {
    case IMG_JPEG: decoded = decodeJPEG(bytes.data(), bytes.size(), &image, &problem); break;
    case IMG_PNG: decoded = decodePNG(bytes.data(), bytes.size(), &image, &problem); break;
    case IMG_TGA: decoded = decodeTGA(bytes.data(), bytes.size(), &image, &problem); break;
    default: problem = "no decoder for this image type"; break;
  }
  if (!decoded) {
    *error = path + ": " + problem;
    return false;
  }
  uploadTextureImage(name, image);
  return true;
}

}  // namespace lb_engine
