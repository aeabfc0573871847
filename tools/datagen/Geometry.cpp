#include "Geometry.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace lb_datagen {

namespace {
constexpr double kPi = 3.14159265358979323846;

// Adds a triangle, flipping it when its winding disagrees with the normal `n`.
void oriented(MeshBuilder* m, Vertex a, Vertex b, Vertex c, const Vec3& n) {
  if (dot(cross(b.position - a.position, c.position - a.position), n) < 0) std::swap(b, c);
  m->triangle(a, b, c);
}

// Sweeps a profile (points in a plane, with normals) around or along a path:
// rows[i][j] are vertices; neighbouring rows and columns are joined by quads.
void grid(MeshBuilder* m, const std::vector<std::vector<Vertex>>& rows) {
  for (size_t i = 0; i + 1 < rows.size(); ++i)
    for (size_t j = 0; j + 1 < rows[i].size(); ++j) {
      const Vertex& a = rows[i][j];
      const Vertex& b = rows[i][j + 1];
      const Vertex& c = rows[i + 1][j + 1];
      const Vertex& d = rows[i + 1][j];
      const Vec3 n = normalized(a.normal + b.normal + c.normal + d.normal);
      oriented(m, a, b, c, n);
      oriented(m, a, c, d, n);
    }
}
}  // namespace

MeshBuilder makeCube() {
  MeshBuilder m;
  const double h = kCubeHalf;
  m.box(Vec3(0, 0, 0), Vec3(h, 0, 0), Vec3(0, h, 0), Vec3(0, 0, h));
  return m;
}

