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
  std::vector<MeshIndex*> faces;  // point into faceRecords
  float* positionArray = nullptr;
  float* normalArray = nullptr;
  float* texCoordArray = nullptr;
  unsigned int* indexArray = nullptr;
  int cornerCount = 0;
  bool hasNormals = false;
  bool hasTexCoords = false;
  unsigned int vertexArray = 0;
  unsigned int buffers[4] = {0, 0, 0, 0};
  std::vector<MeshIndex> faceRecords;  // the faces, stored together rather than one allocation each

  explicit Mesh3D(const char* path);
  ~Mesh3D();
  Mesh3D(const Mesh3D&) = delete;
  Mesh3D& operator=(const Mesh3D&) = delete;

  void draw();
  // A missing file gives an empty mesh without a message; a face naming a record
  // the file lacks ends the program (exit status 1) with "path:line:" on stderr.
  void loadOBJ(const char* path);
  void buildMesh();
  void createOpenGLBinding();
};

}  // namespace lb_engine
