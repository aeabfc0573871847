// OBJ reading throughput and peak memory, each loader in a fresh child process
// so that one loader's memory does not count against the next.

#include "FileBytes.h"
#include "ImageDecoder.h"
#include "ObjReader.h"
#include "bench.h"

#ifdef LB_HAVE_TINYOBJ
#include <tiny_obj_loader.h>
#endif
#ifdef LB_HAVE_ASSIMP
#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#endif

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace lb_bench {

namespace {

// Loads the file once with the named loader; returns the number of triangles
// seen (so the work cannot be optimised away), or -1 when the loader is absent.
long loadOnce(const std::string& loader, const char* path) {
  if (loader == "lattice") {
    std::vector<unsigned char> bytes;
    if (!lb_engine::readFileBytes(path, &bytes)) return 0;
    lb_engine::ObjData data;
    lb_engine::parseOBJ(reinterpret_cast<const char*>(bytes.data()), bytes.size(), path, &data, nullptr);
    return static_cast<long>(data.faces.size());
  }
  if (loader == "lattice-mapped") {  // the same parser over the file mapped into memory
    lb_engine::ObjData data;
    lb_engine::loadOBJFile(path, &data, nullptr);
    return static_cast<long>(data.faces.size());
  }
#ifdef LB_HAVE_TINYOBJ
  if (loader == "tinyobjloader") {
    tinyobj::ObjReaderConfig config;
    config.triangulate = false;  // the files are triangulated already
    tinyobj::ObjReader reader;
    reader.ParseFromFile(path, config);
    long faces = 0;
    for (const auto& shape : reader.GetShapes()) faces += static_cast<long>(shape.mesh.num_face_vertices.size());
    return faces;
  }
#endif
#ifdef LB_HAVE_ASSIMP
  if (loader == "assimp") {
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, 0);
    long faces = 0;
    if (scene != nullptr) {
      for (unsigned i = 0; i < scene->mNumMeshes; ++i) faces += scene->mMeshes[i]->mNumFaces;
    }
    return faces;
  }
#endif
  return -1;
}

}  // namespace

int runObjOne(const std::string& loader, const std::string& file, int reps) {
  const char* path = file.c_str();
  const long baseline = peakRssKiB();
  double best = 1e30;
  long faces = 0;
  for (int r = 0; r < reps; ++r) {
    const double t0 = nowSeconds();
    faces = loadOnce(loader, path);
    best = std::min(best, nowSeconds() - t0);
    if (faces < 0) {
      std::printf("absent\n");
      return 0;
    }
  }
  std::printf("%.6f\t%ld\t%ld\n", best, peakRssKiB() - baseline, faces);
  return 0;
}

int runObj(int reps, const std::vector<std::string>& files) {
  std::printf("# obj\nfile\tMB\tloader\tseconds\tMB/s\tpeak_MiB\ttriangles\n");
  // lattice: the file read into a buffer and parsed, as Mesh3D loads a mesh;
  // lattice-mapped: the same parser over the file mapped into memory.
  const char* loaders[] = {"lattice", "lattice-mapped", "tinyobjloader", "assimp"};
  char self[4096] = {0};
  if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return 1;
  for (const std::string& file : files) {
    struct stat st;
    if (stat(file.c_str(), &st) != 0) {
      std::fprintf(stderr, "lb_bench: %s: cannot read\n", file.c_str());
      return 1;
    }
    const double mb = st.st_size / 1e6;
    for (const char* loader : loaders) {
      std::string command = std::string("'") + self + "' obj-one " + loader + " '" + file + "' " +
                            std::to_string(reps);
      FILE* child = popen(command.c_str(), "r");
      char line[256] = {0};
      if (child == nullptr || std::fgets(line, sizeof line, child) == nullptr) {
        if (child) pclose(child);
        continue;
      }
      pclose(child);
      if (std::strncmp(line, "absent", 6) == 0) continue;
      double seconds = 0;
      long kib = 0, faces = 0;
      std::sscanf(line, "%lf\t%ld\t%ld", &seconds, &kib, &faces);
      std::printf("%s\t%.2f\t%s\t%.4f\t%.1f\t%.1f\t%ld\n", baseName(file).c_str(), mb, loader, seconds,
                  mb / seconds, kib / 1024.0, faces);
      std::fflush(stdout);
    }
  }
  return 0;
}

// A deterministic triangulated grid with positions, texture coordinates and
// normals, written until the file reaches the requested size.
int runMakeObj(const std::string& path, double megabytes) {
  const double target = megabytes * 1e6;
  FILE* f = std::fopen(path.c_str(), "w");
  if (f == nullptr) {
    std::fprintf(stderr, "lb_bench: %s: cannot write\n", path.c_str());
    return 1;
  }
  // Each grid cell costs about 4 vertex lines and 2 face lines, ~220 bytes.
  const int n = static_cast<int>(std::sqrt(target / 220.0)) + 1;
  std::fprintf(f, "# benchmark grid %dx%d\no grid\n", n, n);
  for (int j = 0; j <= n; ++j) {
    for (int i = 0; i <= n; ++i) {
      const double x = i * 0.01, z = j * 0.01;
      const double y = 0.25 * std::sin(x * 3.1) * std::cos(z * 2.3);
      std::fprintf(f, "v %.6f %.6f %.6f\n", x, y, z);
      std::fprintf(f, "vt %.6f %.6f\n", static_cast<double>(i) / n, static_cast<double>(j) / n);
      std::fprintf(f, "vn %.6f %.6f %.6f\n", -0.1 * std::cos(x), 0.99, 0.05 * std::sin(z));
    }
  }
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i < n; ++i) {
      const int a = j * (n + 1) + i + 1, b = a + 1, c = a + n + 1, d = c + 1;
      std::fprintf(f, "f %d/%d/%d %d/%d/%d %d/%d/%d\n", a, a, a, b, b, b, d, d, d);
      std::fprintf(f, "f %d/%d/%d %d/%d/%d %d/%d/%d\n", a, a, a, d, d, d, c, c, c);
    }
  }
  std::fclose(f);
  return 0;
}

}  // namespace lb_bench
