#include "Polygon.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace lb_datagen {

namespace {

double cross(const P2& o, const P2& a, const P2& b) { return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x); }
double cross2(const P2& u, const P2& v) { return u.x * v.y - u.y * v.x; }
P2 sub(const P2& a, const P2& b) { return {a.x - b.x, a.y - b.y}; }
bool same(const P2& a, const P2& b) { return std::fabs(a.x - b.x) < 1e-12 && std::fabs(a.y - b.y) < 1e-12; }

// Segments ab and cd cross at a point inside both (touching ends do not count).
bool properlyCross(const P2& a, const P2& b, const P2& c, const P2& d) {
  const double d1 = cross(a, b, c), d2 = cross(a, b, d), d3 = cross(c, d, a), d4 = cross(c, d, b);
  return ((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0));
}

// Whether direction d leaves vertex v (between prev p and next n of a
// counter-clockwise polygon) into the polygon's inside.
bool locallyInside(const P2& p, const P2& v, const P2& n, const P2& target) {
  const P2 d = sub(target, v), toN = sub(n, v), toP = sub(p, v);
  if (cross(p, v, n) >= 0) return cross2(toN, d) > 0 && cross2(d, toP) > 0;  // convex corner
  return !(cross2(toP, d) >= 0 && cross2(d, toN) >= 0);                       // reflex corner
}

bool blocked(const P2& a, const P2& b, const Contour& c) {
  for (size_t i = 0; i < c.size(); ++i) {
    const P2& e0 = c[i];
    const P2& e1 = c[(i + 1) % c.size()];
    if (same(e0, a) || same(e0, b) || same(e1, a) || same(e1, b)) continue;
    if (properlyCross(a, b, e0, e1)) return true;
  }
  return false;
}

bool inTriangle(const P2& p, const P2& a, const P2& b, const P2& c) {
  return cross(a, b, p) >= 0 && cross(b, c, p) >= 0 && cross(c, a, p) >= 0;
}

}  // namespace

double signedArea2(const Contour& c) {
  double s = 0;
  for (size_t i = 0; i < c.size(); ++i) s += cross2(c[i], c[(i + 1) % c.size()]);
  return s;
}

bool pointInContour(const P2& p, const Contour& c) {
  bool in = false;
  for (size_t i = 0, j = c.size() - 1; i < c.size(); j = i++) {
    if ((c[i].y > p.y) != (c[j].y > p.y) &&
        p.x < (c[j].x - c[i].x) * (p.y - c[i].y) / (c[j].y - c[i].y) + c[i].x)
      in = !in;
  }
  return in;
}

std::vector<Shape> groupContours(const std::vector<Contour>& contours) {
  const size_t n = contours.size();
  // Nesting is judged by each contour's first vertex: glyph contours never
  // touch one another, so that vertex is strictly inside or outside the rest.
  std::vector<int> depth(n, 0), parent(n, -1);
  for (size_t i = 0; i < n; ++i) {
    if (contours[i].size() < 3) continue;
    double best = 1e300;
    for (size_t j = 0; j < n; ++j) {
      if (i == j || contours[j].size() < 3) continue;
      if (pointInContour(contours[i][0], contours[j])) {
        ++depth[i];
        const double area = std::fabs(signedArea2(contours[j]));
        if (area < best) {
          best = area;
          parent[i] = static_cast<int>(j);
        }
      }
    }
  }
  std::vector<Shape> shapes;
  std::vector<int> shapeOf(n, -1);
  for (size_t i = 0; i < n; ++i) {
    if (contours[i].size() < 3 || depth[i] % 2 != 0) continue;
    Shape s;
    s.outer = contours[i];
    if (signedArea2(s.outer) < 0) std::reverse(s.outer.begin(), s.outer.end());
    shapeOf[i] = static_cast<int>(shapes.size());
    shapes.push_back(s);
  }
  for (size_t i = 0; i < n; ++i) {
    if (contours[i].size() < 3 || depth[i] % 2 == 0 || parent[i] < 0 || shapeOf[parent[i]] < 0) continue;
    Contour h = contours[i];
    if (signedArea2(h) > 0) std::reverse(h.begin(), h.end());
    shapes[shapeOf[parent[i]]].holes.push_back(h);
  }
  return shapes;
}

