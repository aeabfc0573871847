#pragma once
// What one line of the asset catalogue means, decided without loading anything.
//
// Fields are separated by single spaces: the keyword is the text before the first
// space, the key the text between the first and second space, and the last field
// runs to the end of the line (spaces and a trailing carriage return included).
// "Texture key path", "Mesh key path", "File key path" and
// "Shader key fragment-path vertex-path" (the fragment path ends at the third
// space). Any other keyword is ignored.

#include "Texture.h"

#include <string>

namespace lb_engine {

struct CatalogueLine {
  enum Kind { kIgnored, kMalformed, kTexture, kShader, kMesh, kFile };
  Kind kind = kIgnored;
  std::string key;
  std::string path;        // texture, mesh or file path; the fragment path of a shader
  std::string vertexPath;  // shaders only
  ImgType decoder = IMG_PNG;  // textures: IMG_JPEG when the path ends in exactly "jpg"
  const char* problem = nullptr;  // kMalformed only: what is wrong
};

CatalogueLine parseCatalogueLine(const std::string& line);

}  // namespace lb_engine
