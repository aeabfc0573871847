#include "GlslDialect.h"

#include "GlFlavour.h"

#include <cctype>
#include <sstream>

namespace lb_engine {

namespace {

const char kCoreVersion[] = "#version 410 core";
const char kEsHeader[] =
    "#version 300 es\n"
    "precision highp float;\n"
    "precision highp int;\n"
    "precision highp sampler2D;\n";

// Skips blanks from `at`; returns the index of the next other character.
size_t skipBlanks(const std::string& line, size_t at) {
  while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
  return at;
}

// If `line` is "layout(location = N) KEYWORD ..." (any spacing), the index where
// KEYWORD starts; otherwise npos.
size_t afterLocationLayout(const std::string& line, const std::string& keyword) {
  size_t at = skipBlanks(line, 0);
  if (line.compare(at, 6, "layout") != 0) return std::string::npos;
  at = skipBlanks(line, at + 6);
  if (at >= line.size() || line[at] != '(') return std::string::npos;
  const size_t close = line.find(')', at);
  if (close == std::string::npos) return std::string::npos;
  std::string inside;
  for (size_t i = at + 1; i < close; ++i)
    if (line[i] != ' ' && line[i] != '\t') inside += line[i];
  if (inside.compare(0, 9, "location=") != 0 || inside.size() == 9) return std::string::npos;
  for (size_t i = 9; i < inside.size(); ++i)
    if (!std::isdigit(static_cast<unsigned char>(inside[i]))) return std::string::npos;
  const size_t word = skipBlanks(line, close + 1);
  if (line.compare(word, keyword.size(), keyword) != 0) return std::string::npos;
  const size_t end = word + keyword.size();
  if (end < line.size() && line[end] != ' ' && line[end] != '\t') return std::string::npos;
  return word;
}

}  // namespace

std::string glslEs300FromCore410(const std::string& source, ShaderStage stage) {
  const size_t firstEnd = source.find('\n');
  std::string first = source.substr(0, firstEnd);
  while (!first.empty() && (first.back() == '\r' || first.back() == ' ')) first.pop_back();
  if (first != kCoreVersion) return source;

  // The varyings: a vertex shader's outputs, a fragment shader's inputs.
  const std::string varying = stage == ShaderStage::kVertex ? "out" : "in";
  std::string result = kEsHeader;
  std::istringstream lines(firstEnd == std::string::npos ? std::string() : source.substr(firstEnd + 1));
  std::string line;
  while (std::getline(lines, line)) {
    const size_t keyword = afterLocationLayout(line, varying);
    if (keyword != std::string::npos) line = line.substr(0, skipBlanks(line, 0)) + line.substr(keyword);
    result += line;
    result += '\n';
  }
  return result;
}

std::string shaderSourceForThisGl(const std::string& core410, ShaderStage stage) {
  return kGlEs ? glslEs300FromCore410(core410, stage) : core410;
}

}  // namespace lb_engine
