// OBJ meshes: the accepted subset of the format (read over files written here),
// the unrolled arrays, the GL upload, and the rejection of malformed records.

#include "GlContext.h"
#include "Gl.h"
#include "FileBytes.h"
#include "Mesh3D.h"
#include "ObjReader.h"
#include "ShaderProgram.h"
#include "res_TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using lb_engine::Mesh3D;
using lb_engine::MeshIndex;
using lb_engine::ObjData;
using testing::HasSubstr;
using testing::Not;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

const char kTriangle[] = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";

struct Parsed {
  ObjData obj;
  bool ok = false;
  std::string messages;
};

// Reads a file written by the test and parses it the way Mesh3D does, with the
// messages captured from standard error.
Parsed parseFile(const std::string& path) {
  Parsed result;
  std::vector<unsigned char> bytes;
  EXPECT_TRUE(lb_engine::readFileBytes(path.c_str(), &bytes));
  CaptureStderr();
  result.ok = lb_engine::parseOBJ(reinterpret_cast<const char*>(bytes.data()), bytes.size(), path.c_str(),
                                  &result.obj, stderr);
  result.messages = GetCapturedStderr();
  return result;
}

Parsed parseText(const std::string& text) {
  lb_test::ResTempDir dir;
  return parseFile(dir.write("mesh.obj", text));
}

std::vector<float> floats(const float* values, size_t count) { return std::vector<float>(values, values + count); }

}  // namespace

TEST(ObjReader, CommentsGroupsAndIndentedRecordsAreIgnoredSilently) {
  const Parsed parsed = parseText(std::string(kTriangle) +
                                  "# f 1 2 3\n"
                                  "g f 1 2 3\n"
                                  "o f 1 2 3\n"
                                  "s 1\nusemtl f\nmtllib f.mtl\nvp 1 2\nl 1 2\n\n"
                                  " v 9 9 9\n"
                                  "\tv 9 9 9\n"
                                  "v\t9 9 9\n"
                                  " f 1 2 3\n"
                                  "\tf 1 2 3\n"
                                  "f 3 2 1\n");
  EXPECT_TRUE(parsed.ok);
  EXPECT_EQ(parsed.messages, "");
  EXPECT_EQ(parsed.obj.positions, (std::vector<float>{0, 0, 0, 1, 0, 0, 0, 1, 0}));
  ASSERT_EQ(parsed.obj.faces.size(), 1u);
  EXPECT_EQ(parsed.obj.faces[0].vertex[0], 3);
  EXPECT_EQ(parsed.obj.faceLines[0], 18);
}

TEST(ObjReader, QuadKeepsItsFirstTriangleAndCrLfLinesRead) {
  const Parsed parsed = parseText("v 0 0 0\r\nv 1 0 0\r\nv 1 1 0\r\nv 0 1 0\r\nvt 0.5 0.25 7\r\nf 1/1 2/1 3/1 4/1\r\n");
  EXPECT_TRUE(parsed.ok);
  EXPECT_EQ(parsed.messages, "");
  EXPECT_EQ(parsed.obj.positions.size(), 12u);
  EXPECT_EQ(parsed.obj.texCoords, (std::vector<float>{0.5f, 0.25f}));  // third component dropped
  ASSERT_EQ(parsed.obj.faces.size(), 1u);
  const MeshIndex& face = parsed.obj.faces[0];
  EXPECT_EQ((std::vector<int>{face.vertex[0], face.vertex[1], face.vertex[2]}), (std::vector<int>{1, 2, 3}));
}

TEST(ObjReader, LinesOfTwoHundredCharactersEndTheReading) {
  const std::string comment199 = "#" + std::string(198, 'x');
  Parsed parsed = parseText(std::string(kTriangle) + comment199 + "\nf 1 2 3\n");
  EXPECT_EQ(parsed.obj.faces.size(), 1u) << "a 199-character line still fits";

  const std::string comment200 = "#" + std::string(199, 'x');
  parsed = parseText(std::string(kTriangle) + comment200 + "\nf 1 2 3\n");
  EXPECT_EQ(parsed.obj.faces.size(), 0u) << "a 200-character line ends the reading";
  EXPECT_EQ(parsed.messages, "");

  // The first 199 characters of a long record are still used.
  const std::string longPosition = "v 4 5 6" + std::string(243, ' ');
  parsed = parseText(std::string(kTriangle) + longPosition + "\nv 7 8 9\nf 1 2 3\n");
  EXPECT_EQ(parsed.obj.positions.size(), 12u);
  EXPECT_EQ(parsed.obj.positions.back(), 6.0f);
  EXPECT_EQ(parsed.obj.faces.size(), 0u);

  // A 199-character face line whose corners lie within the buffer.
  const std::string face199 = "f 1 2 3" + std::string(192, ' ');
  ASSERT_EQ(face199.size(), 199u);
  parsed = parseText(std::string(kTriangle) + face199);  // and no final line feed
  EXPECT_EQ(parsed.obj.faces.size(), 1u);
}

