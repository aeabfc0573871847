#include "Hierarchy3D.h"

#include "Mesh3D.h"

namespace lb_engine {

Node::Node() : mesh(nullptr) {}

void Node::setMesh(Mesh3D* m) { mesh = m; }

void Node::updateStateMatrix(Matrix m) {
  stateMatrix = m;
  matrix = m;
}

void Node::updateMatrix(Matrix m, bool recursive) {
  matrix = m * stateMatrix;
  if (!recursive) return;
  for (Node* child : children) child->updateMatrix(m, true);
}

void Node::addChild(Node* child) { children.push_back(child); }

void Node::draw() {
  if (mesh != nullptr) mesh->draw();
}

void Hierarchy3D::addNode(std::string name, Node* node) {
  auto it = nodes.find(name);
  if (it == nodes.end()) {
    names.push_back(name);
    ordered.push_back(node);
    nodes.emplace(std::move(name), node);
    return;
  }
  // A re-pointed name keeps its first place. Hierarchies are built once, at
  // start-up, so the linear search costs nothing while the show plays.
  for (size_t i = 0; i < names.size(); ++i) {
    if (names[i] == name) ordered[i] = node;
  }
  it->second = node;
}

Node* Hierarchy3D::getNode(std::string name) const {
  auto it = nodes.find(name);
  return it == nodes.end() ? nullptr : it->second;
}

const std::vector<Node*>& Hierarchy3D::inOrder() const { return ordered; }

}  // namespace lb_engine
