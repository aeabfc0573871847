#pragma once
// The robot hierarchy text file and the two traversals over a loaded tree.
//
// File format: one node per line; the number of leading spaces is the depth
// (a child is indented exactly one space more than its parent; tabs are not
// indentation); then the node name and sixteen numbers, the node's transform
// relative to its parent written row by row (numbers 4, 8, 12 are the
// translation x, y, z). Tokens are separated by runs of spaces, anything after
// the sixteenth number is ignored, blank lines are skipped, and a line holds at
// most 199 characters.

#include "Matrix.h"

#include <iosfwd>
#include <string>

namespace lb_engine {
class Hierarchy3D;
class Mesh3D;
class Node;
class ShaderProgram;
}  // namespace lb_engine

// Index of the first character that is not a space; 0 when there is none.
int indentcount(const char* line);

// Builds one node from a line whose indentation is already skipped. Splits
// `text` in place; `name` receives a pointer to the first token (into `text`,
// so copy it before reusing the buffer), or null when there is none. Returns
// null, creating nothing, when the line has no name or fewer than sixteen
// numbers after it.
lb_engine::Node* createhier(char* text, char** name);

// Loads a whole file and gives every node `mesh`. A file that cannot be opened
// gives an empty hierarchy (with a note on stderr). A line that skips a depth
// level, or that has fewer than sixteen numbers, ends the program with a
// "path:line: ..." message on stderr. A line of 200 characters or more is cut
// to its first 199, which are still read, and ends the reading (with a note).
lb_engine::Hierarchy3D* parsehierfile(std::string path, lb_engine::Mesh3D* mesh);

// The reader behind parsehierfile, on any stream and without ending the
// program: a line that skips a depth level or is short of numbers makes it
// return null with the "path:line: ..." message in `error` (the nodes read so
// far are freed again).
lb_engine::Hierarchy3D* parsehierstream(std::istream& in, const std::string& path, lb_engine::Mesh3D* mesh,
                                        std::string* error);

// Draws the subtree at `node`, pre-order: each node's world matrix is
// W = node->getMatrix() * parent's W (starting from `model`, which the scenes
// give as placement * view); "nmatrix" gets W and "pmatrix" W * projection.
// The caller has made `program` current and bound the texture.
void hierdraw(lb_engine::Node* node, lb_engine::Matrix model, lb_engine::ShaderProgram* program,
              lb_engine::Matrix projection);

// Bakes absolute transforms: every node of the subtree gets
// W = node->getMatrix() * parent's W (starting from `parent`) in both its
// matrices, so each part can then be placed on its own. A baked tree must not
// be drawn with hierdraw again, which would apply the ancestors twice.
void hiertoindividual(lb_engine::Node* node, lb_engine::Matrix parent);
