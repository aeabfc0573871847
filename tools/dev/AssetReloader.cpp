#include "AssetReloader.h"

#include "CatalogueLine.h"
#include "Config.h"
#include "FileBytes.h"
#include "GlState.h"
#include "ProgramRebuild.h"
#include "ShaderProgram.h"
#include "TextureReload.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

namespace lb_dev {

namespace {

size_t fingerprint(const std::string& path) {
  std::vector<unsigned char> bytes;
  if (!lb_engine::readFileBytes(path.c_str(), &bytes)) return 0;
  return std::hash<std::string>()(std::string(bytes.begin(), bytes.end()));
}

bool contains(const std::vector<std::string>& paths, const std::string& path) {
  return std::find(paths.begin(), paths.end(), path) != paths.end();
}

}  // namespace

std::string normalPath(const std::string& path) { return std::filesystem::path(path).lexically_normal().generic_string(); }

std::string ReloadReport::summary() const {
  std::string text;
  if (programsRebuilt > 0) text += std::to_string(programsRebuilt) + " program(s) rebuilt";
  if (programsFailed > 0) text += (text.empty() ? "" : ", ") + std::to_string(programsFailed) + " failed (kept)";
  if (texturesReloaded > 0) text += (text.empty() ? "" : ", ") + std::to_string(texturesReloaded) + " texture(s) reloaded";
  if (texturesFailed > 0) text += (text.empty() ? "" : ", ") + std::to_string(texturesFailed) + " texture(s) kept";
  return text.empty() ? "nothing to reload" : text;
}

AssetReloader::AssetReloader(lb_engine::Config* catalogue) {
  // The map holds the entry of the last line with a key; so does this list.
  std::ifstream in(catalogue->path);
  std::string line;
  std::unordered_map<std::string, lb_engine::CatalogueLine> shaders, textures;
  std::vector<std::string> shaderOrder, textureOrder;
  while (std::getline(in, line)) {
    const lb_engine::CatalogueLine entry = lb_engine::parseCatalogueLine(line);
    if (entry.kind == lb_engine::CatalogueLine::kShader) {
      if (!shaders.count(entry.key)) shaderOrder.push_back(entry.key);
      shaders[entry.key] = entry;
    } else if (entry.kind == lb_engine::CatalogueLine::kTexture) {
      if (!textures.count(entry.key)) textureOrder.push_back(entry.key);
      textures[entry.key] = entry;
    }
  }
  for (const std::string& key : shaderOrder) {
    auto found = catalogue->shaders.find(key);
    if (found == catalogue->shaders.end()) continue;
    const lb_engine::CatalogueLine& entry = shaders[key];
    programs_.push_back({key, normalPath(entry.path), normalPath(entry.vertexPath), found->second});
  }
  for (const std::string& key : textureOrder) {
    auto found = catalogue->textures.find(key);
    if (found == catalogue->textures.end()) continue;
    const lb_engine::CatalogueLine& entry = textures[key];
    textures_.push_back({key, normalPath(entry.path), entry.decoder, found->second});
  }
  for (const std::string& path : sourceFiles()) fingerprints_[path] = fingerprint(path);
}

std::vector<std::string> AssetReloader::sourceFiles() const {
  std::vector<std::string> files;
  auto add = [&](const std::string& path) {
    if (!contains(files, path)) files.push_back(path);
  };
  for (const ProgramSource& p : programs_) {
    add(p.fragment);
    add(p.vertex);
  }
  for (const TextureSource& t : textures_) add(t.path);
  return files;
}

std::vector<std::string> AssetReloader::sourceFolders() const {
  std::vector<std::string> folders;
  for (const std::string& file : sourceFiles()) {
    std::string folder = std::filesystem::path(file).parent_path().string();
    if (folder.empty()) folder = ".";
    if (!contains(folders, folder)) folders.push_back(folder);
  }
  return folders;
}

bool AssetReloader::contentChanged(const std::string& path) {
  const size_t now = fingerprint(path);
  auto known = fingerprints_.find(path);
  if (known == fingerprints_.end() || known->second == now) return false;
  known->second = now;
  return true;
}

ReloadReport AssetReloader::reloadChanged(const std::vector<std::string>& paths) {
  std::vector<std::string> changed;
  for (const std::string& path : paths) {
    const std::string normal = normalPath(path);
    if (!contains(changed, normal) && contentChanged(normal)) changed.push_back(normal);
  }
  return reload(changed, false);
}

ReloadReport AssetReloader::reloadAll() {
  for (auto& known : fingerprints_) known.second = fingerprint(known.first);
  return reload({}, true);
}

ReloadReport AssetReloader::reload(const std::vector<std::string>& changed, bool all) {
  ReloadReport report;
  if (!all && changed.empty()) return report;
  GlStateGuard guard;
  for (ProgramSource& p : programs_) {
    if (!all && !contains(changed, p.fragment) && !contains(changed, p.vertex)) continue;
    std::string log;
    if (lb_engine::rebuildProgram(p.program, p.fragment, p.vertex, &log)) {
      ++report.programsRebuilt;
      report.buildLog += "\"" + p.key + "\": rebuilt from " + p.fragment + " and " + p.vertex + "\n";
    } else {
      ++report.programsFailed;
      report.buildLog += "\"" + p.key + "\": kept the last working program:\n" + log;
    }
  }
  for (TextureSource& t : textures_) {
    if (!all && !contains(changed, t.path)) continue;
    std::string error;
    if (lb_engine::reloadTexture(t.path, t.decoder, t.name, &error)) {
      ++report.texturesReloaded;
    } else {
      ++report.texturesFailed;
      report.problems += error + " (\"" + t.key + "\" keeps its picture)\n";
    }
  }
  return report;
}

}  // namespace lb_dev
