#include "Mesh3D.h"

#include "FatalError.h"
#include "Gl.h"
#include "FileBytes.h"
#include "ObjReader.h"

#include <cstdio>
#include <cstdlib>

namespace lb_engine {

Mesh3D::Mesh3D(const char* path) {
  positionsRead.clear();
  texCoordsRead.clear();
  normalsRead.clear();
  faces.clear();
  hasNormals = false;
  hasTexCoords = false;
  loadOBJ(path);
  buildMesh();
  createOpenGLBinding();
}

Mesh3D::~Mesh3D() {
  glDeleteBuffers(4, buffers);
  glDeleteVertexArrays(1, &vertexArray);
  delete[] positionArray;
  delete[] normalArray;
  delete[] texCoordArray;
  delete[] indexArray;
}

void Mesh3D::draw() {
  glBindVertexArray(vertexArray);
  glDrawElements(GL_TRIANGLES, cornerCount, GL_UNSIGNED_INT, nullptr);
}

void Mesh3D::loadOBJ(const char* path) {
  ObjData obj;
  switch (loadOBJFile(path, &obj, stderr)) {
    case ObjFileResult::kUnreadable:
      return;  // an absent mesh is empty, silently
    case ObjFileResult::kInvalid: {
      // A face pointing past the records would draw garbage: the show must not
      // start. The reasons go in the message itself, which the box shows to
      // someone who never sees standard error.
      std::string message = std::string(path) + ": a damaged OBJ mesh:";
      for (const std::string& fault : obj.faults) message += "\n" + fault;
      if (obj.faultCount > obj.faults.size())
        message += "\n(and " + std::to_string(obj.faultCount - obj.faults.size()) + " more faces like these)";
      fatalError(message);
    }
    default:
      break;
  }
  positionsRead = std::move(obj.positions);
  texCoordsRead = std::move(obj.texCoords);
  normalsRead = std::move(obj.normals);
  faceRecords = std::move(obj.faces);
  hasNormals = obj.hasNormals;
  hasTexCoords = obj.hasTexCoords;
  faces.clear();
  faces.reserve(faceRecords.size());
  for (MeshIndex& face : faceRecords) faces.push_back(&face);
}

void Mesh3D::buildMesh() {
  cornerCount = 3 * static_cast<int>(faces.size());
  const size_t count = static_cast<size_t>(cornerCount);
  delete[] positionArray;
  delete[] normalArray;
  delete[] texCoordArray;
  delete[] indexArray;
  // Zero-filled: without vn or vt records (or where a corner leaves its index
  // out) the uploaded normals and texture coordinates are zero.
  positionArray = new float[3 * count]();
  normalArray = new float[3 * count]();
  texCoordArray = new float[2 * count]();
  indexArray = new unsigned int[count]();
  const size_t positionCount = positionsRead.size() / 3;
  const size_t normalCount = normalsRead.size() / 3;
  const size_t texCoordCount = texCoordsRead.size() / 2;
  for (size_t f = 0; f < faces.size(); ++f) {
    MeshIndex* face = faces[f];
    for (int k = 0; k < 3; ++k) {
      const size_t j = 3 * f + static_cast<size_t>(k);
      indexArray[j] = static_cast<unsigned int>(j);
      // The indices were range-checked while reading; the tests here only keep a
      // left-out index (-1 here) from reading outside the vectors.
      const int v = face->getVertex(k);
      if (v >= 0 && static_cast<size_t>(v) < positionCount) {
        for (int c = 0; c < 3; ++c) positionArray[3 * j + c] = positionsRead[3 * v + c];
      }
      if (hasNormals) {
        const int n = face->getNormal(k);
        if (n >= 0 && static_cast<size_t>(n) < normalCount) {
          for (int c = 0; c < 3; ++c) normalArray[3 * j + c] = normalsRead[3 * n + c];
        }
      }
      if (hasTexCoords) {
        const int t = face->getText(k);
        if (t >= 0 && static_cast<size_t>(t) < texCoordCount) {
          texCoordArray[2 * j] = texCoordsRead[2 * t];
          texCoordArray[2 * j + 1] = texCoordsRead[2 * t + 1];
        }
      }
    }
  }
}

void Mesh3D::createOpenGLBinding() {
  const GLsizeiptr count = cornerCount;
  glGenVertexArrays(1, &vertexArray);
  glBindVertexArray(vertexArray);
  glGenBuffers(4, buffers);

  glBindBuffer(GL_ARRAY_BUFFER, buffers[0]);
  glBufferData(GL_ARRAY_BUFFER, count * 3 * sizeof(float), positionArray, GL_DYNAMIC_DRAW);
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
  glEnableVertexAttribArray(0);

  glBindBuffer(GL_ARRAY_BUFFER, buffers[1]);
  glBufferData(GL_ARRAY_BUFFER, count * 3 * sizeof(float), normalArray, GL_DYNAMIC_DRAW);
  glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
  glEnableVertexAttribArray(1);

  glBindBuffer(GL_ARRAY_BUFFER, buffers[2]);
  glBufferData(GL_ARRAY_BUFFER, count * 2 * sizeof(float), texCoordArray, GL_DYNAMIC_DRAW);
  glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
  glEnableVertexAttribArray(2);

  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[3]);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, count * sizeof(unsigned int), indexArray, GL_DYNAMIC_DRAW);

  glBindVertexArray(0);
}

}  // namespace lb_engine
