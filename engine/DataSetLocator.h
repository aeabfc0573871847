#pragma once
// Finding the data set. Every asset path the show uses is relative ("data/..."),
// so whoever plays it must end up in the folder that holds "data/". The places
// searched, in order:
//   1. the working directory (a build folder, or a developer's checkout);
//   2. beside the executable (an unpacked release started from a file manager);
//   3. ../share/lattice-bloom/ next to the executable's folder (installed: programs
//      in PREFIX/bin or /usr/games, the data set in PREFIX/share/lattice-bloom/data).
// The show, the offline renderer, the benchmark, the data viewer and the
// director's player all search through here, so all of them find the same data.

#include <string>
#include <vector>

namespace lb_engine {

// The catalogue every data set holds, relative to the folder that holds "data/".
extern const char* const kCataloguePath;

// The folders (each ending in '/') that are searched for "data/config.txt", in
// order, for an executable whose own folder is `exeDir` ("" when unknown).
std::vector<std::string> dataSetSearchFolders(const std::string& exeDir);

// Makes "data/config.txt" reachable from the working directory, changing into the
// first folder of the search that holds it. Returns false with a message naming
// every folder searched in *error when none does.
bool locateDataSet(std::string* error);

}  // namespace lb_engine
