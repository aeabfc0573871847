#include "ObjReader.h"

#include <charconv>
#include <cstdlib>
#include <cstring>

namespace lb_engine {

namespace {

// isspace of the "C" locale.
inline bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The next token of a line split on spaces and line feeds, as strtok_r gives it:
// leading delimiters skipped, the delimiter after the token overwritten. `end`
// receives the token's end.
inline char* nextToken(char** cursor, char** end) {
  char* p = *cursor;
  while (*p == ' ' || *p == '\n') ++p;
  if (*p == '\0') {
    *cursor = p;
    return nullptr;
  }
  char* start = p;
  while (*p != '\0' && *p != ' ' && *p != '\n') ++p;
  *end = p;
  if (*p != '\0') *p++ = '\0';
  *cursor = p;
  return start;
}

// atof of a whole token, which must hold a number and nothing but trailing white
// space (the carriage return of a CR LF file). Plain decimals take the fast
// path; anything from_chars does not take whole (a leading '+', hexadecimal,
// leading white space) goes to strtod, which is what atof is. Both round
// correctly, so the value is the same either way.
bool parseFloat(const char* token, const char* end, float* value) {
  const char* numberEnd = end;
  while (numberEnd > token && isSpace(numberEnd[-1])) --numberEnd;
  double parsed = 0;
  const std::from_chars_result fast = std::from_chars(token, numberEnd, parsed);
  if (fast.ec != std::errc() || fast.ptr != numberEnd) {
    char* stop = nullptr;
    parsed = std::strtod(token, &stop);
    if (stop == token) return false;
    while (*stop != '\0' && isSpace(*stop)) ++stop;
    if (*stop != '\0') return false;
  }
  *value = static_cast<float>(parsed);
  return true;
}

// Converts the next `count` tokens after the record's keyword. False if a token
// is missing or is not a number.
bool readNumbers(char* line, int count, float* values, const char** problem) {
  char* cursor = line;
  char* end = nullptr;
  nextToken(&cursor, &end);
  for (int i = 0; i < count; ++i) {
    const char* token = nextToken(&cursor, &end);
    if (token == nullptr) {
      *problem = "too few numbers in record";
      return false;
    }
    if (!parseFloat(token, end, &values[i])) {
      *problem = "not a number in record";
      return false;
    }
  }
  return true;
}

// Counts the records of each kind so the vectors are reserved once. Looks only at
// the first two characters of each line, like the parser.
void countRecords(const char* data, size_t size, size_t counts[4]) {
  const char* p = data;
  const char* end = data + size;
  while (p < end) {
    if (p[0] == 'v' && p + 1 < end) {
      if (p[1] == ' ') ++counts[0];
      else if (p[1] == 't') ++counts[1];
      else if (p[1] == 'n') ++counts[2];
    } else if (p[0] == 'f' && p + 1 < end && p[1] == ' ') {
      ++counts[3];
    }
    const void* newline = std::memchr(p, '\n', static_cast<size_t>(end - p));
    if (newline == nullptr) break;
    p = static_cast<const char*>(newline) + 1;
  }
}

void report(std::FILE* messages, const char* path, int line, const char* what) {
  if (messages != nullptr) std::fprintf(messages, "%s:%d: %s\n", path, line, what);
}

// Checks a 1-based index against `available` records; 0 means left out.
bool indexInRange(int index, size_t available, bool allowZero) {
  if (index == 0) return allowZero;
  return index > 0 && static_cast<size_t>(index) <= available;
}

bool checkFaces(const ObjData& obj, const char* path, std::FILE* messages) {
  const size_t positionCount = obj.positions.size() / 3;
  const size_t texCoordCount = obj.texCoords.size() / 2;
  const size_t normalCount = obj.normals.size() / 3;
  for (size_t f = 0; f < obj.faces.size(); ++f) {
    const MeshIndex& face = obj.faces[f];
    for (int k = 0; k < 3; ++k) {
      const char* kind = nullptr;
      int index = 0;
      size_t available = 0;
      if (!indexInRange(face.vertex[k], positionCount, false)) {
        kind = "position", index = face.vertex[k], available = positionCount;
      } else if (obj.hasTexCoords && !indexInRange(face.texture[k], texCoordCount, true)) {
        kind = "texture coordinate", index = face.texture[k], available = texCoordCount;
      } else if (obj.hasNormals && !indexInRange(face.normal[k], normalCount, true)) {
        kind = "normal", index = face.normal[k], available = normalCount;
      }
      if (kind != nullptr) {
        if (messages != nullptr) {
          std::fprintf(messages, "%s:%d: face names %s %d, but the file has %zu\n", path, obj.faceLines[f], kind,
                       index, available);
        }
        return false;
      }
    }
  }
  return true;
}

}  // namespace

bool parseOBJ(const char* data, size_t size, const char* path, ObjData* out, std::FILE* messages) {
  size_t counts[4] = {0, 0, 0, 0};
  countRecords(data, size, counts);
  out->positions.reserve(out->positions.size() + 3 * counts[0]);
  out->texCoords.reserve(out->texCoords.size() + 2 * counts[1]);
  out->normals.reserve(out->normals.size() + 3 * counts[2]);
  out->faces.reserve(out->faces.size() + counts[3]);
  out->faceLines.reserve(out->faceLines.size() + counts[3]);

  char line[kObjLineBuffer];
  const char* p = data;
  const char* end = data + size;
  int lineNumber = 0;
  bool more = p < end;  // an empty input has no line at all
  while (more) {
    ++lineNumber;
    // Take at most 199 characters. The line ends at a line feed (dropped) or at the
    // end of the data; a longer line is cut and ends the reading, as a fixed-size
    // getline does when the line does not fit.
    const char* lineStart = p;
    const size_t available = static_cast<size_t>(end - p);
    const size_t window = available < kObjLineBuffer ? available : kObjLineBuffer;
    const char* newline = static_cast<const char*>(std::memchr(p, '\n', window));
    size_t length;
    if (newline != nullptr && newline - p < kObjLineBuffer) {
      length = static_cast<size_t>(newline - p);
      p = newline + 1;
      more = p < end;
    } else if (available < kObjLineBuffer) {
      length = available;  // last line, no final line feed
      more = false;
    } else {
      length = kObjLineBuffer - 1;  // does not fit: cut, and stop after it
      more = false;
    }
    std::memcpy(line, lineStart, length);
    line[length] = '\0';

    const char* problem = nullptr;
    float values[3];
    if (line[0] == 'v' && line[1] == ' ') {
      if (readNumbers(line, 3, values, &problem)) {
        out->positions.insert(out->positions.end(), values, values + 3);
      }
    } else if (line[0] == 'v' && line[1] == 't') {
      if (readNumbers(line, 2, values, &problem)) {
        out->hasTexCoords = true;
        out->texCoords.insert(out->texCoords.end(), values, values + 2);
      }
    } else if (line[0] == 'v' && line[1] == 'n') {
      if (readNumbers(line, 3, values, &problem)) {
        out->hasNormals = true;
        out->normals.insert(out->normals.end(), values, values + 3);
      }
    } else if (line[0] == 'f' && line[1] == ' ') {
      MeshIndex face;
      if (face.parse(line, &problem)) {
        out->faces.push_back(face);
        out->faceLines.push_back(lineNumber);
      }
    }
    if (problem != nullptr) report(messages, path, lineNumber, problem);
  }
  return checkFaces(*out, path, messages);
}

}  // namespace lb_engine
