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
  if (nodes.find(name) == nodes.end()) names.push_back(name);
  nodes[name] = node;
}

Node* Hierarchy3D::getNode(std::string name) const {
  auto it = nodes.find(name);
  return it == nodes.end() ? nullptr : it->second;
}

std::vector<Node*> Hierarchy3D::inOrder() const {
  std::vector<Node*> ordered;
  ordered.reserve(names.size());
  for (const std::string& name : names) ordered.push_back(nodes.at(name));
  return ordered;
}

}  // namespace lb_engine
