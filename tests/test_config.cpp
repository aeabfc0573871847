// The asset catalogue: how a line splits into keyword, key and paths, which
// lines are skipped, and the fatal look-ups of missing keys.

#include "CatalogueLine.h"
#include "Config.h"
#include "FatalError.h"
#include "GlContext.h"
#include "Gl.h"
#include "Mesh3D.h"
#include "ShaderProgram.h"
#include "res_Images.h"
#include "res_TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

using lb_engine::CatalogueLine;
using lb_engine::Config;
using lb_engine::parseCatalogueLine;
using testing::HasSubstr;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

TEST(CatalogueLine, SplitsOnSingleSpacesWithTheLastFieldToTheEnd) {
  CatalogueLine line = parseCatalogueLine("Shader glass data/glass.frag data/my glass.vert");
  EXPECT_EQ(line.kind, CatalogueLine::kShader);
  EXPECT_EQ(line.key, "glass");
  EXPECT_EQ(line.path, "data/glass.frag");
  EXPECT_EQ(line.vertexPath, "data/my glass.vert");

  line = parseCatalogueLine("File robothier data/robot parts.txt");
  EXPECT_EQ(line.kind, CatalogueLine::kFile);
  EXPECT_EQ(line.path, "data/robot parts.txt");

  // Two spaces make an empty key and the path starts after the second one.
  line = parseCatalogueLine("Mesh  data/cube.obj");
  EXPECT_EQ(line.kind, CatalogueLine::kMesh);
  EXPECT_EQ(line.key, "");
  EXPECT_EQ(line.path, "data/cube.obj");

  // A CR LF file leaves the carriage return in the last field.
  line = parseCatalogueLine("Texture cube data/cube.jpg\r");
  EXPECT_EQ(line.path, "data/cube.jpg\r");
  EXPECT_EQ(line.decoder, lb_engine::IMG_PNG);
}

TEST(CatalogueLine, OnlyAnExactJpgSuffixSelectsTheJpegDecoder) {
  EXPECT_EQ(parseCatalogueLine("Texture a x.jpg").decoder, lb_engine::IMG_JPEG);
  EXPECT_EQ(parseCatalogueLine("Texture a jpg").decoder, lb_engine::IMG_JPEG);
  EXPECT_EQ(parseCatalogueLine("Texture a x.JPG").decoder, lb_engine::IMG_PNG);
  EXPECT_EQ(parseCatalogueLine("Texture a x.jpeg").decoder, lb_engine::IMG_PNG);
  EXPECT_EQ(parseCatalogueLine("Texture a x.png").decoder, lb_engine::IMG_PNG);
}

TEST(CatalogueLine, UnknownKeywordsAreIgnoredAndShortLinesMalformed) {
  for (const char* text : {"", "# Texture a b.png", "texture a b.png", " Texture a b.png", "Textures a b.png",
                           "Music music data/music.mp3"}) {
    EXPECT_EQ(parseCatalogueLine(text).kind, CatalogueLine::kIgnored) << text;
  }
  for (const char* text : {"Texture", "Texture a", "Mesh cube", "File x", "Shader s only.frag", "Texture a ab",
                           "Texture a "}) {
    const CatalogueLine line = parseCatalogueLine(text);
    EXPECT_EQ(line.kind, CatalogueLine::kMalformed) << text;
    EXPECT_NE(line.problem, nullptr);
  }
  // An empty path is a path (it fails to open later), except for textures.
  EXPECT_EQ(parseCatalogueLine("Mesh cube ").kind, CatalogueLine::kMesh);
  EXPECT_EQ(parseCatalogueLine("Shader s a.frag ").kind, CatalogueLine::kShader);
}

TEST(Config, ReadsFileLinesInOrderLaterKeysWinAndTheLastLineNeedsNoLineFeed) {
  lb_test::ResTempDir dir;
  const std::string path = dir.write("config.txt",
                                     "File robothier first.txt\n"
                                     "# File robothier commented.txt\n"
                                     "file robothier lower.txt\n"
                                     "\n"
                                     "File spaced a path with spaces.txt\n"
                                     "File crlf windows.txt\r\n"
                                     "File robothier second.txt");
  CaptureStderr();
  Config config(path.c_str());
  EXPECT_EQ(GetCapturedStderr(), "");
  EXPECT_EQ(config.files.size(), 3u);
  EXPECT_EQ(config.getFile("robothier"), "second.txt");
  EXPECT_EQ(config.getFile("spaced"), "a path with spaces.txt");
  EXPECT_EQ(config.getFile("crlf"), "windows.txt\r");
  EXPECT_EQ(config.getMusic(), "");
}

