#pragma once
// Checking that the data set's catalogue
// holds every key the scenes look up (a missing key would otherwise end the
// program inside the catalogue with no useful message).

#include <string>
#include <vector>

namespace lb_render {

// The catalogue entries (keyword and key, e.g. "Shader gloom") that the scenes
// require and the catalogue file at `configPath` does not hold, in a fixed
// order. Lines are split as the catalogue splits them: the keyword before the
// first space, the key between the first and the second space.
std::vector<std::string> missingCatalogueKeys(const std::string& configPath);

// The files the scenes open by fixed path (meshes) that are absent. The show
// runs on without them (the meshes are empty), so these are warnings.
std::vector<std::string> missingFixedFiles();

}  // namespace lb_render
