// Scene-graph nodes, the robot hierarchy file and its two traversals. Expected
// matrices come from GLM: our column-major elements equal glm::value_ptr's, and
// our `a * b` (a first, then b) is GLM's b * a.

#include "GlContext.h"
#include "Gl.h"
#include "Hierarchy3D.h"
#include "HierarchyFile.h"
#include "ShaderProgram.h"
#include "res_TempDir.h"

#include <gtest/gtest.h>

#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <sstream>
#include <string>
#include <vector>

using lb_engine::Hierarchy3D;
using lb_engine::Matrix;
using lb_engine::Node;

namespace {

Matrix fromGlm(const glm::mat4& g) {
  Matrix m;
  for (int i = 0; i < 16; ++i) m.values[i] = glm::value_ptr(g)[i];
  return m;
}

void expectMatrix(const Matrix& m, const glm::mat4& g, float tol = 1e-5f) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(m.values[i], glm::value_ptr(g)[i], tol) << "element " << i;
}

void expectMatrix(const float* m, const glm::mat4& g, float tol = 1e-5f) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(m[i], glm::value_ptr(g)[i], tol) << "element " << i;
}

// A hierarchy-file line: indentation, name and the sixteen numbers row by row.
std::string line(int depth, const std::string& name, const glm::mat4& g) {
  std::ostringstream out;
  out.precision(9);
  out << std::string(depth, ' ') << name;
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 4; ++col) out << ' ' << g[col][row];
  out << '\n';
  return out.str();
}

const char* kIdentityNumbers = " 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1";

std::string plain(int depth, const std::string& name) {
  return std::string(depth, ' ') + name + kIdentityNumbers + "\n";
}

glm::mat4 translation(float x, float y, float z) { return glm::translate(glm::mat4(1.0f), {x, y, z}); }

glm::mat4 rotation(float angle, glm::vec3 axis) { return glm::rotate(glm::mat4(1.0f), angle, axis); }

}  // namespace

// ---------------------------------------------------------------- Node, Hierarchy3D

TEST(Node, FreshNodeIsZeroAndRestTransformSetsBothMatrices) {
  Node node;
  expectMatrix(node.getMatrix(), glm::mat4(0.0f), 0.0f);
  EXPECT_TRUE(node.children.empty());

  const glm::mat4 m = translation(1, 2, 3) * rotation(0.4f, {0, 1, 0});
  node.updateStateMatrix(fromGlm(m));
  expectMatrix(node.getMatrix(), m);
  expectMatrix(node.stateMatrix, m);
}

TEST(Node, PosingIsAbsoluteAndAppliesThePoseFirst) {
  const glm::mat4 rest = translation(0, 0, -2);
  Node node;
  node.updateStateMatrix(fromGlm(rest));

  const glm::mat4 a = rotation(0.7f, {0, 1, 0});
  const glm::mat4 b = rotation(-0.3f, {1, 0, 0});
  node.updateMatrix(fromGlm(a), false);
  node.updateMatrix(fromGlm(b), false);
  // Pose first, then the rest transform: rest * b for column vectors; `a` is gone.
  expectMatrix(node.getMatrix(), rest * b);
  expectMatrix(node.stateMatrix, rest);

  // A pure rotation turns the part about its own origin, which the rest
  // transform then carries to (0, 0, -2).
  const glm::vec4 origin = glm::make_mat4(node.getMatrix().values) * glm::vec4(0, 0, 0, 1);
  EXPECT_NEAR(origin.z, -2.0f, 1e-6f);

  node.updateMatrix(fromGlm(glm::mat4(1.0f)), false);
  expectMatrix(node.getMatrix(), rest);
}

