#pragma once
// The Wavefront OBJ subset that meshes are read from, parsed from bytes in memory
// so that it runs without a GL context.
//
// Lines are read as into a 200-character buffer: at most 199 characters of a line
// are seen, and a line of 200 or more characters is taken cut to 199 and ends the
// reading. A line is classified by its first two characters: "v " position (3
// numbers), "vt" texture coordinate (2, a third is ignored), "vn" normal (3),
// "f " face (the first three corners of v, v/t, v/t/n or v//n); every other line
// is ignored. Tokens are separated by spaces. Numbers convert as atof and atoi do.

#include "MeshIndex.h"

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace lb_engine {

// Buffer size of the line reader, terminator included.
constexpr int kObjLineBuffer = 200;

struct ObjData {
  std::vector<float> positions;  // 3 per v record
  std::vector<float> texCoords;  // 2 per vt record
  std::vector<float> normals;    // 3 per vn record
  std::vector<MeshIndex> faces;  // one per accepted f record
  std::vector<int> faceLines;    // the line number of each face
  bool hasNormals = false;
  bool hasTexCoords = false;
  // Why the file cannot be drawn: "path:line: face names position 9, but the
  // file has 8" for the first kKeptFaults faces that name records the file
  // lacks, in file order; faultCount counts them all.
  std::vector<std::string> faults;
  size_t faultCount = 0;
  static constexpr size_t kKeptFaults = 5;
};

// Parses `size` bytes into `out`. Records with too few numbers, faces with fewer
// than three corners and non-numeric tokens are skipped, each with a
// "path:line: what" line on `messages` (null: silent). Returns false (the load is
// fatal) when a face names a position, texture coordinate or normal that the file
// does not have; the reasons are then in out->faults (not on `messages`: the
// caller puts them in its own error, where the user will see them). Indices
// left out by a corner (0) are allowed and read as zero data.
bool parseOBJ(const char* data, size_t size, const char* path, ObjData* out, std::FILE* messages);

// parseOBJ without its in-place fast path: every line is copied into the
// 200-character buffer and read with the general rules. Same results, slower;
// tests compare the two.
bool parseOBJBuffered(const char* data, size_t size, const char* path, ObjData* out, std::FILE* messages);

enum class ObjFileResult {
  kRead,        // parsed; `out` holds the records
  kUnreadable,  // the file cannot be opened or read; `out` is untouched
  kInvalid,     // parseOBJ returned false (the reasons are in out->faults)
};

// Reads the file at `path` and parses it exactly as parseOBJ does. A regular
// file is mapped into memory rather than copied into a buffer, which saves the
// copy and the first touch of a buffer as large as the file (a third of the time
// for a large mesh); anything else (a pipe, a file that cannot be mapped) is
// read with readFileBytes. The file must not shrink while it is read.
ObjFileResult loadOBJFile(const char* path, ObjData* out, std::FILE* messages);

}  // namespace lb_engine