MeshBuilder makeBevelledCube(double bevel) {
  MeshBuilder m;
  const double h = kCubeHalf, k = kCubeHalf - bevel;
  // Texture coordinates: each point projected onto the face it is closest to.
  auto vertex = [&](const Vec3& p, const Vec3& n) {
    const double ax = std::fabs(n.x), ay = std::fabs(n.y), az = std::fabs(n.z);
    double s, t;
    if (ax >= ay && ax >= az) {
      s = p.y;
      t = p.z;
    } else if (ay >= az) {
      s = p.x;
      t = p.z;
    } else {
      s = p.x;
      t = p.y;
    }
    return Vertex{p, n, 0.5 + 0.5 * s / h, 0.5 + 0.5 * t / h};
  };
  auto axis = [](int a, double v) {
    Vec3 r(0, 0, 0);
    (a == 0 ? r.x : a == 1 ? r.y : r.z) = v;
    return r;
  };
  for (int a = 0; a < 3; ++a) {
    const int b = (a + 1) % 3, c = (a + 2) % 3;
    for (int sa = -1; sa <= 1; sa += 2) {
      // Face.
      const Vec3 n = axis(a, sa);
      const Vec3 f = axis(a, sa * h);
      Vertex q[4];
      const int sgn[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
      for (int i = 0; i < 4; ++i) q[i] = vertex(f + axis(b, sgn[i][0] * k) + axis(c, sgn[i][1] * k), n);
      oriented(&m, q[0], q[1], q[2], n);
      oriented(&m, q[0], q[2], q[3], n);
      // Chamfer between this face and the +/- b faces (each edge once: a < b order via sb).
      for (int sb = -1; sb <= 1; sb += 2) {
        const Vec3 en = normalized(axis(a, sa) + axis(b, sb));
        const Vertex e0 = vertex(axis(a, sa * h) + axis(b, sb * k) + axis(c, -k), en);
        const Vertex e1 = vertex(axis(a, sa * h) + axis(b, sb * k) + axis(c, k), en);
        const Vertex e2 = vertex(axis(a, sa * k) + axis(b, sb * h) + axis(c, k), en);
        const Vertex e3 = vertex(axis(a, sa * k) + axis(b, sb * h) + axis(c, -k), en);
        oriented(&m, e0, e1, e2, en);
        oriented(&m, e0, e2, e3, en);
      }
    }
  }
  // Corners.
  for (int sx = -1; sx <= 1; sx += 2)
    for (int sy = -1; sy <= 1; sy += 2)
      for (int sz = -1; sz <= 1; sz += 2) {
        const Vec3 n = normalized(Vec3(sx, sy, sz));
        oriented(&m, vertex(Vec3(sx * h, sy * k, sz * k), n), vertex(Vec3(sx * k, sy * h, sz * k), n),
                 vertex(Vec3(sx * k, sy * k, sz * h), n), n);
      }
  return m;
}

MeshBuilder makeTunnel() {
  MeshBuilder m;
  const int sides = 32;
  const double step = 1.0;  // divides the period, so every segment's rings coincide
  const int repeatsAround = 4;
  const double texturePeriod = kTunnelPeriod / 2;  // divides the period too
  std::vector<std::vector<Vertex>> rows;
  for (double y = -kTunnelPeriod / 2; y <= kTunnelEnd + 1e-9; y += step) {
    // A rib every 4 units (the period is a multiple of 4).
    const double phase = std::fmod(y + 1000 * kTunnelPeriod, 4.0);
    // Between two ribs the wall is a plain cylinder from one unit after a rib
    // to one unit before the next: the row half-way (phase 2) lies on the
    // straight line between its neighbours in position, normal and texture
    // coordinate, so leaving it out changes no surface point and saves the
    // rasteriser a fifth of the triangles. The end rows stay, and so does the
    // ring a period after the first, where the next segment's first ring lies.
    const bool first = y < -kTunnelPeriod / 2 + 0.5, last = y > kTunnelEnd - 0.5;
    const bool join = std::fabs(y - kTunnelPeriod / 2) < 1e-9;
    if (std::fabs(phase - 2.0) < 1e-9 && !first && !last && !join) continue;
    const double r = kTunnelRadius - (phase < 0.5 ? 0.35 : 0.0);
    std::vector<Vertex> row;
    for (int j = 0; j <= sides; ++j) {
      const double a = 2 * kPi * j / sides;
      const Vec3 p(r * std::cos(a), y, r * std::sin(a));
      const Vec3 n(-std::cos(a), 0, -std::sin(a));  // towards the axis: seen from inside
      row.push_back({p, n, static_cast<double>(repeatsAround) * j / sides,
                     (y + kTunnelPeriod / 2) / texturePeriod});
    }
    rows.push_back(row);
  }
  grid(&m, rows);
  return m;
}

double sinkholeHeight(double r) {
  // Rim at 4.5, dropping smoothly to 1.3 at the throat's edge.
  return 4.5 - 3.2 * std::exp(-(r - kThroatRadius) / 2.4);
}

MeshBuilder makeSinkhole() {
  MeshBuilder m;
  // Profile from deep inside the throat up to the outer rim: (radius, height).
  std::vector<std::pair<double, double>> profile;
  for (double h = -24; h < sinkholeHeight(kThroatRadius) - 0.5; h += 1.0) profile.push_back({kThroatRadius, h});
  for (int i = 0; i <= 60; ++i) {
    const double r = kThroatRadius + 28.4 * std::pow(i / 60.0, 1.6);
    profile.push_back({r, sinkholeHeight(r)});
  }
  // Arc length along the profile drives the texture's v.
  std::vector<double> arc(profile.size(), 0.0);
  for (size_t i = 1; i < profile.size(); ++i)
    arc[i] = arc[i - 1] + std::hypot(profile[i].first - profile[i - 1].first,
                                     profile[i].second - profile[i - 1].second);
  const int sides = 72;
  const int repeatsAround = 12;
  std::vector<std::vector<Vertex>> rows;
  for (size_t i = 0; i < profile.size(); ++i) {
    const size_t i0 = i == 0 ? 0 : i - 1, i1 = std::min(i + 1, profile.size() - 1);
    const double dr = profile[i1].first - profile[i0].first;
    const double dh = profile[i1].second - profile[i0].second;
    // Normal of the profile facing up and inwards (towards the open side).
    double nr = -dh, nh = dr;
    const double nl = std::hypot(nr, nh);
    nr /= nl;
    nh /= nl;
    std::vector<Vertex> row;
    for (int j = 0; j <= sides; ++j) {
      const double a = 2 * kPi * j / sides;
      const double c = std::cos(a), s = std::sin(a);
      const double r = profile[i].first;
      row.push_back({Vec3(r * c, profile[i].second, r * s), Vec3(nr * c, nh, nr * s),
                     static_cast<double>(repeatsAround) * j / sides, arc[i] / 2.5});
    }
    rows.push_back(row);
  }
  grid(&m, rows);
  return m;
}

MeshBuilder makeGlassTube() {
  MeshBuilder m;
  const int sides = 40;
  std::vector<std::vector<Vertex>> rows;
  for (double y = -80; y <= 240 + 1e-9; y += 8) {
    std::vector<Vertex> row;
    for (int j = 0; j <= sides; ++j) {
      const double a = 2 * kPi * j / sides;
      const Vec3 p(kGlassRadius * std::cos(a), y, kGlassRadius * std::sin(a));
      row.push_back({p, Vec3(-std::cos(a), 0, -std::sin(a)), 3.0 * j / sides, y / 16.0});
    }
    rows.push_back(row);
  }
  grid(&m, rows);
  return m;
}

MeshBuilder makeCorridorFloor() {
  MeshBuilder m;
  // The far end (x > dipStart) sits a hair lower: where the next segment's near
  // end overlaps it, that segment's floor is the one seen, without flicker.
  const double dipStart = kCorridorFar - 6.5, dip = -0.04, tile = 6.0;
  const double w = kCorridorHalfWidth;
  const double xs[4] = {kCorridorNear, dipStart, dipStart + 0.3, kCorridorFar};
  const double ys[4] = {0, 0, dip, dip};
  const Vec3 up(0, 1, 0);
  for (int i = 0; i < 3; ++i) {
    const Vertex a{Vec3(xs[i], ys[i], -w), up, xs[i] / tile, -w / tile};
    const Vertex b{Vec3(xs[i], ys[i], w), up, xs[i] / tile, w / tile};
    const Vertex c{Vec3(xs[i + 1], ys[i + 1], w), up, xs[i + 1] / tile, w / tile};
    const Vertex d{Vec3(xs[i + 1], ys[i + 1], -w), up, xs[i + 1] / tile, -w / tile};
    oriented(&m, a, b, c, up);
    oriented(&m, a, c, d, up);
  }
  return m;
}

MeshBuilder makeCorridorTunnel() {
  MeshBuilder m;
  // Cross-section in (z, y): straight walls, then an elliptic vault.
  const double w = kCorridorHalfWidth, wallTop = 6.5;
  std::vector<std::pair<double, double>> profile;
  for (double y = -0.2; y < wallTop; y += 1.0) profile.push_back({w, y});
  const int vault = 24;
  for (int i = 0; i <= vault; ++i) {
    const double a = kPi * i / vault;
    profile.push_back({w * std::cos(a), wallTop + (kCorridorHeight - wallTop) * std::sin(a)});
  }
  for (double y = wallTop - 1.0; y > -0.2 - 1e-9; y -= 1.0) profile.push_back({-w, y});
  profile.push_back({-w, -0.2});
  std::vector<double> arc(profile.size(), 0.0);
  for (size_t i = 1; i < profile.size(); ++i)
    arc[i] = arc[i - 1] + std::hypot(profile[i].first - profile[i - 1].first,
                                     profile[i].second - profile[i - 1].second);
  const double tile = 6.0;
  std::vector<std::vector<Vertex>> rows;
  // The far end flares out a little, for the same overlap reason as the floor.
  std::vector<double> xs;
  for (double x = kCorridorNear; x < kCorridorFar - 6.5; x += 4) xs.push_back(x);
  xs.push_back(kCorridorFar - 6.5);
  xs.push_back(kCorridorFar - 6.2);
  xs.push_back(kCorridorFar);
  for (double x : xs) {
    const double flare = x > kCorridorFar - 6.4 ? 1.04 : 1.0;
    std::vector<Vertex> row;
    for (size_t i = 0; i < profile.size(); ++i) {
      const size_t i0 = i == 0 ? 0 : i - 1, i1 = std::min(i + 1, profile.size() - 1);
      const double dz = profile[i1].first - profile[i0].first;
      const double dy = profile[i1].second - profile[i0].second;
      // Perpendicular to the profile, turned to face a point in the middle of
      // the corridor (seen from inside).
      Vec3 n = normalized(Vec3(0, -dz, dy));
      if (dot(n, Vec3(0, 5 - profile[i].second, -profile[i].first)) < 0) n = -n;
      row.push_back({Vec3(x, profile[i].second * flare - (flare - 1) * 0.2, profile[i].first * flare), n,
                     arc[i] / tile, x / tile});
    }
    rows.push_back(row);
  }
  grid(&m, rows);
  return m;
}

double shaftRadius(double y) { return 24.0 + 0.6 * std::max(0.0, 200.0 - y); }

MeshBuilder makeShaft() {
  MeshBuilder m;
  const int sides = 12;
  const double top = 236, bottom = -60, rowHeight = 12;
  // Walls: each quad carries the whole wall picture (atlas rectangle u 0..0.5).
  for (double y = bottom; y < top - 1e-9; y += rowHeight) {
    const double y1 = std::min(top, y + rowHeight);
    const double r0 = shaftRadius(y), r1 = shaftRadius(y1);
    for (int j = 0; j < sides; ++j) {
      const double a0 = 2 * kPi * j / sides, a1 = 2 * kPi * (j + 1) / sides;
      const double am = 0.5 * (a0 + a1);
      const Vec3 n = normalized(Vec3(-std::cos(am), (r0 - r1) / rowHeight * -1.0, -std::sin(am)));
      const Vertex a{Vec3(r0 * std::cos(a0), y, r0 * std::sin(a0)), n, 0.01, 0.01};
      const Vertex b{Vec3(r0 * std::cos(a1), y, r0 * std::sin(a1)), n, 0.49, 0.01};
      const Vertex c{Vec3(r1 * std::cos(a1), y1, r1 * std::sin(a1)), n, 0.49, 0.99};
      const Vertex d{Vec3(r1 * std::cos(a0), y1, r1 * std::sin(a0)), n, 0.01, 0.99};
      oriented(&m, a, b, c, n);
      oriented(&m, a, c, d, n);
    }
  }
  // Floor far below, facing up, mapped onto the dark plate region.
  const double rb = shaftRadius(bottom);
  const Vec3 up(0, 1, 0);
  for (int j = 0; j < sides; ++j) {
    const double a0 = 2 * kPi * j / sides, a1 = 2 * kPi * (j + 1) / sides;
    oriented(&m, Vertex{Vec3(0, bottom, 0), up, 0.75, 0.25},
             Vertex{Vec3(rb * std::cos(a0), bottom, rb * std::sin(a0)), up, 0.55, 0.05},
             Vertex{Vec3(rb * std::cos(a1), bottom, rb * std::sin(a1)), up, 0.95, 0.05}, up);
  }
  return m;
}

}  // namespace lb_datagen
