#include "MeshBuilder.h"

#include <cstdio>
#include <map>
#include <tuple>

namespace lb_datagen {

void MeshBuilder::triangle(const Vertex& a, const Vertex& b, const Vertex& c) {
  corners_.push_back(a);
  corners_.push_back(b);
  corners_.push_back(c);
}

void MeshBuilder::quad(const Vertex& a, const Vertex& b, const Vertex& c, const Vertex& d) {
  triangle(a, b, c);
  triangle(a, c, d);
}

void MeshBuilder::box(const Vec3& c, const Vec3& hx, const Vec3& hy, const Vec3& hz, double u0,
                      double v0, double u1, double v1) {
  // Each face: its outward axis n, and two in-plane axes s, t with s x t = n so
  // the corners run counter-clockwise seen from outside.
  const Vec3 axes[3] = {hx, hy, hz};
  for (int a = 0; a < 3; ++a) {
    for (int sign = -1; sign <= 1; sign += 2) {
      const Vec3 n = axes[a] * sign;
      Vec3 s = axes[(a + 1) % 3];
      Vec3 t = axes[(a + 2) % 3];
      if (dot(cross(s, t), n) < 0) std::swap(s, t);
      const Vec3 f = c + n;
      const Vec3 nn = normalized(n);
      Vertex p0{f - s - t, nn, u0, v0};
      Vertex p1{f + s - t, nn, u1, v0};
      Vertex p2{f + s + t, nn, u1, v1};
      Vertex p3{f - s + t, nn, u0, v1};
      quad(p0, p1, p2, p3);
    }
  }
}

namespace {

// Records are deduplicated on their written text, so two corners share a record
// exactly when the file could not tell them apart anyway.
class RecordTable {
 public:
  explicit RecordTable(const char* keyword) : keyword_(keyword) {}
  int index(const std::string& text) {
    auto it = ids_.find(text);
    if (it != ids_.end()) return it->second;
    const int id = static_cast<int>(order_.size()) + 1;
    ids_.emplace(text, id);
    order_.push_back(text);
    return id;
  }
  void write(std::string* out) const {
    for (const std::string& s : order_) {
      *out += keyword_;
      *out += ' ';
      *out += s;
      *out += '\n';
    }
  }

 private:
  const char* keyword_;
  std::map<std::string, int> ids_;
  std::vector<std::string> order_;
};

// Fixed-point text without "-0", so the same value always gives the same bytes.
std::string number(double value, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
  std::string s(buf);
  bool zero = true;
  for (char ch : s)
    if (ch != '-' && ch != '0' && ch != '.') zero = false;
  if (zero && s[0] == '-') s.erase(0, 1);
  return s;
}

}  // namespace

std::string MeshBuilder::toObj(const std::string& comment) const {
  RecordTable v("v"), vt("vt"), vn("vn");
  std::vector<int> idx;
  idx.reserve(corners_.size() * 3);
  for (const Vertex& c : corners_) {
    const Vec3 n = normalized(c.normal);
    idx.push_back(v.index(number(c.position.x, 5) + " " + number(c.position.y, 5) + " " +
                          number(c.position.z, 5)));
    idx.push_back(vt.index(number(c.u, 5) + " " + number(c.v, 5)));
    idx.push_back(vn.index(number(n.x, 4) + " " + number(n.y, 4) + " " + number(n.z, 4)));
  }
  std::string out = "# " + comment + "\n";
  v.write(&out);
  vt.write(&out);
  vn.write(&out);
  char buf[128];
  for (size_t t = 0; t + 2 < corners_.size(); t += 3) {
    out += "f";
    for (size_t k = 0; k < 3; ++k) {
      const size_t j = (t + k) * 3;
      std::snprintf(buf, sizeof buf, " %d/%d/%d", idx[j], idx[j + 1], idx[j + 2]);
      out += buf;
    }
    out += '\n';
  }
  return out;
}

}  // namespace lb_datagen
