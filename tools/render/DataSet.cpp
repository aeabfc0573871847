#include "DataSet.h"


#include <cstdio>
#include <fstream>
#include <set>

namespace lb_render {

namespace {

const char* const kConfigPath = "data/config.txt";

struct RequiredKey {
  const char* keyword;
  const char* key;
};

// Every catalogue lookup the ten scenes make that ends the program when absent
// ("Mesh" lookups yield a null mesh instead, but the scenes draw those meshes).
const RequiredKey kRequiredKeys[] = {
    {"Shader", "gloom"},        {"Shader", "postgloom"},    {"Shader", "default"},
    {"Shader", "dof"},          {"Shader", "postprocessing"}, {"Shader", "glass"},
    {"Shader", "hemisphere"},   {"Shader", "layer"},        {"Texture", "background"},
    {"Texture", "cube"},        {"Texture", "circuit"},     {"Texture", "sinkhole"},
    {"Texture", "groups"},      {"Texture", "glasstube"},   {"Texture", "robotfloor"},
    {"Texture", "robottunel"},  {"Texture", "title"},       {"Mesh", "creators"},
    {"Mesh", "cube"},           {"Mesh", "groups"},         {"Mesh", "glasstube"},
    {"Mesh", "robotfloor"},     {"Mesh", "robottunel"},     {"Mesh", "cubel"},
    {"File", "robothier"},
};

const char* const kFixedFiles[] = {"data/demogroup.obj", "data/cube.obj", "data/tunnel.obj",
                                   "data/sinkhole.obj"};

bool fileExists(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  std::fclose(f);
  return true;
}

}  // namespace

std::vector<std::string> missingCatalogueKeys(const std::string& configPath) {
  std::set<std::string> present;
  std::ifstream in(configPath);
  std::string line;
  while (std::getline(in, line)) {
    const size_t first = line.find(' ');
    if (first == std::string::npos) continue;
    const size_t second = line.find(' ', first + 1);
    const std::string key =
        line.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
    present.insert(line.substr(0, first) + " " + key);
  }
  std::vector<std::string> missing;
  for (const RequiredKey& required : kRequiredKeys) {
    const std::string entry = std::string(required.keyword) + " " + required.key;
    if (present.count(entry) == 0) missing.push_back(entry);
  }
  return missing;
}

std::vector<std::string> missingFixedFiles() {
  std::vector<std::string> missing;
  for (const char* path : kFixedFiles)
    if (!fileExists(path)) missing.push_back(path);
  return missing;
}

}  // namespace lb_render
