#include "MeshIndex.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace lb_engine {

namespace {

// An OBJ index: an optional sign and digits, then nothing but trailing white space
// (a carriage return of a CR LF file). Values beyond int are clamped so that they
// fail the later range check instead of wrapping.
bool parseIndex(const char* text, int* value) {
  char* end = nullptr;
  errno = 0;
  const long parsed = std::strtol(text, &end, 10);
  if (end == text) return false;
  while (*end != '\0' && std::isspace(static_cast<unsigned char>(*end))) ++end;
  if (*end != '\0') return false;
  if (parsed > INT_MAX || (errno == ERANGE && parsed > 0)) {
    *value = INT_MAX;
  } else if (parsed < INT_MIN || (errno == ERANGE && parsed < 0)) {
    *value = INT_MIN;
  } else {
    *value = static_cast<int>(parsed);
  }
  return true;
}

// Texture and normal pieces may be empty (7//3): that leaves the index 0.
bool parseOptionalIndex(const char* text, int* value) {
  if (text == nullptr || *text == '\0') {
    *value = 0;
    return true;
  }
  return parseIndex(text, value);
}

}  // namespace

MeshIndex::MeshIndex(char* line) {
  const char* problem = nullptr;
  if (!parse(line, &problem)) *this = MeshIndex();
}

bool MeshIndex::parse(char* line, const char** problem) {
  char* save = nullptr;
  strtok_r(line, " \n", &save);  // the leading "f"
  for (int corner = 0; corner < 3; ++corner) {
    char* token = strtok_r(nullptr, " \n", &save);
    if (token == nullptr) {
      *problem = "face needs at least three corners";
      return false;
    }
    char* cursor = token;
    const char* vertexPiece = strsep(&cursor, "/");
    const char* texturePiece = strsep(&cursor, "/");
    const char* normalPiece = strsep(&cursor, "/");
    if (!parseIndex(vertexPiece, &vertex[corner]) || !parseOptionalIndex(texturePiece, &texture[corner]) ||
        !parseOptionalIndex(normalPiece, &normal[corner])) {
      *problem = "face corner is not a number or v/t/n index triple";
      return false;
    }
  }
  return true;
}

char* MeshIndex::strsep(char** cursor, const char* delimiters) {
  char* start = *cursor;
  if (start == nullptr) return nullptr;
  char* delimiter = std::strpbrk(start, delimiters);
  if (delimiter != nullptr) {
    *delimiter = '\0';
    *cursor = delimiter + 1;
  } else {
    *cursor = nullptr;
  }
  return start;
}

}  // namespace lb_engine
