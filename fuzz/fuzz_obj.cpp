// libFuzzer harness for the OBJ reader: any bytes either parse into consistent
// arrays or are refused; faces that were accepted only name records that exist;
// and the in-place fast path gives exactly what the line-buffer reader gives.

#include "ObjReader.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

template <typename T>
bool sameBytes(const std::vector<T>& a, const std::vector<T>& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  lb_engine::ObjData obj;
  const bool accepted = lb_engine::parseOBJ(text, size, "fuzz.obj", &obj, nullptr);

  lb_engine::ObjData buffered;
  const bool bufferedAccepted = lb_engine::parseOBJBuffered(text, size, "fuzz.obj", &buffered, nullptr);
  if (accepted != bufferedAccepted || obj.hasNormals != buffered.hasNormals ||
      obj.hasTexCoords != buffered.hasTexCoords || !sameBytes(obj.positions, buffered.positions) ||
      !sameBytes(obj.texCoords, buffered.texCoords) || !sameBytes(obj.normals, buffered.normals) ||
      !sameBytes(obj.faces, buffered.faces) || !sameBytes(obj.faceLines, buffered.faceLines)) {
    std::abort();
  }
  // A refusal always has its reasons, a few of them kept for the message.
  if (accepted != (obj.faultCount == 0) || obj.faults.size() > lb_engine::ObjData::kKeptFaults ||
      obj.faults.size() > obj.faultCount)
    std::abort();

  if (!accepted) return 0;
  if (obj.positions.size() % 3 != 0 || obj.normals.size() % 3 != 0 || obj.texCoords.size() % 2 != 0) std::abort();
  if (obj.faces.size() != obj.faceLines.size()) std::abort();
  const long positions = static_cast<long>(obj.positions.size() / 3);
  for (lb_engine::MeshIndex& face : obj.faces) {
    for (int corner = 0; corner < 3; ++corner) {
      const long v = face.getVertex(corner);
      if (v < -1 || v >= positions) std::abort();  // -1: an index the corner left out
    }
  }
  return 0;
}
