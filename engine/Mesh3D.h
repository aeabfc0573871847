#pragma once
// A triangle mesh read from a Wavefront OBJ file, unrolled to one vertex per face
// corner and uploaded once. Attribute 0: position (3 floats), 1: normal (3),
// 2: texture coordinate (2).

#include "MeshIndex.h"

#include <vector>

namespace lb_engine {

class Mesh3D {
 public:
  std::vector<float> positionsRead;
  std::vector<float> texCoordsRead;
  std::vector<float> normalsRead;
  std::vector<MeshIndex*> faces;
  float* positionArray = nullptr;
  float* normalArray = nullptr;
  float* texCoordArray = nullptr;
  unsigned int* indexArray = nullptr;
  int cornerCount = 0;
  bool hasNormals = false;
  bool hasTexCoords = false;
  unsigned int vertexArray = 0;
  unsigned int buffers[4] = {0, 0, 0, 0};

  explicit Mesh3D(const char* path);
  ~Mesh3D();

  void draw();
  void loadOBJ(const char* path);
  void buildMesh();
  void createOpenGLBinding();
};

}  // namespace lb_engine
