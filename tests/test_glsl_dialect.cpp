// The GLSL ES 3.00 text the web build compiles is derived from the data set's
// 4.10 core sources. glslangValidator, the reference front end, judges both
// dialects independently of any driver: every program of the data set must
// compile and link as 4.10 core and, rewritten, as ES 3.00.

#include "DataSetContract.h"
#include "FileBytes.h"
#include "GlslDialect.h"
#include "res_TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using lb_engine::glslEs300FromCore410;
using lb_engine::ShaderStage;

const char kEsHeader[] =
    "#version 300 es\nprecision highp float;\nprecision highp int;\nprecision highp sampler2D;\n";

// glslangValidator's exit status and output for linking the given files (a
// vertex and a fragment shader, told apart by their .vert/.frag names).
struct Verdict {
  int status;
  std::string output;
};

Verdict validate(const std::string& vertexFile, const std::string& fragmentFile) {
  const std::string command = "glslangValidator -l '" + vertexFile + "' '" + fragmentFile + "' 2>&1";
  Verdict verdict{-1, ""};
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return verdict;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) verdict.output += buffer;
  verdict.status = pclose(pipe);
  return verdict;
}

std::string readText(const std::string& path) {
  std::vector<unsigned char> bytes;
  if (!lb_engine::readFileBytes(path.c_str(), &bytes)) return std::string();
  return std::string(bytes.begin(), bytes.end());
}

class GlslDialect : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::system("glslangValidator --version >/dev/null 2>&1") != 0)
      FAIL() << "glslangValidator is missing (scripts/setup.sh test installs glslang-tools)";
  }
  lb_test::ResTempDir dir_;
};

}  // namespace

// The rewrite by hand: the header, and layout(location) dropped from exactly the
// varyings (vertex outputs, fragment inputs), whatever the spacing.
TEST_F(GlslDialect, RewritesHeaderAndVaryingsOnly) {
  const std::string vertex =
      "#version 410 core\n"
      "layout(location = 0) in vec3 position;\n"
      "  layout( location=12 )  out vec2 vUv;\n"
      "layout(location = 1) outer;\n"
      "void main() { vUv = position.xy; gl_Position = vec4(position, 1.0); }\n";
  EXPECT_EQ(glslEs300FromCore410(vertex, ShaderStage::kVertex),
            std::string(kEsHeader) +
                "layout(location = 0) in vec3 position;\n"
                "  out vec2 vUv;\n"
                "layout(location = 1) outer;\n"
                "void main() { vUv = position.xy; gl_Position = vec4(position, 1.0); }\n");

  const std::string fragment =
      "#version 410 core\r\n"
      "layout(location = 0) in vec2 vUv;\n"
      "layout(location = 1) out vec4 glow;\n"
      "void main() { glow = vec4(vUv, 0.0, 1.0); }";
  EXPECT_EQ(glslEs300FromCore410(fragment, ShaderStage::kFragment),
            std::string(kEsHeader) +
                "in vec2 vUv;\n"
                "layout(location = 1) out vec4 glow;\n"
                "void main() { glow = vec4(vUv, 0.0, 1.0); }\n");

  // Any other first line: left for the compiler to judge.
  const std::string other = "#version 330 core\nlayout(location = 0) out vec4 c;\n";
  EXPECT_EQ(glslEs300FromCore410(other, ShaderStage::kVertex), other);
}

// The validator does hold the ES rules: a construct that 4.10 accepts and ES
// does not (an int where a float is wanted) passes as 4.10 and fails rewritten.
// Without this the whole-data-set case below could pass vacuously.
TEST_F(GlslDialect, ValidatorRejectsWhatEsLacks) {
  const std::string vertex =
      "#version 410 core\nlayout(location = 0) in vec2 position;\nlayout(location = 0) out vec2 vUv;\n"
      "void main() { vUv = position; gl_Position = vec4(position, 0, 1); }\n";
  const std::string fragment =
      "#version 410 core\nlayout(location = 0) in vec2 vUv;\nlayout(location = 0) out vec4 c;\n"
      "void main() { float h = 1 / 2.0; c = vec4(vUv, h, 1.0); }\n";
  Verdict core = validate(dir_.write("a.vert", vertex), dir_.write("a.frag", fragment));
  EXPECT_EQ(core.status, 0) << core.output;
  Verdict es = validate(dir_.write("es.vert", glslEs300FromCore410(vertex, ShaderStage::kVertex)),
                        dir_.write("es.frag", glslEs300FromCore410(fragment, ShaderStage::kFragment)));
  EXPECT_NE(es.status, 0) << es.output;
}

// Every program the catalogue names, from the generated data set, in both
// dialects, compiled and linked as one program (the varyings must match).
TEST_F(GlslDialect, EveryProgramOfTheDataSetInBothDialects) {
  int programs = 0;
  for (const lb_dataset::Entry& entry : lb_dataset::contract()) {
    if (entry.kind != lb_dataset::Kind::kShader) continue;
    ++programs;
    SCOPED_TRACE(lb_dataset::entryName(entry));
    const std::string vertex = readText(std::string(LB_BINARY_DIR) + "/" + entry.vertex);
    const std::string fragment = readText(std::string(LB_BINARY_DIR) + "/" + entry.file);
    ASSERT_FALSE(vertex.empty()) << entry.vertex;
    ASSERT_FALSE(fragment.empty()) << entry.file;
    const std::string key = entry.key;

    Verdict core = validate(dir_.write(key + ".vert", vertex), dir_.write(key + ".frag", fragment));
    EXPECT_EQ(core.status, 0) << "as GLSL 4.10 core:\n" << core.output;

    const std::string esVertex = glslEs300FromCore410(vertex, ShaderStage::kVertex);
    const std::string esFragment = glslEs300FromCore410(fragment, ShaderStage::kFragment);
    EXPECT_EQ(esVertex.compare(0, 16, "#version 300 es\n"), 0);
    Verdict es = validate(dir_.write(key + "-es.vert", esVertex), dir_.write(key + "-es.frag", esFragment));
    EXPECT_EQ(es.status, 0) << "as GLSL ES 3.00:\n" << es.output;
  }
  EXPECT_GE(programs, 8);
}
