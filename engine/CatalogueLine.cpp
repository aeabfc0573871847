#include "CatalogueLine.h"

namespace lb_engine {

namespace {

CatalogueLine malformed(const char* problem) {
  CatalogueLine result;
  result.kind = CatalogueLine::kMalformed;
  result.problem = problem;
  return result;
}

}  // namespace

CatalogueLine parseCatalogueLine(const std::string& line) {
  CatalogueLine result;
  const size_t firstSpace = line.find(' ');
  const std::string keyword = line.substr(0, firstSpace);
  if (keyword == "Texture") {
    result.kind = CatalogueLine::kTexture;
  } else if (keyword == "Shader") {
    result.kind = CatalogueLine::kShader;
  } else if (keyword == "Mesh") {
    result.kind = CatalogueLine::kMesh;
  } else if (keyword == "File") {
    result.kind = CatalogueLine::kFile;
  } else {
    return result;  // unknown keywords, blank lines and lines starting with a space
  }
  if (firstSpace == std::string::npos) return malformed("missing key and path");
  const size_t secondSpace = line.find(' ', firstSpace + 1);
  if (secondSpace == std::string::npos) return malformed("missing path after the key");
  result.key = line.substr(firstSpace + 1, secondSpace - firstSpace - 1);
  result.path = line.substr(secondSpace + 1);

  if (result.kind == CatalogueLine::kShader) {
    const size_t thirdSpace = line.find(' ', secondSpace + 1);
    if (thirdSpace == std::string::npos) return malformed("shader needs a fragment path and a vertex path");
    result.path = line.substr(secondSpace + 1, thirdSpace - secondSpace - 1);
    result.vertexPath = line.substr(thirdSpace + 1);
  } else if (result.kind == CatalogueLine::kTexture) {
    if (result.path.size() < 3) return malformed("texture path shorter than three characters");
    // Only the exact, case-sensitive suffix counts: "JPG" and "jpeg" go to the PNG decoder.
    result.decoder = result.path.compare(result.path.size() - 3, 3, "jpg") == 0 ? IMG_JPEG : IMG_PNG;
  }
  return result;
}

}  // namespace lb_engine
