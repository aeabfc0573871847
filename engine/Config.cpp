#include "Config.h"

#include "CatalogueLine.h"
#include "FatalError.h"
#include "Gl.h"
#include "Mesh3D.h"
#include "ShaderProgram.h"
#include "Texture.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace lb_engine {

namespace {

// A scene asking for an asset the catalogue lacks cannot be built: say which, and
// end before the show starts.
[[noreturn]] void missingKey(const std::string& catalogue, const char* kind, const std::string& key) {
  fatalError(catalogue + ": no " + kind + " with key \"" + key + "\"");
}

}  // namespace

Config::Config(const char* path) : path(path) {
  // A missing catalogue is not reported here: the first fatal look-up names it.
  std::ifstream in(path, std::ios::binary);  // a carriage return stays in the line, on Windows too
  std::string line;
  int lineNumber = 0;
  while (std::getline(in, line)) {
    ++lineNumber;
    const CatalogueLine entry = parseCatalogueLine(line);
    switch (entry.kind) {
      case CatalogueLine::kIgnored:
        break;
      case CatalogueLine::kMalformed:
        std::fprintf(stderr, "%s:%d: %s; line skipped\n", path, lineNumber, entry.problem);
        break;
      case CatalogueLine::kTexture: {
        // Only the GL name is kept; the Texture object itself is not needed again.
        Texture* texture = new Texture(entry.path.c_str(), entry.decoder);
        textures[entry.key] = texture->getTexID();
        delete texture;
        break;
      }
      case CatalogueLine::kShader: {
        ShaderProgram* program = new ShaderProgram();
        program->addShader(entry.path.c_str(), GL_FRAGMENT_SHADER);
        program->addShader(entry.vertexPath.c_str(), GL_VERTEX_SHADER);
        program->compile();
        shaders[entry.key] = program;
        break;
      }
      case CatalogueLine::kMesh:
        models[entry.key] = new Mesh3D(entry.path.c_str());
        break;
      case CatalogueLine::kFile:
        files[entry.key] = entry.path;
        break;
    }
  }
}

ShaderProgram* Config::getShader(std::string key) {
  auto found = shaders.find(key);
  if (found == shaders.end()) missingKey(path, "shader program", key);
  return found->second;
}

unsigned int Config::getTexture(std::string key) {
  auto found = textures.find(key);
  if (found == textures.end()) missingKey(path, "texture", key);
  return found->second;
}

std::string Config::getFile(std::string key) {
  auto found = files.find(key);
  if (found == files.end()) missingKey(path, "file", key);
  return found->second;
}

Mesh3D* Config::getModel(std::string key) {
  // An absent mesh is not fatal: the caller gets null (and the key now maps to null).
  return models[key];
}

}  // namespace lb_engine