TEST(Config, MalformedLinesAreSkippedWithTheirLine) {
  lb_test::ResTempDir dir;
  const std::string path = dir.write("config.txt",
                                     "File good a.txt\n"
                                     "Texture ab\n"
                                     "Texture short ab\n"
                                     "Shader halfway only.frag\n"
                                     "File\n");
  CaptureStderr();
  Config config(path.c_str());  // no GL needed: nothing is loaded from these lines
  const std::string messages = GetCapturedStderr();
  for (int line : {2, 3, 4, 5}) {
    EXPECT_THAT(messages, HasSubstr(path + ":" + std::to_string(line) + ": ")) << messages;
  }
  EXPECT_THAT(messages, HasSubstr("shorter than three characters"));
  EXPECT_EQ(config.files.size(), 1u);
  EXPECT_TRUE(config.textures.empty());
  EXPECT_TRUE(config.shaders.empty());
}

TEST(Config, MissingModelIsNullAndRemembered) {
  lb_test::ResTempDir dir;
  Config config(dir.write("config.txt", "").c_str());
  EXPECT_EQ(config.getModel("cube"), nullptr);
  EXPECT_EQ(config.models.count("cube"), 1u);
}

TEST(ConfigDeathTest, MissingKeysEndTheProgramNamingKindAndKey) {
  lb_test::ResTempDir dir;
  const std::string path = dir.write("config.txt", "");
  Config config(path.c_str());
  EXPECT_EXIT(config.getShader("gloom"), testing::ExitedWithCode(1), "no shader program with key \"gloom\"");
  EXPECT_EXIT(config.getTexture("title"), testing::ExitedWithCode(1), "no texture with key \"title\"");
  EXPECT_EXIT(config.getFile("robothier"), testing::ExitedWithCode(1), "no file with key \"robothier\"");
  // An unreadable catalogue is simply empty, and the first look-up names it.
  Config absent(dir.path("absent.txt").c_str());
  EXPECT_EXIT(absent.getShader("default"), testing::ExitedWithCode(1), "absent.txt: no shader program");
}

// The web page's entry point registers a reporter, since its runtime swallows
// the exit: the reporter must hear the loader's message, and the program must
// still end with status 1 afterwards.
TEST(ConfigDeathTest, FatalErrorsReachARegisteredReporterBeforeTheExit) {
  lb_test::ResTempDir dir;
  Config config(dir.write("config.txt", "").c_str());
  EXPECT_EXIT(
      {
        lb_engine::setFatalReporter([](const std::string& message) {
          std::fprintf(stderr, "reporter heard <%s>\n", message.c_str());
        });
        config.getFile("robothier");
      },
      testing::ExitedWithCode(1), "reporter heard <.*no file with key \"robothier\">");
}

class ConfigGl : public lb_test::GlTest {};

TEST_F(ConfigGl, LoadsShadersTexturesAndMeshesAsItReadsThem) {
  lb_test::ResTempDir dir;
  std::vector<unsigned char> rgb(4 * 2 * 3, 200);
  dir.write("lower.jpg", lb_test::encodeJPEG(4, 2, rgb));
  dir.write("upper.JPG", lb_test::encodeJPEG(4, 2, rgb));
  dir.write("plain.png", lb_test::encodePNG(4, 2, rgb));
  dir.write("tri.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
  dir.write("quad.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nf 3 2 1\n");
  dir.write("s.vert",
            "#version 410 core\nlayout(location = 0) in vec3 position;\n"
            "void main() { gl_Position = vec4(position, 1.0); }\n");
  dir.write("s.frag", "#version 410 core\nout vec4 c;\nvoid main() { c = vec4(1.0); }\n");
  const std::string d = dir.path("");
  const std::string path = dir.write("config.txt",
                                     "Shader plain " + d + "s.frag " + d + "s.vert\n"
                                     "Texture lower " + d + "lower.jpg\n"
                                     "Texture upper " + d + "upper.JPG\n"
                                     "Texture plain " + d + "plain.png\n"
                                     "Mesh cube " + d + "tri.obj\n"
                                     "Mesh cube " + d + "quad.obj\n"
                                     "Texture plain2 " + d + "plain.png\r\n");
  CaptureStderr();
  Config config(path.c_str());
  const std::string messages = GetCapturedStderr();
  // Upper-case JPG goes to the PNG decoder, which refuses a JPEG file.
  EXPECT_THAT(messages, HasSubstr("upper.JPG: not a PNG file"));

  GLint linked = GL_FALSE;
  glGetProgramiv(config.getShader("plain")->getProgramID(), GL_LINK_STATUS, &linked);
  EXPECT_EQ(linked, GL_TRUE);
  auto width = [](unsigned int name) {
    GLint w = -1;
    glBindTexture(GL_TEXTURE_2D, name);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    return w;
  };
  EXPECT_EQ(width(config.getTexture("lower")), 4);
  EXPECT_EQ(width(config.getTexture("plain")), 4);
  EXPECT_EQ(width(config.getTexture("upper")), 0);
  EXPECT_EQ(width(config.getTexture("plain2")), 0) << "the carriage return is part of the path";
  EXPECT_EQ(config.getModel("cube")->cornerCount, 6) << "the later Mesh line wins";
}
