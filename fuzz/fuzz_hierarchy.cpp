// libFuzzer harness for the robot hierarchy reader: any bytes either load into
// a tree whose every node is reachable by name, or are refused with a message.

#include "Hierarchy3D.h"
#include "HierarchyFile.h"

#include <cstdint>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  std::string error;
  lb_engine::Hierarchy3D* hier = parsehierstream(in, "fuzz.hier", nullptr, &error);
  if (hier == nullptr) {
    if (error.compare(0, 10, "fuzz.hier:") != 0) std::abort();
    return 0;
  }
  for (auto& entry : hier->nodes) {
    if (entry.second == nullptr || hier->getNode(entry.first) != entry.second) std::abort();
  }
  // The show keeps its hierarchies for good; the harness frees every node it
  // can reach so that memory stays bounded over millions of runs.
  std::set<lb_engine::Node*> seen;
  std::vector<lb_engine::Node*> stack;
  for (auto& entry : hier->nodes) stack.push_back(entry.second);
  while (!stack.empty()) {
    lb_engine::Node* n = stack.back();
    stack.pop_back();
    if (!seen.insert(n).second) continue;
    for (lb_engine::Node* child : n->children) stack.push_back(child);
  }
  for (lb_engine::Node* n : seen) delete n;
  delete hier;
  return 0;
}
