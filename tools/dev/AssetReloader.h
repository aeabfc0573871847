#pragma once
// Live reloading of the catalogue's shader programs and textures. The catalogue
// file is read again (with the catalogue's own line rules) to learn which source
// files each program and texture came from; the objects themselves are the ones
// the catalogue made and the scenes hold, rebuilt or re-uploaded in place.
//
// A file counts as changed only when its bytes differ from the last load, so a
// generator that rewrites the whole data set reloads just what it altered.
// Reloading saves and restores all GL state the scenes rely on.

#include "Texture.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace lb_engine {
class Config;
class ShaderProgram;
}  // namespace lb_engine

namespace lb_dev {

struct ReloadReport {
  int programsRebuilt = 0;
  int programsFailed = 0;
  int texturesReloaded = 0;
  int texturesFailed = 0;
  std::string buildLog;  // the compile/link log of failures, or a line per rebuilt program
  std::string problems;  // texture failures, one "path: problem" line each
  bool anything() const { return programsRebuilt + programsFailed + texturesReloaded + texturesFailed > 0; }
  std::string summary() const;
};

class AssetReloader {
 public:
  // `catalogue` is the one the demo was built with; its file is read again here.
  explicit AssetReloader(lb_engine::Config* catalogue);

  // The files any program or texture is made from, as the catalogue names them.
  std::vector<std::string> sourceFiles() const;
  // The folders those files are in.
  std::vector<std::string> sourceFolders() const;

  // Rebuilds the programs and re-uploads the textures that read any of `paths`
  // whose content changed since they were last loaded.
  ReloadReport reloadChanged(const std::vector<std::string>& paths);
  // Rebuilds and re-uploads everything, changed or not.
  ReloadReport reloadAll();

 private:
  struct ProgramSource {
    std::string key, fragment, vertex;
    lb_engine::ShaderProgram* program;
  };
  struct TextureSource {
    std::string key, path;
    lb_engine::ImgType decoder;
    unsigned int name;
  };

  bool contentChanged(const std::string& path);
  ReloadReport reload(const std::vector<std::string>& changed, bool all);

  std::vector<ProgramSource> programs_;
  std::vector<TextureSource> textures_;
  std::unordered_map<std::string, size_t> fingerprints_;  // path -> hash of its bytes at the last load
};

// "data/./x.frag" and "data/x.frag" are one file: the lexical normal form.
std::string normalPath(const std::string& path);

}  // namespace lb_dev
