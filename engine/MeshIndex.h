#pragma once
// One parsed face record of an OBJ file: three corners, 1-based indices as written.

namespace lb_engine {

class MeshIndex {
 public:
  // An index that a corner leaves out (or writes as an empty piece, as in 7//3) is 0.
  int vertex[3] = {0, 0, 0};
  int texture[3] = {0, 0, 0};
  int normal[3] = {0, 0, 0};

  MeshIndex() {}
  explicit MeshIndex(char* line);  // modifies the buffer; a malformed line leaves all indices 0
  ~MeshIndex() {}

  // Parses a face line ("f" followed by at least three v, v/t, v/t/n or v//n
  // corners; only the first three are kept), modifying the buffer. On a malformed
  // line returns false with `problem` set to a fixed description.
  bool parse(char* line, const char** problem);

  // 0-based indices of corner 0, 1 or 2.
  int getVertex(int corner) { return vertex[corner] - 1; }
  int getText(int corner) { return texture[corner] - 1; }
  int getNormal(int corner) { return normal[corner] - 1; }

  // Returns the text at *cursor and moves the cursor past the first delimiter,
  // which is overwritten with a terminator; with no delimiter left the cursor
  // becomes null. A null cursor returns null.
  static char* strsep(char** cursor, const char* delimiters);
};

}  // namespace lb_engine
