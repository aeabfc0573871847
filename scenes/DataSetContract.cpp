#include "DataSetContract.h"

#include <fstream>
#include <set>

namespace lb_dataset {

const char* const kMusicPath = "data/music.mp3";

const std::vector<Entry>& contract() {
  using K = Kind;
  // Mesh programs read a mesh vertex (mesh.vert / hemisphere.vert), quad
  // programs a full-screen quad vertex (quad.vert).
  static const std::vector<Entry> table = {
      {K::kShader, "gloom", "data/gloom.frag", "data/mesh.vert", "GroupTitle MarchingCubes"},
      {K::kShader, "postgloom", "data/postgloom.frag", "data/quad.vert", "GroupTitle MarchingCubes"},
      {K::kShader, "default", "data/default.frag", "data/mesh.vert", "BouncingCubes BouncingCubes2 Sinkhole Greetings"},
      {K::kShader, "dof", "data/dof.frag", "data/quad.vert", "BouncingCubes"},
      {K::kShader, "postprocessing", "data/postprocessing.frag", "data/quad.vert", "Sinkhole"},
      {K::kShader, "glass", "data/glass.frag", "data/mesh.vert", "Greetings"},
      {K::kShader, "hemisphere", "data/hemisphere.frag", "data/hemisphere.vert",
       "RobotCave RobotIntro RobotRunning FallingApart"},
      {K::kShader, "layer", "data/layer.frag", "data/quad.vert", "FallingApart"},
      {K::kTexture, "background", "data/background.png", "", "GroupTitle MarchingCubes"},
      {K::kTexture, "cube", "data/cube.png", "",
       "MarchingCubes BouncingCubes BouncingCubes2 Sinkhole Greetings RobotCave RobotIntro RobotRunning FallingApart"},
      {K::kTexture, "circuit", "data/circuit.jpg", "", "BouncingCubes BouncingCubes2"},
      {K::kTexture, "sinkhole", "data/sinkhole.jpg", "", "Sinkhole"},
      {K::kTexture, "groups", "data/groups.jpg", "", "Greetings"},
      {K::kTexture, "glasstube", "data/glasstube.png", "", "Greetings"},
      {K::kTexture, "robotfloor", "data/robotfloor.jpg", "", "RobotCave RobotIntro RobotRunning FallingApart"},
      {K::kTexture, "robottunel", "data/robottunel.jpg", "", "RobotCave RobotIntro RobotRunning FallingApart"},
      {K::kTexture, "title", "data/title.png", "", "FallingApart"},
      {K::kMesh, "creators", "data/creators.obj", "", "GroupTitle"},
      {K::kMesh, "cube", "data/cube.obj", "", "Greetings RobotCave"},
      {K::kMesh, "groups", "data/groups.obj", "", "Greetings"},
      {K::kMesh, "glasstube", "data/glasstube.obj", "", "Greetings"},
      {K::kMesh, "robotfloor", "data/robotfloor.obj", "", "RobotCave RobotIntro RobotRunning FallingApart"},
      {K::kMesh, "robottunel", "data/robottunel.obj", "", "RobotCave RobotIntro RobotRunning FallingApart"},
      {K::kMesh, "cubel", "data/cubel.obj", "", "RobotIntro RobotRunning FallingApart"},
      {K::kFile, "robothier", "data/robot.hier", "", "RobotCave RobotIntro RobotRunning FallingApart"},
      {K::kFixed, "", "data/demogroup.obj", "", "GroupTitle MarchingCubes"},
      {K::kFixed, "", "data/cube.obj", "", "MarchingCubes BouncingCubes BouncingCubes2 Sinkhole"},
      {K::kFixed, "", "data/tunnel.obj", "", "BouncingCubes BouncingCubes2"},
      {K::kFixed, "", "data/sinkhole.obj", "", "Sinkhole"},
  };
  return table;
}

const char* keyword(Kind kind) {
  switch (kind) {
    case Kind::kShader: return "Shader";
    case Kind::kTexture: return "Texture";
    case Kind::kMesh: return "Mesh";
    case Kind::kFile: return "File";
    case Kind::kFixed: break;
  }
  return "";
}

std::string entryName(const Entry& entry) { return std::string(keyword(entry.kind)) + " " + entry.key; }

std::string catalogueText() {
  std::string text;
  for (const Entry& e : contract()) {
    if (e.kind == Kind::kFixed) continue;
    text += entryName(e) + " " + e.file;
    if (e.kind == Kind::kShader) text += std::string(" ") + e.vertex;
    text += "\n";
  }
  return text;
}

std::vector<std::string> requiredFiles() {
  std::vector<std::string> files;
  std::set<std::string> seen;
  for (const Entry& e : contract())
    for (const std::string path : {e.file, e.vertex})
      if (!path.empty() && seen.insert(path).second) files.push_back(path);
  return files;
}

std::vector<std::string> missingCatalogueEntries(const std::string& configPath) {
  std::set<std::string> present;
  std::ifstream in(configPath, std::ios::binary);
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
  for (const Entry& e : contract())
    if (e.kind != Kind::kFixed && present.count(entryName(e)) == 0) missing.push_back(entryName(e));
  return missing;
}

std::vector<std::string> missingFixedFiles() {
  std::vector<std::string> missing;
  for (const Entry& e : contract())
    if (e.kind == Kind::kFixed && !std::ifstream(e.file).is_open()) missing.push_back(e.file);
  return missing;
}

}  // namespace lb_dataset