TEST(Node, RecursivePoseGivesEveryDescendantTheSameMatrix) {
  Node root, child, grandchild;
  const glm::mat4 r = translation(1, 0, 0), c = translation(0, 2, 0), g = rotation(0.5f, {0, 0, 1});
  root.updateStateMatrix(fromGlm(r));
  child.updateStateMatrix(fromGlm(c));
  grandchild.updateStateMatrix(fromGlm(g));
  root.addChild(&child);
  child.addChild(&grandchild);

  const glm::mat4 m = rotation(1.0f, {0, 1, 0});
  root.updateMatrix(fromGlm(m), false);
  expectMatrix(root.getMatrix(), r * m);
  expectMatrix(child.getMatrix(), c);  // untouched without recursion

  root.updateMatrix(fromGlm(m), true);
  // Each node gets m times its own rest transform, not its parent's new matrix.
  expectMatrix(root.getMatrix(), r * m);
  expectMatrix(child.getMatrix(), c * m);
  expectMatrix(grandchild.getMatrix(), g * m);
}

TEST(Hierarchy3D, NamesRepointAndMissingNamesStayMissing) {
  Hierarchy3D hier;
  Node first, second;
  hier.addNode("arm", &first);
  hier.addNode("arm", &second);
  EXPECT_EQ(hier.getNode("arm"), &second);
  ASSERT_EQ(hier.nodes.size(), 1u);
  EXPECT_EQ(hier.nodes.begin()->second, &second);

  EXPECT_EQ(hier.getNode("leg"), nullptr);
  EXPECT_EQ(hier.nodes.size(), 1u);  // the failed look-up added nothing to iterate over
  EXPECT_EQ(hier.inOrder(), std::vector<Node*>{&second});
}

// Scenes hand out per-part values in this order: it must be the order the
// names arrived in, whatever the hash map does, re-pointed names keeping
// their first place.
TEST(Hierarchy3D, InOrderFollowsFirstAddition) {
  Hierarchy3D hier;
  std::vector<Node> parts(40);
  for (size_t i = 0; i < parts.size(); ++i) hier.addNode("part" + std::to_string(39 - i), &parts[i]);
  Node replacement;
  hier.addNode("part30", &replacement);
  const std::vector<Node*> ordered = hier.inOrder();
  ASSERT_EQ(ordered.size(), parts.size());
  for (size_t i = 0; i < parts.size(); ++i) EXPECT_EQ(ordered[i], i == 9 ? &replacement : &parts[i]) << i;
}

// ---------------------------------------------------------------- line parsing

TEST(HierarchyLine, IndentCountsOnlyLeadingSpaces) {
  EXPECT_EQ(indentcount("center 1"), 0);
  EXPECT_EQ(indentcount("  knee 1"), 2);
  EXPECT_EQ(indentcount("\tknee"), 0);
  EXPECT_EQ(indentcount(" \tknee"), 1);
  EXPECT_EQ(indentcount("    "), 0);
  EXPECT_EQ(indentcount(""), 0);
}

TEST(HierarchyLine, CreateHierTakesNameAndSixteenNumbers) {
  char text[] = "elbow  1 0 0 4   0 1 0 5 0 0 1 6 0 0 0 1 trailing words 9";
  char* name = nullptr;
  Node* node = createhier(text, &name);
  ASSERT_NE(node, nullptr);
  EXPECT_STREQ(name, "elbow");
  expectMatrix(node->getMatrix(), translation(4, 5, 6));

  char shortText[] = "elbow 1 0 0 4 0 1 0 5 0 0 1 6 0 0 0";
  name = nullptr;
  EXPECT_EQ(createhier(shortText, &name), nullptr);
  EXPECT_STREQ(name, "elbow");

  char nothing[] = "   ";
  EXPECT_EQ(createhier(nothing, &name), nullptr);
  EXPECT_EQ(name, nullptr);

  char words[] = "odd x 1.5e0 -2abc 0 0 0 0 0 0 0 0 0 0 0 0 0";  // atof: x -> 0, -2abc -> -2
  Node* odd = createhier(words, &name);
  ASSERT_NE(odd, nullptr);
  // Row 1 is (0, 1.5, -2, 0): elements 0, 4 and 8 of the column-major matrix.
  EXPECT_EQ(odd->getMatrix().values[0], 0.0f);
  EXPECT_EQ(odd->getMatrix().values[4], 1.5f);
  EXPECT_EQ(odd->getMatrix().values[8], -2.0f);
}

