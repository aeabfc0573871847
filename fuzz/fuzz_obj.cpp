// libFuzzer harness for the OBJ reader: any bytes either parse into consistent
// arrays or are refused; faces that were accepted only name records that exist.

#include "ObjReader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  lb_engine::ObjData obj;
  if (!lb_engine::parseOBJ(reinterpret_cast<const char*>(data), size, "fuzz.obj", &obj, nullptr)) return 0;
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
