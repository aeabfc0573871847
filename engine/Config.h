#pragma once
// The asset catalogue: reads "data/config.txt" once and loads every shader
// program, texture and mesh it names under a short key. getShader, getTexture
// and getFile end the program for a key the catalogue lacks; getModel returns null.

#include <string>
#include <unordered_map>

namespace lb_engine {

class ShaderProgram;
class Mesh3D;

class Config {
 public:
  std::unordered_map<std::string, ShaderProgram*> shaders;
  std::unordered_map<std::string, unsigned int> textures;
  std::unordered_map<std::string, std::string> files;
  std::unordered_map<std::string, Mesh3D*> models;
  std::string music;
  std::string path;  // the catalogue file, named in messages

  explicit Config(const char* path);

  ShaderProgram* getShader(std::string key);
  unsigned int getTexture(std::string key);
  std::string getFile(std::string key);
  Mesh3D* getModel(std::string key);
  std::string getMusic() { return music; }
};

}  // namespace lb_engine