// ---------------------------------------------------------------- whole files

TEST(HierarchyFile, IdentityAndTranslationRows) {
  lb_test::ResTempDir dir;
  const std::string path = dir.write("rows.hier",
                                     "center 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1\n"
                                     " foot 1 0 0 4 0 1 0 5 0 0 1 6 0 0 0 1\n");
  Hierarchy3D* hier = parsehierfile(path, nullptr);
  ASSERT_EQ(hier->nodes.size(), 2u);
  expectMatrix(hier->getNode("center")->getMatrix(), glm::mat4(1.0f), 0.0f);
  const Matrix foot = hier->getNode("foot")->getMatrix();
  EXPECT_EQ(foot.values[12], 4.0f);
  EXPECT_EQ(foot.values[13], 5.0f);
  EXPECT_EQ(foot.values[14], 6.0f);
  const glm::vec4 moved = glm::make_mat4(foot.values) * glm::vec4(1, 1, 1, 1);
  EXPECT_EQ(moved, glm::vec4(5, 6, 7, 1));
}

TEST(HierarchyFile, DepthsBuildTheTreeInFileOrder) {
  lb_test::ResTempDir dir;
  const std::string path =
      dir.write("tree.hier", plain(0, "a") + plain(1, "b") + plain(1, "c") + plain(2, "d") + plain(0, "e"));
  Hierarchy3D* hier = parsehierfile(path, nullptr);
  ASSERT_EQ(hier->nodes.size(), 5u);
  Node* a = hier->getNode("a");
  ASSERT_EQ(a->children.size(), 2u);
  EXPECT_EQ(a->children[0], hier->getNode("b"));
  EXPECT_EQ(a->children[1], hier->getNode("c"));
  EXPECT_TRUE(hier->getNode("b")->children.empty());
  ASSERT_EQ(hier->getNode("c")->children.size(), 1u);
  EXPECT_EQ(hier->getNode("c")->children[0], hier->getNode("d"));
  EXPECT_TRUE(hier->getNode("e")->children.empty());  // a second root
}

TEST(HierarchyFile, BlankLinesExtraTokensAndSpacingChangeNothing) {
  lb_test::ResTempDir dir;
  const std::string clean = plain(0, "a") + " b 1 0 0 2 0 1 0 0 0 0 1 0 0 0 0 1\n";
  const std::string messy = "\n" + plain(0, "a") + "\n\n   \n" +
                            " b   1 0  0 2 0 1 0 0 0 0 1 0 0 0 0 1   extra 7 tokens\n\n";
  Hierarchy3D* h1 = parsehierfile(dir.write("clean.hier", clean), nullptr);
  Hierarchy3D* h2 = parsehierfile(dir.write("messy.hier", messy), nullptr);
  ASSERT_EQ(h2->nodes.size(), 2u);
  ASSERT_EQ(h2->getNode("a")->children.size(), 1u);
  EXPECT_EQ(h2->getNode("a")->children[0], h2->getNode("b"));
  for (int i = 0; i < 16; ++i) EXPECT_EQ(h1->getNode("b")->getMatrix().values[i], h2->getNode("b")->getMatrix().values[i]);
}

TEST(HierarchyFile, FinalLineWithoutNewlineAndMeshForEveryNode) {
  lb_test::ResTempDir dir;
  std::string text = plain(0, "a") + plain(1, "b");
  text.pop_back();
  auto* mesh = reinterpret_cast<lb_engine::Mesh3D*>(0x1000);  // never drawn, only stored
  Hierarchy3D* hier = parsehierfile(dir.write("last.hier", text), mesh);
  ASSERT_EQ(hier->nodes.size(), 2u);
  for (const auto& entry : hier->nodes) EXPECT_EQ(entry.second->mesh, mesh) << entry.first;
}

