#pragma once
// Token helpers shared by the OBJ record reader and the face parser.

namespace lb_engine {

// isspace of the "C" locale.
inline bool objIsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The next token of a line split on spaces and line feeds, as strtok_r gives it:
// leading delimiters skipped, the delimiter after the token overwritten. `end`,
// when given, receives the token's end.
inline char* objNextToken(char** cursor, char** end = nullptr) {
  char* p = *cursor;
  while (*p == ' ' || *p == '\n') ++p;
  if (*p == '\0') {
    *cursor = p;
    return nullptr;
  }
  char* start = p;
  while (*p != '\0' && *p != ' ' && *p != '\n') ++p;
  if (end != nullptr) *end = p;
  if (*p != '\0') *p++ = '\0';
  *cursor = p;
  return start;
}

}  // namespace lb_engine