TEST(ObjReader, FacesMayNameRecordsThatComeLater) {
  // Indices are checked against everything the file holds once it is read.
  const Parsed parsed = parseText("f 1 2 3\n" + std::string(kTriangle));
  EXPECT_TRUE(parsed.ok);
  EXPECT_EQ(parsed.obj.faces.size(), 1u);
}

TEST(ObjReader, MalformedRecordsAreSkippedWithTheirLine) {
  const Parsed parsed = parseText(
      "v 0 0 0\n"        // 1
      "v 1 0\n"          // 2 too few
      "v 1 0 0\n"        // 3
      "v 0 one 0\n"      // 4 not a number
      "v 0 1 0\n"        // 5
      "vt 0.5\n"         // 6 too few
      "vn 0 0\n"         // 7 too few
      "f 1 2\n"          // 8 two corners
      "f 1 x 3\n"        // 9 not a number
      "f 1/a/1 2 3\n"    // 10 not a number
      "f /1 2 3\n"       // 11 no vertex index
      "f \n"             // 12 no corners
      "v \n"             // 13 no numbers
      "v 2 2 2trailing\n"  // 14
      "f 1 2 3\n");      // 15
  EXPECT_TRUE(parsed.ok);
  EXPECT_EQ(parsed.obj.positions, (std::vector<float>{0, 0, 0, 1, 0, 0, 0, 1, 0}));
  EXPECT_TRUE(parsed.obj.texCoords.empty());
  EXPECT_TRUE(parsed.obj.normals.empty());
  EXPECT_FALSE(parsed.obj.hasTexCoords);
  EXPECT_FALSE(parsed.obj.hasNormals);
  ASSERT_EQ(parsed.obj.faces.size(), 1u);
  EXPECT_EQ(parsed.obj.faceLines[0], 15);
  for (int line : {2, 4, 6, 7, 8, 9, 10, 11, 12, 13, 14}) {
    EXPECT_THAT(parsed.messages, HasSubstr("mesh.obj:" + std::to_string(line) + ": ")) << parsed.messages;
  }
  EXPECT_THAT(parsed.messages, HasSubstr("too few numbers"));
  EXPECT_THAT(parsed.messages, HasSubstr("three corners"));
  EXPECT_THAT(parsed.messages, Not(HasSubstr(":15:")));
}

TEST(ObjReader, NumbersConvertAsAtofDoes) {
  const char* tokens[] = {"0.1",     "-0",          "+1.5",       "0x1p3",     "1e400",   "-1e400",
                          "1e-45",   "1.17549435e-38", "3.4028235e38", ".5",     "5.",      "-.5e-3",
                          "123456789.123456789", "\t7",  "2.5\r",       "inf",     "1E2",     "00012.5000"};
  for (const char* token : tokens) {
    SCOPED_TRACE(token);
    const Parsed parsed = parseText(std::string("v ") + token + " " + token + " " + token + "\n");
    ASSERT_EQ(parsed.messages, "");
    ASSERT_EQ(parsed.obj.positions.size(), 3u);
    const float expected = static_cast<float>(std::strtod(token, nullptr));
    EXPECT_EQ(std::memcmp(&parsed.obj.positions[0], &expected, sizeof(float)), 0)
        << parsed.obj.positions[0] << " vs " << expected;
  }
}