TEST(HierarchyFile, LineOf199CharactersIsWholeAndLongerLinesEndTheReading) {
  // The first line is padded with ignored tokens to exactly `length` characters.
  auto padded = [](const std::string& name, size_t length) {
    std::string s = name + kIdentityNumbers;
    s += " ";
    s += std::string(length - s.size(), 'x');
    return s;
  };
  lb_test::ResTempDir dir;
  const std::string fits = padded("a", 199);
  ASSERT_EQ(fits.size(), 199u);
  testing::internal::CaptureStderr();
  Hierarchy3D* whole = parsehierfile(dir.write("199.hier", fits + "\n" + plain(1, "b")), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(whole->nodes.size(), 2u);

  const std::string path = dir.write("200.hier", padded("a", 200) + "\n" + plain(1, "b"));
  testing::internal::CaptureStderr();
  Hierarchy3D* cut = parsehierfile(path, nullptr);
  const std::string note = testing::internal::GetCapturedStderr();
  ASSERT_EQ(cut->nodes.size(), 1u);  // its first 199 characters are read, nothing after
  EXPECT_NE(cut->getNode("a"), nullptr);
  EXPECT_NE(note.find(path + ":1:"), std::string::npos) << note;
}

TEST(HierarchyFile, MissingFileGivesAnEmptyHierarchy) {
  testing::internal::CaptureStderr();
  Hierarchy3D* hier = parsehierfile("/nonexistent/robot.hier", nullptr);
  const std::string note = testing::internal::GetCapturedStderr();
  ASSERT_NE(hier, nullptr);
  EXPECT_TRUE(hier->nodes.empty());
  EXPECT_NE(note.find("/nonexistent/robot.hier"), std::string::npos);
}

// The threadsafe style re-runs the test in a fresh process, so the messages are
// matched by file name: the scratch folder differs between the two runs.
class HierarchyFileDeathTest : public ::testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
  lb_test::ResTempDir dir;
};

TEST_F(HierarchyFileDeathTest, DepthThatSkipsALevelStops) {
  const std::string direct = dir.write("skip.hier", plain(0, "a") + plain(2, "b"));
  EXPECT_EXIT(parsehierfile(direct, nullptr), testing::ExitedWithCode(1), "/skip\\.hier:2: indented 2 spaces");
  const std::string first = dir.write("first.hier", "\n" + plain(1, "a"));
  EXPECT_EXIT(parsehierfile(first, nullptr), testing::ExitedWithCode(1), "/first\\.hier:2: indented 1 spaces, but the first node must be a root");
  // After a new root, depth 2 must not silently hang under the old subtree.
  const std::string later =
      dir.write("later.hier", plain(0, "a") + plain(1, "b") + plain(2, "c") + plain(0, "d") + plain(2, "e"));
  EXPECT_EXIT(parsehierfile(later, nullptr), testing::ExitedWithCode(1), "/later\\.hier:5: indented 2 spaces");
}

TEST_F(HierarchyFileDeathTest, FewerThanSixteenNumbersStops) {
  const std::string path =
      dir.write("short.hier", plain(0, "a") + "\n b 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0\n");
  EXPECT_EXIT(parsehierfile(path, nullptr), testing::ExitedWithCode(1), "/short\\.hier:3: node \"b\" has fewer than 16 numbers");
}

// ---------------------------------------------------------------- traversals

TEST(HierarchyTraversal, BakeGivesEachNodeItsAbsoluteTransform) {
  const glm::mat4 A = translation(0, 0, 1) * rotation(0.3f, {0, 0, 1});
  const glm::mat4 B = translation(0, 2, 0) * rotation(-0.8f, {0, 1, 0});
  const glm::mat4 C = translation(3, 0, 0);
  const glm::mat4 P = translation(5, -1, -20) * rotation(4.68f, {0, 1, 0});
  lb_test::ResTempDir dir;
  const std::string path = dir.write("bake.hier", line(0, "A", A) + line(1, "B", B) + line(1, "C", C));
  Hierarchy3D* hier = parsehierfile(path, nullptr);
  hiertoindividual(hier->getNode("A"), fromGlm(P));

  // Ours: A * P and B * A * P; as column-vector products P A and P A B.
  expectMatrix(hier->getNode("A")->getMatrix(), P * A, 2e-5f);
  expectMatrix(hier->getNode("A")->stateMatrix, P * A, 2e-5f);
  expectMatrix(hier->getNode("B")->getMatrix(), P * A * B, 2e-5f);
  expectMatrix(hier->getNode("B")->stateMatrix, P * A * B, 2e-5f);
  expectMatrix(hier->getNode("C")->getMatrix(), P * A * C, 2e-5f);
}