std::vector<std::array<int, 3>> triangulate(const Shape& shape, std::vector<P2>* points) {
  // Merge holes, rightmost first, each by a bridge from its rightmost vertex to
  // the nearest outer vertex that can see it.
  Contour poly = shape.outer;
  std::vector<Contour> holes = shape.holes;
  std::vector<size_t> order(holes.size());
  std::iota(order.begin(), order.end(), 0);
  auto maxX = [&](size_t h) {
    size_t best = 0;
    for (size_t k = 1; k < holes[h].size(); ++k)
      if (holes[h][k].x > holes[h][best].x) best = k;
    return best;
  };
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return holes[a][maxX(a)].x > holes[b][maxX(b)].x; });
  std::vector<bool> merged(holes.size(), false);
  for (size_t h : order) {
    const Contour& hole = holes[h];
    if (hole.size() < 3) continue;
    const size_t mi = maxX(h);
    const P2 m = hole[mi];
    std::vector<size_t> candidates(poly.size());
    std::iota(candidates.begin(), candidates.end(), 0);
    std::sort(candidates.begin(), candidates.end(), [&](size_t a, size_t b) {
      const double da = std::hypot(poly[a].x - m.x, poly[a].y - m.y), db = std::hypot(poly[b].x - m.x, poly[b].y - m.y);
      return da != db ? da < db : a < b;
    });
    int bridge = -1;
    for (size_t c : candidates) {
      const P2& v = poly[c];
      const P2& prev = poly[(c + poly.size() - 1) % poly.size()];
      const P2& next = poly[(c + 1) % poly.size()];
      if (!locallyInside(prev, v, next, m)) continue;
      if (blocked(m, v, poly)) continue;
      bool hit = false;
      for (size_t o = 0; o < holes.size() && !hit; ++o)
        if (!merged[o]) hit = blocked(m, v, holes[o]);
      if (hit) continue;
      bridge = static_cast<int>(c);
      break;
    }
    if (bridge < 0) continue;  // cannot happen for a valid shape; the hole stays filled
    Contour out;
    out.insert(out.end(), poly.begin(), poly.begin() + bridge + 1);
    for (size_t k = 0; k <= hole.size(); ++k) out.push_back(hole[(mi + k) % hole.size()]);
    out.insert(out.end(), poly.begin() + bridge, poly.end());
    poly = out;
    merged[h] = true;
  }

  *points = poly;
  std::vector<std::array<int, 3>> tris;
  std::vector<int> idx(poly.size());
  std::iota(idx.begin(), idx.end(), 0);
  size_t guard = 0;
  while (idx.size() > 3 && guard < 4 * poly.size() * poly.size() + 16) {
    ++guard;
    bool clipped = false;
    for (size_t i = 0; i < idx.size(); ++i) {
      const int ia = idx[(i + idx.size() - 1) % idx.size()], ib = idx[i], ic = idx[(i + 1) % idx.size()];
      const P2 &a = poly[ia], &b = poly[ib], &c = poly[ic];
      const double turn = cross(a, b, c);
      if (turn < 0) continue;  // reflex
      bool ear = true;
      if (turn > 0) {
        for (int j : idx) {
          if (j == ia || j == ib || j == ic) continue;
          const P2& p = poly[j];
          if (same(p, a) || same(p, b) || same(p, c)) continue;
          if (inTriangle(p, a, b, c)) {
            ear = false;
            break;
          }
        }
      }
      if (!ear) continue;
      if (turn > 0) tris.push_back({ia, ib, ic});  // a flat corner is dropped without a triangle
      idx.erase(idx.begin() + static_cast<long>(i));
      clipped = true;
      break;
    }
    if (!clipped) break;  // only reflex corners left: a self-touching remainder
  }
  if (idx.size() == 3 && cross(poly[idx[0]], poly[idx[1]], poly[idx[2]]) > 0) tris.push_back({idx[0], idx[1], idx[2]});
  return tris;
}

}  // namespace lb_datagen
