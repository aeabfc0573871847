#pragma once
// What the show requires of its data set, in one table: every catalogue entry
// the scenes look up and every file they open by fixed path, with the file the
// generator writes for it and the scenes that use it. The content generator
// writes data/config.txt from this table; the offline renderer's pre-flight
// check, the tests and the benchmarks read it. Plain C++ (no GL), so that the
// generator can use it without the engine.

#include <string>
#include <vector>

namespace lb_dataset {

enum class Kind {
  kShader,   // catalogue "Shader key fragment vertex"
  kTexture,  // catalogue "Texture key path"
  kMesh,     // catalogue "Mesh key path"
  kFile,     // catalogue "File key path" (the path is handed to a scene, not opened by the catalogue)
  kFixed,    // opened by a scene at a fixed path, not through the catalogue
};

struct Entry {
  Kind kind;
  const char* key;     // catalogue key; "" for kFixed
  const char* file;    // relative to the folder that holds data/; a Shader's fragment source
  const char* vertex;  // a Shader's vertex source; "" otherwise
  const char* scenes;  // the scenes that look it up or open it, separated by spaces
};

// The whole contract, catalogue entries first in catalogue order, then the
// files opened by fixed path.
const std::vector<Entry>& contract();

// The music the entry point plays, relative to the folder that holds data/.
extern const char* const kMusicPath;

// The catalogue keyword of a kind ("Shader", ...); "" for kFixed.
const char* keyword(Kind kind);

// "Shader gloom", "Mesh cube": how messages and checks name a catalogue entry.
std::string entryName(const Entry& entry);

// The catalogue text: one line per catalogue entry of the table, in its order.
std::string catalogueText();

// Every file the table names (fragment and vertex sources, images, meshes, the
// robot, the fixed meshes), each once, in table order.
std::vector<std::string> requiredFiles();

// The catalogue entries of the table that the catalogue file at `configPath`
// lacks, named as entryName does. Lines are split as the catalogue splits
// them: the keyword before the first space, the key up to the second space.
std::vector<std::string> missingCatalogueEntries(const std::string& configPath);

// The fixed-path files of the table that cannot be opened from the working
// directory (the show runs on without them: those meshes are empty).
std::vector<std::string> missingFixedFiles();

}  // namespace lb_dataset
