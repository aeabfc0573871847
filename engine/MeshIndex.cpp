#include "MeshIndex.h"

#include "ObjTokens.h"

#include <climits>
#include <cstring>

namespace lb_engine {

namespace {

// An OBJ index as atoi reads it (leading white space, an optional sign, digits),
// with nothing after it but white space (the carriage return of a CR LF file).
// Values beyond int are clamped so that they fail the later range check instead
// of wrapping.
bool parseIndex(const char* text, int* value) {
  const char* p = text;
  while (objIsSpace(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  if (*p < '0' || *p > '9') return false;
  long long magnitude = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    if (magnitude <= INT_MAX) magnitude = magnitude * 10 + (*p - '0');
  }
  while (objIsSpace(*p)) ++p;
  if (*p != '\0') return false;
  if (negative) magnitude = -magnitude;
  *value = magnitude > INT_MAX ? INT_MAX : magnitude < INT_MIN ? INT_MIN : static_cast<int>(magnitude);
  return true;
}

// Texture and normal pieces may be empty (7//3): that leaves the index 0. So
// does a piece of white space only, as atoi reads it: the last corner of a CR LF
// line, "7/1/" followed by the carriage return.
bool parseOptionalIndex(const char* text, int* value) {
  const char* p = text;
  if (p != nullptr) {
    while (objIsSpace(*p)) ++p;
  }
  if (p == nullptr || *p == '\0') {
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
  char* tokens = line;
  objNextToken(&tokens);  // the leading "f"
  for (int corner = 0; corner < 3; ++corner) {
    char* token = objNextToken(&tokens);
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
  // A single delimiter (the "/" of face corners) is scanned for directly; this
  // runs nine times per face.
  char* delimiter = nullptr;
  if (delimiters[0] != '\0' && delimiters[1] == '\0') {
    for (char* p = start; *p != '\0'; ++p) {
      if (*p == delimiters[0]) {
        delimiter = p;
        break;
      }
    }
  } else {
    delimiter = std::strpbrk(start, delimiters);
  }
  if (delimiter != nullptr) {
    *delimiter = '\0';
    *cursor = delimiter + 1;
  } else {
    *cursor = nullptr;
  }
  return start;
}

}  // namespace lb_engine
