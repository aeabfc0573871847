#pragma once
// One parsed face record of an OBJ file: three corners, 1-based indices as written.

namespace lb_engine {

class MeshIndex {
 public:
  int vertex[3];
  int texture[3];
  int normal[3];

  explicit MeshIndex(char* line);  // modifies the buffer
  ~MeshIndex() {}

  // 0-based indices of corner 0, 1 or 2.
  int getVertex(int corner) { return vertex[corner] - 1; }
  int getText(int corner) { return texture[corner] - 1; }
  int getNormal(int corner) { return normal[corner] - 1; }

  static char* strsep(char** cursor, const char* delimiters);
};

}  // namespace lb_engine
