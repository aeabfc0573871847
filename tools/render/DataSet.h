#pragma once
// Finding the data set the way the show does, and checking that its catalogue
// holds every key the scenes look up (a missing key would otherwise end the
// program inside the catalogue with no useful message).

#include <string>
#include <vector>

namespace lb_render {

// Makes "data/config.txt" reachable from the working directory: as it is, or by
// changing into the executable's folder when the data set lies beside it.
// On failure returns false with a message in *error.
bool locateDataSet(std::string* error);

// The catalogue entries (keyword and key, e.g. "Shader gloom") that the scenes
// require and the catalogue file at `configPath` does not hold, in a fixed
// order. Lines are split as the catalogue splits them: the keyword before the
// first space, the key between the first and the second space.
std::vector<std::string> missingCatalogueKeys(const std::string& configPath);

// The files the scenes open by fixed path (meshes) that are absent. The show
// runs on without them (the meshes are empty), so these are warnings.
std::vector<std::string> missingFixedFiles();

}  // namespace lb_render