class HierDraw : public lb_test::GlTest {
 protected:
  // A program of the test's own in which both matrices are live uniforms.
  lb_engine::ShaderProgram* makeProgram() {
    lb_test::ResTempDir dir;
    const std::string vs = dir.write("v.glsl",
                                     "#version 410 core\n"
                                     "layout(location = 0) in vec3 position;\n"
                                     "uniform mat4 pmatrix;\n"
                                     "uniform mat4 nmatrix;\n"
                                     "out vec4 shade;\n"
                                     "void main() { shade = nmatrix * vec4(position, 1.0);\n"
                                     "  gl_Position = pmatrix * vec4(position, 1.0); }\n");
    const std::string fs = dir.write("f.glsl",
                                     "#version 410 core\n"
                                     "in vec4 shade;\n"
                                     "out vec4 color;\n"
                                     "void main() { color = shade; }\n");
    auto* program = new lb_engine::ShaderProgram();
    program->addShader(fs.c_str(), GL_FRAGMENT_SHADER);
    program->addShader(vs.c_str(), GL_VERTEX_SHADER);
    program->compile();
    GLint linked = 0;
    glGetProgramiv(program->getProgramID(), GL_LINK_STATUS, &linked);
    EXPECT_EQ(linked, GL_TRUE);
    program->use();
    return program;
  }
  void readUniform(lb_engine::ShaderProgram* program, const char* name, float* out) {
    glGetUniformfv(program->getProgramID(), glGetUniformLocation(program->getProgramID(), name), out);
  }
};

TEST_F(HierDraw, OneIdentityNodeSetsModelAndModelTimesProjection) {
  lb_engine::ShaderProgram* program = makeProgram();
  Node node;
  node.updateStateMatrix(fromGlm(glm::mat4(1.0f)));
  const glm::mat4 model = glm::lookAt(glm::vec3(1, 2, 5), glm::vec3(0, 0, -3), glm::vec3(0, 1, 0)) *
                          translation(0.5f, -1, 2);
  const glm::mat4 projection = glm::perspective(glm::radians(35.0f), 16.0f / 9.0f, 0.1f, 1500.0f);
  hierdraw(&node, fromGlm(model), program, fromGlm(projection));
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  float got[16];
  readUniform(program, "nmatrix", got);
  expectMatrix(got, model);
  readUniform(program, "pmatrix", got);
  expectMatrix(got, projection * model, 1e-4f);
}

TEST_F(HierDraw, ChildrenComposeUnderTheirPosedParent) {
  lb_engine::ShaderProgram* program = makeProgram();
  const glm::mat4 rootRest = translation(0, 1, 0), childRest = translation(0, 0, -1);
  const glm::mat4 pose = rotation(0.6f, {0, 1, 0});
  lb_test::ResTempDir dir;
  Hierarchy3D* hier =
      parsehierfile(dir.write("two.hier", line(0, "root", rootRest) + line(1, "child", childRest)), nullptr);
  hier->getNode("root")->updateMatrix(fromGlm(pose), false);
  const glm::mat4 model = translation(0, 0, -10);
  const glm::mat4 projection = glm::perspective(glm::radians(35.0f), 1.0f, 0.1f, 100.0f);
  hierdraw(hier->getNode("root"), fromGlm(model), program, fromGlm(projection));
  // The child is drawn last, so its matrices are what the program holds now:
  // child first, then the posed root, then the model.
  float got[16];
  readUniform(program, "nmatrix", got);
  expectMatrix(got, model * rootRest * pose * childRest);
  readUniform(program, "pmatrix", got);
  expectMatrix(got, projection * model * rootRest * pose * childRest, 1e-4f);
}