TEST(ObjReader, OutOfRangeIndicesAreFatalAndNamed) {
  struct Case {
    const char* extra;
    const char* expected;
  };
  const Case cases[] = {
      {"f 1 2 4\n", "mesh.obj:4: face names position 4, but the file has 3"},
      {"f 0 1 2\n", "position 0"},
      {"f -1 2 3\n", "position -1"},
      {"f 1 2 99999999999\n", "position 2147483647"},
      {"vt 0 0\nf 1/2 2/1 3/1\n", "mesh.obj:5: face names texture coordinate 2, but the file has 1"},
      {"vn 0 0 1\nf 1//1 2//1 3//3\n", "normal 3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.extra);
    const Parsed parsed = parseText(std::string(kTriangle) + c.extra);
    EXPECT_FALSE(parsed.ok);
    ASSERT_EQ(parsed.obj.faults.size(), 1u);
    EXPECT_THAT(parsed.obj.faults[0], HasSubstr(c.expected));
  }
}

TEST(ObjReader, LeftOutIndicesAreNotOutOfRange) {
  // A file with texture coordinates whose faces give only normals, and vice versa.
  Parsed parsed = parseText(std::string(kTriangle) + "vt 0 0\nvn 0 0 1\nf 1//1 2//1 3//1\nf 1/1 2/1 3/1\nf 1 2 3\n");
  EXPECT_TRUE(parsed.ok) << parsed.messages;
  EXPECT_EQ(parsed.obj.faces.size(), 3u);
}

TEST(ObjReader, ManyRecordsMatchAnIndependentList) {
  std::string text;
  std::vector<float> expected;
  const int kCount = 3000;
  for (int i = 0; i < kCount; ++i) {
    const float x = i * 0.5f, y = -i * 0.25f, z = i % 7;
    text += "v " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(z) + "\n";
    expected.insert(expected.end(), {x, y, z});
  }
  for (int i = 1; i + 2 <= kCount; ++i) text += "f " + std::to_string(i) + " " + std::to_string(i + 1) + " " +
                                             std::to_string(i + 2) + "\n";
  const Parsed parsed = parseText(text);
  EXPECT_TRUE(parsed.ok);
  EXPECT_EQ(parsed.obj.positions, expected);
  ASSERT_EQ(parsed.obj.faces.size(), static_cast<size_t>(kCount - 2));
  EXPECT_EQ(parsed.obj.faces.back().vertex[2], kCount);
}

TEST(MeshIndex, SplitsCornersOnSlashes) {
  char line[] = "f 7//3 2/5 9/8/4 1/1/1\n";
  const MeshIndex face(line);
  EXPECT_EQ((std::vector<int>{face.vertex[0], face.texture[0], face.normal[0]}), (std::vector<int>{7, 0, 3}));
  EXPECT_EQ((std::vector<int>{face.vertex[1], face.texture[1], face.normal[1]}), (std::vector<int>{2, 5, 0}));
  EXPECT_EQ((std::vector<int>{face.vertex[2], face.texture[2], face.normal[2]}), (std::vector<int>{9, 8, 4}));

  char pieces[] = "a/b";
  char* cursor = pieces;
  EXPECT_STREQ(MeshIndex::strsep(&cursor, "/"), "a");
  EXPECT_STREQ(MeshIndex::strsep(&cursor, "/"), "b");
  EXPECT_EQ(cursor, nullptr);
  EXPECT_EQ(MeshIndex::strsep(&cursor, "/"), nullptr);
}

// The fatal message is what the error box shows, to someone who never sees
// standard error: it carries the reasons themselves, the first few with their
// lines, and how many more there are.
TEST(MeshDeathTest, OutOfRangeFaceStopsTheLoadWithTheReasonsInTheMessage) {
  lb_test::ResTempDir dir;
  std::string text = std::string(kTriangle) + "f 1 2 3\nf 1 2 4\n";       // line 5: the first fault
  for (int i = 0; i < 6; ++i) text += "f 1 2 " + std::to_string(10 + i) + "\n";  // lines 6 to 11
  const std::string path = dir.write("bad.obj", text);
  // Exits while reading, before any GL call, so no context is needed.
  EXPECT_EXIT(Mesh3D mesh(path.c_str()), testing::ExitedWithCode(1),
              "bad\\.obj: a damaged OBJ mesh:\\s+\\S*bad\\.obj:5: face names position 4, but the file has 3\\s+"
              "\\S*bad\\.obj:6: face names position 10");
  EXPECT_EXIT(Mesh3D mesh(path.c_str()), testing::ExitedWithCode(1), "bad\\.obj:9: face names position 13, but the file has 3\\s+"
              "\\(and 2 more faces like these\\)");
}

TEST(ObjReader, FaultsAreCountedAllButKeptOnlyForTheFirstFew) {
  std::string text = kTriangle;
  for (int i = 0; i < 40; ++i) text += "f 1 2 " + std::to_string(4 + i) + "\n";
  const Parsed parsed = parseText(text);
  EXPECT_FALSE(parsed.ok);
  EXPECT_EQ(parsed.obj.faultCount, 40u);
  ASSERT_EQ(parsed.obj.faults.size(), ObjData::kKeptFaults);
  EXPECT_THAT(parsed.obj.faults.front(), HasSubstr("mesh.obj:4: face names position 4,"));
  EXPECT_TRUE(parsed.messages.empty()) << parsed.messages;  // they are the caller's to report
}

class MeshGl : public lb_test::GlTest {};

TEST_F(MeshGl, UnrollsOneCornerPerVertexInFileOrder) {
  lb_test::ResTempDir dir;
  const std::string path = dir.write("tri.obj",
                                     "v 1 2 3\nv 4 5 6\nv 7 8 9\n"
                                     "vt 0.1 0.2\nvt 0.3 0.4\nvt 0.5 0.6\n"
                                     "vn 1 0 0\nvn 0 1 0\nvn 0 0 1\n"
                                     "f 3/2/1 1/3/2 2/1/3\n");
  Mesh3D mesh(path.c_str());
  EXPECT_EQ(mesh.cornerCount, 3);
  EXPECT_EQ((std::vector<unsigned>(mesh.indexArray, mesh.indexArray + 3)), (std::vector<unsigned>{0, 1, 2}));
  EXPECT_EQ(floats(mesh.positionArray, 9), (std::vector<float>{7, 8, 9, 1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(floats(mesh.texCoordArray, 6), (std::vector<float>{0.3f, 0.4f, 0.5f, 0.6f, 0.1f, 0.2f}));
  EXPECT_EQ(floats(mesh.normalArray, 9), (std::vector<float>{1, 0, 0, 0, 1, 0, 0, 0, 1}));
  ASSERT_EQ(mesh.faces.size(), 1u);
  EXPECT_EQ(mesh.faces[0]->getVertex(0), 2);

  // The uploaded index buffer holds the same identity.
  glBindVertexArray(mesh.vertexArray);
  unsigned uploaded[3] = {9, 9, 9};
  glGetBufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, sizeof(uploaded), uploaded);
  glBindVertexArray(0);
  EXPECT_EQ((std::vector<unsigned>(uploaded, uploaded + 3)), (std::vector<unsigned>{0, 1, 2}));
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(MeshGl, NormalsWithoutTextureCoordinatesLeaveZeros) {
  lb_test::ResTempDir dir;
  const std::string path = dir.write("vn.obj", std::string(kTriangle) + "vn 0 0 1\nf 1//1 2//1 3//1\n");
  Mesh3D mesh(path.c_str());
  EXPECT_TRUE(mesh.hasNormals);
  EXPECT_FALSE(mesh.hasTexCoords);
  EXPECT_EQ(floats(mesh.texCoordArray, 6), std::vector<float>(6, 0.0f));
  EXPECT_EQ(floats(mesh.normalArray, 9), (std::vector<float>{0, 0, 1, 0, 0, 1, 0, 0, 1}));
}

TEST_F(MeshGl, MissingFileGivesAnEmptyMeshSilently) {
  lb_test::ResTempDir dir;
  CaptureStderr();
  Mesh3D mesh("no/such/mesh.obj");
  Mesh3D folder(dir.path("").c_str());  // opens, but reads as nothing
  EXPECT_EQ(GetCapturedStderr(), "");
  EXPECT_EQ(mesh.cornerCount, 0);
  EXPECT_EQ(folder.cornerCount, 0);
  EXPECT_TRUE(mesh.faces.empty());
  mesh.draw();
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(MeshGl, DrawFeedsPositionNormalAndTextureCoordinateToLocations012) {
  lb_test::ResTempDir dir;
  // One triangle covering the whole clip square, normal +z, texture coordinate (1, 0.5).
  const std::string meshPath = dir.write("big.obj",
                                         "v -1 -1 0\nv 3 -1 0\nv -1 3 0\nvt 1 0.5\nvn 0 0 1\n"
                                         "f 1/1/1 2/1/1 3/1/1\n");
  const std::string vertexPath = dir.write("mesh.vert",
                                           "#version 410 core\n"
                                           "layout(location = 0) in vec3 position;\n"
                                           "layout(location = 1) in vec3 normal;\n"
                                           "layout(location = 2) in vec2 texCoord;\n"
                                           "out vec4 color;\n"
                                           "void main() { color = vec4(texCoord, normal.z, 1.0);"
                                           " gl_Position = vec4(position, 1.0); }\n");
  const std::string fragmentPath = dir.write("mesh.frag",
                                             "#version 410 core\nin vec4 color;\nout vec4 fragColor;\n"
                                             "void main() { fragColor = color; }\n");
  lb_engine::ShaderProgram program;
  program.addShader(fragmentPath.c_str(), GL_FRAGMENT_SHADER);
  program.addShader(vertexPath.c_str(), GL_VERTEX_SHADER);
  program.compile();
  Mesh3D mesh(meshPath.c_str());
  glDisable(GL_DEPTH_TEST);
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT);
  program.use();
  mesh.draw();
  const std::vector<unsigned char> pixels = lb_test::readPixels(kWidth, kHeight);
  const size_t centre = (static_cast<size_t>(kHeight / 2) * kWidth + kWidth / 2) * 4;
  EXPECT_EQ(pixels[centre + 0], 255);
  EXPECT_NEAR(pixels[centre + 1], 128, 1);
  EXPECT_EQ(pixels[centre + 2], 255);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
