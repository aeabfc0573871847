#include "HierarchyFile.h"

#include "FatalError.h"
#include "Hierarchy3D.h"
#include "ShaderProgram.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

using lb_engine::Hierarchy3D;
using lb_engine::Matrix;
using lb_engine::Mesh3D;
using lb_engine::Node;
using lb_engine::ShaderProgram;

namespace {

// One line plus its terminator; longer lines are cut (see parsehierfile).
constexpr int kLineBuffer = 200;
constexpr int kNumbersPerNode = 16;

bool isBlank(const char* line) {
  // Spaces and a carriage return left by a CR LF line end carry no node.
  for (const char* p = line; *p != '\0'; ++p) {
    if (*p != ' ' && *p != '\r') return false;
  }
  return true;
}

}  // namespace

int indentcount(const char* line) {
  int i = 0;
  while (line[i] == ' ') ++i;
  return line[i] == '\0' ? 0 : i;
}

Node* createhier(char* text, char** name) {
  char* save = nullptr;
  *name = strtok_r(text, " ", &save);
  if (*name == nullptr) return nullptr;
  float numbers[kNumbersPerNode];
  for (int i = 0; i < kNumbersPerNode; ++i) {
    const char* token = strtok_r(nullptr, " ", &save);
    if (token == nullptr) return nullptr;
    numbers[i] = static_cast<float>(atof(token));
  }
  // The numbers are rows; the matrix is stored column-major, so element i is
  // filled in row order and then transposed.
  Matrix m;
  for (int i = 0; i < kNumbersPerNode; ++i) m.modify(i, numbers[i]);
  m.transpose();
  Node* node = new Node();
  node->updateStateMatrix(m);
  return node;
}

Hierarchy3D* parsehierstream(std::istream& in, const std::string& path, Mesh3D* mesh, std::string* error) {
  Hierarchy3D* hier = new Hierarchy3D();
  std::vector<Node*> created;  // freed again if the file turns out to be malformed
  auto fail = [&](const char* text) {
    *error = text;
    for (Node* n : created) delete n;
    delete hier;
    return static_cast<Hierarchy3D*>(nullptr);
  };
  char message[kLineBuffer + 160];
  // depthPath[d] is the open node at depth d: the path from the current root to
  // the last node read. A node at depth d hangs under depthPath[d - 1].
  std::vector<Node*> depthPath;
  char line[kLineBuffer];
  int lineNumber = 0;
  while (in.good()) {
    in.getline(line, kLineBuffer);
    ++lineNumber;
    // failbit without eofbit: the buffer filled before a newline came.
    const bool cut = in.fail() && !in.eof();
    if (cut) {
      fprintf(stderr, "%s:%d: line longer than %d characters; reading stops after its first %d\n",
              path.c_str(), lineNumber, kLineBuffer - 1, kLineBuffer - 1);
    }
    if (isBlank(line)) continue;
    const int depth = indentcount(line);
    if (depthPath.empty() && depth > 0) {
      snprintf(message, sizeof message, "%s:%d: indented %d spaces, but the first node must be a root at depth 0",
               path.c_str(), lineNumber, depth);
      return fail(message);
    }
    if (depth > static_cast<int>(depthPath.size())) {
      snprintf(message, sizeof message,
               "%s:%d: indented %d spaces, but the node above is at depth %d "
               "(a child is indented exactly one space more than its parent)",
               path.c_str(), lineNumber, depth, static_cast<int>(depthPath.size()) - 1);
      return fail(message);
    }
    char* name = nullptr;
    Node* node = createhier(line + depth, &name);
    if (node == nullptr) {
      // The line is not blank, so it has a name: the numbers are what is short.
      snprintf(message, sizeof message, "%s:%d: node \"%s\" has fewer than %d numbers", path.c_str(), lineNumber,
               name != nullptr ? name : "", kNumbersPerNode);
      return fail(message);
    }
    created.push_back(node);
    hier->addNode(name, node);
    node->setMesh(mesh);
    depthPath.resize(depth);
    depthPath.push_back(node);
    if (depth > 0) depthPath[depth - 1]->addChild(node);
  }
  return hier;
}

Hierarchy3D* parsehierfile(std::string path, Mesh3D* mesh) {
  std::ifstream in(path, std::ios::binary);  // a carriage return stays in the line, on Windows too
  if (!in.is_open()) {
    fprintf(stderr, "%s: cannot open hierarchy file\n", path.c_str());
    return new Hierarchy3D();
  }
  std::string error;
  Hierarchy3D* hier = parsehierstream(in, path, mesh, &error);
  if (hier == nullptr) {
    lb_engine::fatalError(error);
  }
  return hier;
}

void hierdraw(Node* node, Matrix model, ShaderProgram* program, Matrix projection) {
  const Matrix world = node->getMatrix() * model;
  program->setParam("pmatrix", world * projection);
  program->setParam("nmatrix", world);
  node->draw();
  for (Node* child : node->children) hierdraw(child, world, program, projection);
}

void hiertoindividual(Node* node, Matrix parent) {
  const Matrix world = node->getMatrix() * parent;
  node->updateStateMatrix(world);
  for (Node* child : node->children) hiertoindividual(child, world);
}
