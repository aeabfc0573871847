#include "ObjReader.h"

#include "ObjTokens.h"

#include "DecimalParse.h"
#include "FileBytes.h"
#include "Platform.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace lb_engine {

namespace {

// atof of a whole token, which must hold a number and nothing but trailing white
// space (the carriage return of a CR LF file). Plain decimals take the fast
// path; anything from_chars does not take whole (a leading '+', hexadecimal,
// leading white space) goes to strtod, which is what atof is. Both round
// correctly, so the value is the same either way.
bool parseFloat(const char* token, const char* end, float* value) {
  const char* numberEnd = end;
  while (numberEnd > token && objIsSpace(numberEnd[-1])) --numberEnd;
  double parsed = 0;
  const std::from_chars_result fast = parseDecimal(token, numberEnd, parsed);
  if (fast.ec != std::errc() || fast.ptr != numberEnd) {
    char* stop = nullptr;
    parsed = std::strtod(token, &stop);
    if (stop == token) return false;
    while (*stop != '\0' && objIsSpace(*stop)) ++stop;
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
  objNextToken(&cursor, &end);
  for (int i = 0; i < count; ++i) {
    const char* token = objNextToken(&cursor, &end);
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

// ---- In-place fast path ------------------------------------------------------
//
// Most lines of a mesh file are plain records: "v" and three decimals, "f" and
// three corners of digits and slashes. Those are parsed straight from the file
// bytes, without copying the line into the 200-character buffer. The fast path
// takes a line only when its grammar is simple enough that the result is
// provably the one the buffered reader gives; on anything else (a sign other
// than '-', a tab, a carriage return not at the line end, hexadecimal, infinity,
// a NUL byte, an index too long, too few numbers, ...) it declines, and the line
// goes through the buffered reader below, which also words the message.

// Exact powers of ten: every one up to 1e22 is a double without rounding.
constexpr double kPow10[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                               1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
// Their reciprocals, each the double nearest to it (as the compiler reads the literal).
constexpr double kInversePow10[23] = {1e-0,  1e-1,  1e-2,  1e-3,  1e-4,  1e-5,  1e-6,  1e-7,
                                      1e-8,  1e-9,  1e-10, 1e-11, 1e-12, 1e-13, 1e-14, 1e-15,
                                      1e-16, 1e-17, 1e-18, 1e-19, 1e-20, 1e-21, 1e-22};

// m / 10^k narrowed to float, equal to narrowing the correctly rounded double
// quotient (what strtod and a cast give), for 0 < m <= 2^53 and 0 < k <= 22.
// A multiply by the rounded reciprocal replaces the division, which is several
// times slower: the product lies within 3 units in the last place of the rounded
// quotient (two roundings of 2^-53 each), so both narrow to the same float unless
// a float rounding boundary lies between them. Those boundaries are the midpoints
// between floats, doubles whose 29 bits below float precision are 0x10000000;
// a product within 8 units of one takes the division instead. The results are
// far from float's subnormal and overflow ranges (1e-22 to 9e15).
inline float quotientToFloat(double m, int k) {
  const double product = m * kInversePow10[k];
  uint64_t bits;
  std::memcpy(&bits, &product, sizeof bits);
  const uint64_t belowFloat = bits & 0x1fffffffull;
  if (belowFloat - (0x10000000ull - 8) <= 16) return static_cast<float>(m / kPow10[k]);
  return static_cast<float>(product);
}

inline bool isDigit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

// The fast path reads a line from its first character up to `end`, the line's
// 199-character limit (or the end of the data), and takes a line feed as the
// end of the line wherever it comes first; tokens never cross a line feed.

// Skips the spaces before a token. Returns false at the end of the line.
inline bool skipSpaces(const char** p, const char* end) {
  const char* q = *p;
  while (q < end && *q == ' ') ++q;
  *p = q;
  return q < end && *q != '\n';
}

// Two variants of each reader below: kBounded checks every read against `end`;
// the unbounded one is used where the data goes on for at least kOverread bytes
// past the line's 199-character limit, and stops only at characters. Its loops
// take at most 19 digits, a point, an exponent of at most 7 digits and a look at
// the character after a carriage return, and it reads digits eight bytes at a
// time, so it never reads more than about 40 bytes past `end`; the caller
// declines its result unless it stopped before `end`, where both variants agree.
constexpr size_t kOverread = 64;

// Exact powers of ten as integers, for appending up to 8 digits at once.
constexpr uint64_t kPow10Int[9] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};

// The run of decimal digits that starts at `p`, up to 8 of them, read as one
// 8-byte word (the caller guarantees 8 readable bytes): returns how many there
// are and stores their value. A byte below '0' borrows from the bytes after it,
// but never from the ones before it, so the first non-digit is found correctly.
inline int eightDigits(const char* p, uint64_t* value) {
  uint64_t word;
  std::memcpy(&word, p, sizeof word);  // little-endian: the first character is the low byte
  const uint64_t digits = word - 0x3030303030303030ull;
  const uint64_t notDigit = (digits | (digits + 0x7676767676767676ull)) & 0x8080808080808080ull;
  const int count = notDigit == 0 ? 8 : __builtin_ctzll(notDigit) / 8;
  if (count == 0) return 0;
  // Shift the digits to the high bytes (zeros lead), then combine them pairwise:
  // 8 one-digit values -> 4 two-digit -> 2 four-digit -> 1 eight-digit.
  uint64_t x = digits << (8 * (8 - count));
  x = (x * 10 + (x >> 8)) & 0x00ff00ff00ff00ffull;
  x = (x * 100 + (x >> 16)) & 0x0000ffff0000ffffull;
  x = (x * 10000 + (x >> 32)) & 0x00000000ffffffffull;
  *value = x;
  return count;
}

template <bool kBounded>
inline bool before(const char* p, const char* end) {
  return !kBounded || p < end;
}

// True where a token ends: a space, the end of the line, or a carriage return
// that is the last character of the line (trailing white space, which atof and
// the index reader skip).
template <bool kBounded>
inline bool tokenEnds(const char* p, const char* end) {
  if ((kBounded && p == end) || *p == ' ' || *p == '\n') return true;
  return *p == '\r' && ((kBounded && p + 1 == end) || p[1] == '\n');
}

// One decimal number "[-]digits[.digits][(e|E)[+|-]digits]" of at most 19
// digits, ending where a token ends. The value is the correctly rounded double
// (as strtod gives it) narrowed to float: with a mantissa of at most 2^53 and a
// power of ten up to 22 both operands are exact doubles, so the one multiply or
// divide rounds once and correctly (IEEE); any other number of this form goes to
// from_chars, which also rounds correctly. False: not this form (the caller
// declines the line).
template <bool kBounded>
inline bool fastFloat(const char** cursor, const char* end, float* value) {
  const char* p = *cursor;
  const char* start = p;
  const bool negative = *p == '-';
  if (negative) ++p;
  uint64_t mantissa = 0;
  int digits = 0;
  int exponent = 0;
  while (before<kBounded>(p, end) && isDigit(*p)) {
    if (++digits > 19) return false;
    mantissa = mantissa * 10 + static_cast<uint64_t>(*p - '0');
    ++p;
  }
  if (before<kBounded>(p, end) && *p == '.') {
    ++p;
    if (!kBounded) {
      uint64_t chunk = 0;
      int count;
      while ((count = eightDigits(p, &chunk)) > 0) {
        digits += count;
        if (digits > 19) return false;
        mantissa = mantissa * kPow10Int[count] + chunk;
        exponent -= count;
        p += count;
        if (count < 8) break;
      }
    }
    while (before<kBounded>(p, end) && isDigit(*p)) {
      if (++digits > 19) return false;
      mantissa = mantissa * 10 + static_cast<uint64_t>(*p - '0');
      --exponent;
      ++p;
    }
  }
  if (digits == 0) return false;
  if (before<kBounded>(p, end) && (*p == 'e' || *p == 'E')) {
    ++p;
    bool negativeExponent = false;
    if (before<kBounded>(p, end) && (*p == '+' || *p == '-')) negativeExponent = *p++ == '-';
    if (!before<kBounded>(p, end) || !isDigit(*p)) return false;
    int written = 0;
    int exponentDigits = 0;
    while (before<kBounded>(p, end) && isDigit(*p)) {
      if (++exponentDigits > 7) return false;
      written = written * 10 + (*p - '0');
      ++p;
    }
    exponent += negativeExponent ? -written : written;
  }
  if (!tokenEnds<kBounded>(p, end)) return false;
  float result;
  if (mantissa == 0) {
    result = negative ? -0.0f : 0.0f;
  } else if (mantissa <= (uint64_t{1} << 53) && exponent >= -22 && exponent <= 22) {
    const double m = static_cast<double>(mantissa);
    result = exponent < 0 ? quotientToFloat(m, -exponent) : static_cast<float>(m * kPow10[exponent]);
    if (negative) result = -result;
  } else {
    // from_chars takes the sign itself; the number ends before any carriage return.
    double parsed;
    const std::from_chars_result r = parseDecimal(start, p, parsed);
    if (r.ec != std::errc() || r.ptr != p) return false;
    result = static_cast<float>(parsed);
  }
  *value = result;
  *cursor = p;
  return true;
}

// Skips the record's keyword and reads `count` numbers; the rest of the line is
// left to the caller, which ignores it as the buffered reader does. Returns
// where the last number ends, or null to decline.
template <bool kBounded>
inline const char* fastNumbers(const char* p, const char* end, int count, float* values) {
  while (p < end && *p != ' ') {
    if (*p == '\0' || *p == '\n') return nullptr;  // the buffered line would end here
    ++p;
  }
  for (int i = 0; i < count; ++i) {
    if (!skipSpaces(&p, end) || !fastFloat<kBounded>(&p, end, &values[i])) return nullptr;
  }
  return p;
}

// An index piece of up to 9 digits. Empty pieces are the caller's business.
template <bool kBounded>
inline bool fastIndex(const char** cursor, const char* end, int* value) {
  const char* p = *cursor;
  int v = 0;
  int digits = 0;
  if (!kBounded) {
    uint64_t chunk = 0;
    digits = eightDigits(p, &chunk);
    v = static_cast<int>(chunk);
    p += digits;
    if (digits < 8) {
      if (digits == 0) return false;
      *value = v;
      *cursor = p;
      return true;
    }
  }
  while (before<kBounded>(p, end) && isDigit(*p)) {
    if (++digits > 9) return false;
    v = v * 10 + (*p - '0');
    ++p;
  }
  if (digits == 0) return false;
  *value = v;
  *cursor = p;
  return true;
}

// A face "f" followed by three corners v, v/t, v/t/n, v//n or v/ (digits only);
// further corners are ignored. Empty texture or normal pieces give 0. Returns
// where the third corner ends, or null to decline.
template <bool kBounded>
inline const char* fastFace(const char* p, const char* end, MeshIndex* face) {
  ++p;  // the "f"; the caller saw the space after it
  for (int corner = 0; corner < 3; ++corner) {
    if (!skipSpaces(&p, end) || !fastIndex<kBounded>(&p, end, &face->vertex[corner])) return nullptr;
    int* pieces[2] = {&face->texture[corner], &face->normal[corner]};
    *pieces[0] = 0;
    *pieces[1] = 0;
    for (int k = 0; k < 2 && before<kBounded>(p, end) && *p == '/'; ++k) {
      ++p;
      if (before<kBounded>(p, end) && isDigit(*p) && !fastIndex<kBounded>(&p, end, pieces[k])) return nullptr;
    }
    // A third slash would make the buffered reader ignore what follows it; it
    // and every other character go that way.
    if (!tokenEnds<kBounded>(p, end)) return nullptr;
  }
  return p;
}

// Reads one record line in place (see above); null declines it. `roomy`: the
// data goes on for kOverread bytes past `end`, so the unbounded variant may run.
inline const char* fastRecord(char kind, const char* line, const char* end, bool roomy, float* values,
                              MeshIndex* face) {
  const char* stop = nullptr;
  if (roomy) {
    stop = kind == 'f' ? fastFace<false>(line, end, face) : fastNumbers<false>(line, end, kind == 't' ? 2 : 3, values);
    // Only a stop before the limit proves that nothing past it was taken.
    return stop != nullptr && stop < end ? stop : nullptr;
  }
  return kind == 'f' ? fastFace<true>(line, end, face) : fastNumbers<true>(line, end, kind == 't' ? 2 : 3, values);
}

// Counts the records of each kind in [begin, end) by the first two characters of
// each line that starts there, like the parser.
void countRecords(const char* begin, const char* end, size_t counts[4]) {
  const char* p = begin;
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

// How many records of each kind to reserve room for. Files up to 1 MB are
// counted exactly; larger ones are sampled in 16 windows of 64 KiB spread over
// the file (records of one kind often come in one long run) and the counts
// scaled up with a margin. A wrong estimate costs only vector growth or unused
// address space, never a wrong result.
void estimateRecords(const char* data, size_t size, size_t counts[4]) {
  constexpr size_t kExactUpTo = 1 << 20;
  constexpr size_t kWindows = 16;
  constexpr size_t kWindow = 1 << 16;
  if (size <= kExactUpTo) {
    countRecords(data, data + size, counts);
    return;
  }
  size_t sampled = 0;
  for (size_t w = 0; w < kWindows; ++w) {
    const char* begin = data + (size - kWindow) / (kWindows - 1) * w;
    const char* end = begin + kWindow;
    // Start at a line start: after the first line feed in the window.
    if (begin != data) {
      const void* newline = std::memchr(begin, '\n', kWindow);
      if (newline == nullptr) continue;
      begin = static_cast<const char*>(newline) + 1;
    }
    countRecords(begin, end, counts);
    sampled += static_cast<size_t>(end - begin);
  }
  if (sampled == 0) return;
  const double scale = 1.05 * static_cast<double>(size) / static_cast<double>(sampled);
  for (int k = 0; k < 4; ++k) counts[k] = static_cast<size_t>(static_cast<double>(counts[k]) * scale) + 16;
}

void report(std::FILE* messages, const char* path, int line, const char* what) {
  if (messages != nullptr) std::fprintf(messages, "%s:%d: %s\n", path, line, what);
}

// Checks a 1-based index against `available` records; 0 means left out.
bool indexInRange(int index, size_t available, bool allowZero) {
  if (index == 0) return allowZero;
  return index > 0 && static_cast<size_t>(index) <= available;
}

// Records every face that names a record the file lacks (the first few with
// their reasons) and returns whether there was none.
bool checkFaces(ObjData* out, const char* path) {
  const ObjData& obj = *out;
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
        if (out->faults.size() < ObjData::kKeptFaults) {
          char reason[160];
          std::snprintf(reason, sizeof reason, ":%d: face names %s %d, but the file has %zu", obj.faceLines[f], kind,
                        index, available);
          out->faults.push_back(path + std::string(reason));
        }
        ++out->faultCount;
        break;  // one reason per face
      }
    }
  }
  return out->faultCount == 0;
}

// The smallest and largest index of each kind over the faces read, so that a
// file whose faces all name existing records is known to be valid without a
// second pass over its faces (checkFaces then runs only to word a failure).
struct IndexRange {
  int lowest[3] = {INT_MAX, INT_MAX, INT_MAX};  // vertex, texture, normal
  int highest[3] = {INT_MIN, INT_MIN, INT_MIN};

  void add(const MeshIndex& face) {
    const int* kinds[3] = {face.vertex, face.texture, face.normal};
    for (int k = 0; k < 3; ++k) {
      lowest[k] = std::min(lowest[k], std::min(kinds[k][0], std::min(kinds[k][1], kinds[k][2])));
      highest[k] = std::max(highest[k], std::max(kinds[k][0], std::max(kinds[k][1], kinds[k][2])));
    }
  }

  // The rules of checkFaces: positions 1..count; texture coordinates and normals,
  // when the file has any, 0 (left out) or 1..count.
  bool allValid(const ObjData& obj) const {
    if (lowest[0] > highest[0]) return true;  // no faces
    const size_t counts[3] = {obj.positions.size() / 3, obj.texCoords.size() / 2, obj.normals.size() / 3};
    const bool checked[3] = {true, obj.hasTexCoords, obj.hasNormals};
    for (int k = 0; k < 3; ++k) {
      if (!checked[k]) continue;
      if (lowest[k] < (k == 0 ? 1 : 0) || static_cast<size_t>(highest[k]) > counts[k]) return false;
    }
    return true;
  }
};

// `inPlace` false sends every line through the 200-character buffer.
bool parseLines(const char* data, size_t size, const char* path, ObjData* out, std::FILE* messages, bool inPlace) {
  size_t counts[4] = {0, 0, 0, 0};
  estimateRecords(data, size, counts);
  out->positions.reserve(out->positions.size() + 3 * counts[0]);
  out->texCoords.reserve(out->texCoords.size() + 2 * counts[1]);
  out->normals.reserve(out->normals.size() + 3 * counts[2]);
  out->faces.reserve(out->faces.size() + counts[3]);
  out->faceLines.reserve(out->faceLines.size() + counts[3]);
  adviseHugePages(out->positions.data(), out->positions.capacity() * sizeof(float));
  adviseHugePages(out->texCoords.data(), out->texCoords.capacity() * sizeof(float));
  adviseHugePages(out->normals.data(), out->normals.capacity() * sizeof(float));
  adviseHugePages(out->faces.data(), out->faces.capacity() * sizeof(MeshIndex));

  const bool startedWithoutFaces = out->faces.empty();
  IndexRange range;
  char line[kObjLineBuffer];
  const char* p = data;
  const char* end = data + size;
  int lineNumber = 0;
  bool more = p < end;  // an empty input has no line at all
  while (more) {
    ++lineNumber;
    const char* lineStart = p;
    const size_t available = static_cast<size_t>(end - p);
    // Where the buffered line's characters stop at the latest, and where its line
    // feed may be at the latest.
    const char* contentLimit = p + (available < kObjLineBuffer - 1 ? available : kObjLineBuffer - 1);
    const char* windowEnd = p + (available < kObjLineBuffer ? available : kObjLineBuffer);

    // Fast path in place. It returns where it stopped reading (no line feed lies
    // before that), so the line feed is searched from there; null sends the line
    // to the buffered reader. Lines that are no record (anything but "v ", "vt",
    // "vn" and "f ") are ignored by both readers; a NUL byte as the second
    // character makes the buffered line one character long, no record either.
    const char* scanned = lineStart;
    const bool roomy = available >= kObjLineBuffer + kOverread;
    float values[3];
    if (!inPlace) {
      scanned = nullptr;
    } else if (available >= 2 && lineStart[0] == 'v') {
      if (lineStart[1] == ' ') {
        if ((scanned = fastRecord(' ', lineStart, contentLimit, roomy, values, nullptr)) != nullptr) {
          out->positions.push_back(values[0]);
          out->positions.push_back(values[1]);
          out->positions.push_back(values[2]);
        }
      } else if (lineStart[1] == 't') {
        if ((scanned = fastRecord('t', lineStart, contentLimit, roomy, values, nullptr)) != nullptr) {
          out->hasTexCoords = true;
          out->texCoords.push_back(values[0]);
          out->texCoords.push_back(values[1]);
        }
      } else if (lineStart[1] == 'n') {
        if ((scanned = fastRecord('n', lineStart, contentLimit, roomy, values, nullptr)) != nullptr) {
          out->hasNormals = true;
          out->normals.push_back(values[0]);
          out->normals.push_back(values[1]);
          out->normals.push_back(values[2]);
        }
      }
    } else if (available >= 2 && lineStart[0] == 'f' && lineStart[1] == ' ') {
      MeshIndex face;
      if ((scanned = fastRecord('f', lineStart, contentLimit, roomy, values, &face)) != nullptr) {
        out->faces.push_back(face);
        out->faceLines.push_back(lineNumber);
        range.add(face);
      }
    }
    const bool handled = scanned != nullptr;
    if (!handled) scanned = lineStart;

    // Take at most 199 characters. The line ends at a line feed (dropped) or at the
    // end of the data; a longer line is cut and ends the reading, as a fixed-size
    // getline does when the line does not fit.
    const char* newline = scanned < windowEnd && *scanned == '\n'
                              ? scanned
                              : static_cast<const char*>(std::memchr(scanned, '\n', static_cast<size_t>(windowEnd - scanned)));
    size_t length;
    if (newline != nullptr) {
      length = static_cast<size_t>(newline - lineStart);
      p = newline + 1;
      more = p < end;
    } else if (available < kObjLineBuffer) {
      length = available;  // last line, no final line feed
      more = false;
    } else {
      length = kObjLineBuffer - 1;  // does not fit: cut, and stop after it
      more = false;
    }
    if (handled) continue;

    std::memcpy(line, lineStart, length);
    line[length] = '\0';

    // The buffered reader: the rules as written, with a message for each record
    // that it rejects.
    const char* problem = nullptr;
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
        range.add(face);
      }
    }
    if (problem != nullptr) report(messages, path, lineNumber, problem);
  }
  if (startedWithoutFaces && range.allValid(*out)) return true;
  return checkFaces(out, path);
}

}  // namespace

bool parseOBJ(const char* data, size_t size, const char* path, ObjData* out, std::FILE* messages) {
  return parseLines(data, size, path, out, messages, true);
}

bool parseOBJBuffered(const char* data, size_t size, const char* path, ObjData* out, std::FILE* messages) {
  return parseLines(data, size, path, out, messages, false);
}

ObjFileResult loadOBJFile(const char* path, ObjData* out, std::FILE* messages) {
  {
    MappedFile mapped;
    if (mapped.open(path))
      return parseOBJ(mapped.data(), mapped.size(), path, out, messages) ? ObjFileResult::kRead
                                                                         : ObjFileResult::kInvalid;
  }
  // Not a regular file, empty, or not mappable: read it (or fail) the plain way.
  std::vector<unsigned char> bytes;
  if (!readFileBytes(path, &bytes)) return ObjFileResult::kUnreadable;
  return parseOBJ(reinterpret_cast<const char*>(bytes.data()), bytes.size(), path, out, messages)
             ? ObjFileResult::kRead
             : ObjFileResult::kInvalid;
}

}  // namespace lb_engine
