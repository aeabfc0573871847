#pragma once
// An articulated model as a tree of rigid parts. A Node holds its rest
// transform relative to its parent (stateMatrix), its current posed transform
// (matrix), the mesh it is drawn with and its children in file order; names
// live only in the Hierarchy3D map. Nodes are not owned by their parents or by
// the hierarchy: the loader makes them once and they live until process exit.

#include "Matrix.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace lb_engine {

class Mesh3D;

class Node {
 public:
  Matrix stateMatrix;  // rest transform relative to the parent
  Matrix matrix;       // current transform relative to the parent
  Mesh3D* mesh;        // not owned; null until setMesh
  std::vector<Node*> children;

  Node();  // both matrices zero, no mesh, no children

  void setMesh(Mesh3D* m);
  // Sets both the rest and the current transform.
  void updateStateMatrix(Matrix m);
  // Absolute pose: matrix = m * stateMatrix (m applied first, in the joint's own
  // frame). With recursive, every descendant gets the same m times its own rest
  // transform, not a product with its parent's new matrix.
  void updateMatrix(Matrix m, bool recursive);
  void addChild(Node* child);
  // Draws the mesh under whatever program and uniforms are current; a node
  // without a mesh draws nothing.
  void draw();
  Matrix getMatrix() const { return matrix; }
};

class Hierarchy3D {
 public:
  // Not owning. The map's own iteration order differs between standard
  // libraries, so scenes that pair parts with per-part values walk
  // inOrder() instead.
  std::unordered_map<std::string, Node*> nodes;

  Hierarchy3D() {}

  // A name already present is re-pointed to the new node.
  void addNode(std::string name, Node* node);
  // Null for a name never added; the lookup does not add an entry.
  Node* getNode(std::string name) const;
  // Every node once, in the order its name was first added (the hierarchy
  // file's line order): the same on every platform and standard library.
  // A reference to a list kept by addNode, so that walking it while drawing a
  // frame allocates nothing.
  const std::vector<Node*>& inOrder() const;

 private:
  std::vector<std::string> names;  // the keys of nodes, in first-added order
  std::vector<Node*> ordered;      // their nodes, in the same order
};

}  // namespace lb_engine
