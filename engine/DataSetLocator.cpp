#include "DataSetLocator.h"

#include "Platform.h"

#include <cstdio>

namespace lb_engine {

const char* const kCataloguePath = "data/config.txt";

namespace {

bool fileExists(const std::string& path) {
  FILE* f = openFile(path, "rb");
  if (f == nullptr) return false;
  std::fclose(f);
  return true;
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
    if (fileExists(folder + kCataloguePath) && (folder == "./" || enterFolder(folder))) return true;
    searched += (searched.empty() ? "" : ", ") + folder;
  }
  *error = std::string("cannot find the data set: no ") + kCataloguePath + " in " + searched;
  return false;
}

}  // namespace lb_engine
