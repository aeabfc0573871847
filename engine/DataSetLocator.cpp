#include "DataSetLocator.h"

#include <SDL.h>
#include <unistd.h>

#include <cstdio>

namespace lb_engine {

const char* const kCataloguePath = "data/config.txt";

namespace {

bool fileExists(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  std::fclose(f);
  return true;
}

std::string executableFolder() {
  char* base = SDL_GetBasePath();  // ends in '/', or null when unknown
  if (base == nullptr) return "";
  std::string dir(base);
  SDL_free(base);
  return dir;
}

}  // namespace

std::vector<std::string> dataSetSearchFolders(const std::string& exeDir) {
  std::vector<std::string> folders = {"./"};
  if (!exeDir.empty()) {
    folders.push_back(exeDir);
    folders.push_back(exeDir + "../share/lattice-bloom/");
  }
  return folders;
}

bool locateDataSet(std::string* error) {
  const std::vector<std::string> folders = dataSetSearchFolders(executableFolder());
  std::string searched;
  for (const std::string& folder : folders) {
    if (fileExists(folder + kCataloguePath) && (folder == "./" || chdir(folder.c_str()) == 0)) return true;
    searched += (searched.empty() ? "" : ", ") + folder;
  }
  *error = std::string("cannot find the data set: no ") + kCataloguePath + " in " + searched;
  return false;
}

}  // namespace lb_engine
