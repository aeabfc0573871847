#include "Textures.h"

#include <algorithm>
#include <cmath>

namespace lb_datagen {

namespace {
constexpr float kPi = 3.14159265f;

float clamp01(float v) { return std::min(1.0f, std::max(0.0f, v)); }
float smooth(float e0, float e1, float x) {
  const float t = clamp01((x - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}
Rgba scale(const Rgba& c, float s) { return {c.r * s, c.g * s, c.b * s, c.a}; }

// Disc of radius r (pixels) with a soft edge, drawn with wrap-around.
void disc(Image* img, float cx, float cy, float r, const Rgba& c, float strength = 1) {
  const int x0 = static_cast<int>(std::floor(cx - r - 1)), x1 = static_cast<int>(std::ceil(cx + r + 1));
  const int y0 = static_cast<int>(std::floor(cy - r - 1)), y1 = static_cast<int>(std::ceil(cy + r + 1));
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      const float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy);
      const float a = clamp01(r + 0.5f - d) * strength;
      if (a <= 0) continue;
      Rgba& p = img->wrap(x, y);
      p = mix(p, c, a);
    }
}

// Thick line with round ends, wrap-around.
void line(Image* img, float x0, float y0, float x1, float y1, float r, const Rgba& c) {
  const float len = std::hypot(x1 - x0, y1 - y0);
  const int steps = std::max(1, static_cast<int>(len * 2));
  for (int i = 0; i <= steps; ++i) {
    const float t = static_cast<float>(i) / steps;
    disc(img, x0 + (x1 - x0) * t, y0 + (y1 - y0) * t, r, c);
  }
}

float fbm(float x, float y, int period, uint32_t seed) {
  float sum = 0, amp = 0.5f;
  for (int o = 0; o < 4; ++o) {
    sum += amp * valueNoise(x, y, period, seed + o);
    x *= 2;
    y *= 2;
    period *= 2;
    amp *= 0.5f;
  }
  return sum / 0.9375f;
}
}  // namespace

Image makeCircuit(int size) {
  Image img(size, size, kNight);
  Rng rng(0xC1C0170ull);
  // Board: dark teal-green with faint mottling.
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const float n = fbm(x * 8.0f / size, y * 8.0f / size, 8, 11);
      img.at(x, y) = Rgba{0.02f + 0.03f * n, 0.07f + 0.05f * n, 0.08f + 0.05f * n, 1};
    }
  const float cell = size / 32.0f;
  // Chips: dark blocks with pin rows.
  for (int i = 0; i < 7; ++i) {
    const int cx = rng.below(32), cy = rng.below(32);
    const int w = 2 + rng.below(3), h = 2 + rng.below(3);
    const Rgba body{0.03f, 0.035f, 0.045f, 1};
    img.fillRect(static_cast<int>(cx * cell), static_cast<int>(cy * cell),
                 static_cast<int>((cx + w) * cell), static_cast<int>((cy + h) * cell), body, true);
    for (int k = 0; k <= w * 2; ++k) {
      const float px = (cx + 0.25f + k * 0.5f) * cell;
      disc(&img, px, cy * cell - 2, 1.5f, Rgba{0.55f, 0.6f, 0.55f, 1});
      disc(&img, px, (cy + h) * cell + 2, 1.5f, Rgba{0.55f, 0.6f, 0.55f, 1});
    }
  }
  // Traces: random walks on the cell grid, 45-degree turns, pads at both ends.
  const int dirs[8][2] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
  for (int t = 0; t < 90; ++t) {
    int x = rng.below(32), y = rng.below(32), d = rng.below(8);
    const bool lit = rng.uniform() < 0.22;
    const Rgba c = lit ? Rgba{0.45f, 1.0f, 0.95f, 1} : Rgba{0.08f, 0.32f, 0.30f, 1};
    const float r = lit ? 1.6f : 1.3f + rng.below(2);
    disc(&img, (x + 0.5f) * cell, (y + 0.5f) * cell, r * 2.2f, c);
    const int steps = 3 + rng.below(10);
    for (int s = 0; s < steps; ++s) {
      if (rng.uniform() < 0.3) d = (d + (rng.uniform() < 0.5 ? 1 : 7)) % 8;
      const int nx = x + dirs[d][0], ny = y + dirs[d][1];
      line(&img, (x + 0.5f) * cell, (y + 0.5f) * cell, (nx + 0.5f) * cell, (ny + 0.5f) * cell, r, c);
      x = nx;
      y = ny;
    }
    disc(&img, (x + 0.5f) * cell, (y + 0.5f) * cell, r * 2.2f, c);
    disc(&img, (x + 0.5f) * cell, (y + 0.5f) * cell, r * 0.9f, kNight);
  }
  return img;
}

Image makeCubeFace(int size) {
  Image img(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const float u = (x + 0.5f) / size, v = (y + 0.5f) / size;
      const float edge = std::min(std::min(u, 1 - u), std::min(v, 1 - v));  // 0 at the rim
      // Dark glass with a faint 4x4 lattice and a diagonal sheen.
      const float gu = std::fabs(std::fmod(u * 4, 1.0f) - 0.5f), gv = std::fabs(std::fmod(v * 4, 1.0f) - 0.5f);
      const float lattice = smooth(0.47f, 0.5f, std::max(gu, gv));
      const float sheen = 0.06f * smooth(0.3f, 0.0f, std::fabs(u + v - 0.8f));
      // Deep teal glass, lighter towards the middle, with a faint inner lattice.
      const float centre = 1.0f - std::min(1.0f, std::hypot(u - 0.5f, v - 0.5f) * 1.6f);
      Rgba c{0.05f + sheen + 0.05f * centre, 0.12f + sheen + 0.10f * centre, 0.20f + sheen + 0.12f * centre, 1};
      c = mix(c, Rgba{0.16f, 0.50f, 0.60f, 1}, lattice * 0.8f);
      // Glowing frame: bright core line near the rim, soft falloff inwards.
      const float frame = smooth(0.085f, 0.045f, edge) * smooth(0.0f, 0.02f, edge);
      const float halo = std::exp(-edge * 22.0f) * 0.35f;
      c = mix(c, kTeal, clamp01(halo));
      c = mix(c, Rgba{0.75f, 1.0f, 1.0f, 1}, frame);
      // Dark bevel right at the border, so neighbouring cubes read as separate.
      c = mix(c, Rgba{0.02f, 0.03f, 0.05f, 1}, smooth(0.018f, 0.0f, edge));
      img.at(x, y) = c;
    }
  return img;
}

Image makeLetterFace(int size) {
  Image img(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const float v = 1.0f - (y + 0.5f) / size;  // texture v (0 = bottom)
      const float u = (x + 0.5f) / size;
      if (v < 0.25f) {
        // Rim: dark teal metal.
        img.at(x, y) = Rgba{0.04f, 0.12f, 0.16f, 1};
        continue;
      }
      const float t = (v - 0.25f) / 0.75f;  // 0 = bottom of the letters, 1 = top
      Rgba c = mix(kMagenta, Rgba{0.55f, 0.95f, 1.0f, 1}, smooth(0.1f, 0.9f, t));
      // Fine horizontal scan bands and a travelling highlight.
      const float band = 0.85f + 0.15f * std::cos(t * 2 * kPi * 18);
      const float hi = 0.25f * std::exp(-std::pow((u * 1.3f + t * 0.6f - 0.9f) * 6.0f, 2.0f));
      c = scale(c, band);
      c = mix(c, Rgba{1, 1, 1, 1}, hi);
      img.at(x, y) = c;
    }
  return img;
}

Image makeSinkholeGround(int size) {
  Image img(size, size);
  Rng rng(0x51A6ull);
  // Jittered cell centres (tileable) for a cracked-crust pattern.
  const int cells = 6;
  float px[cells][cells], py[cells][cells];
  for (int j = 0; j < cells; ++j)
    for (int i = 0; i < cells; ++i) {
      px[j][i] = static_cast<float>(i + 0.2 + 0.6 * rng.uniform());
      py[j][i] = static_cast<float>(j + 0.2 + 0.6 * rng.uniform());
    }
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const float fx = (x + 0.5f) * cells / size, fy = (y + 0.5f) * cells / size;
      float d1 = 1e9f, d2 = 1e9f;
      for (int dj = -1; dj <= 1; ++dj)
        for (int di = -1; di <= 1; ++di) {
          int ci = static_cast<int>(fx) + di, cj = static_cast<int>(fy) + dj;
          const int wi = ((ci % cells) + cells) % cells, wj = ((cj % cells) + cells) % cells;
          const float cx = px[wj][wi] + (ci - wi), cy = py[wj][wi] + (cj - wj);
          const float d = std::hypot(fx - cx, fy - cy);
          if (d < d1) {
            d2 = d1;
            d1 = d;
          } else if (d < d2) {
            d2 = d;
          }
        }
      const float crack = smooth(0.09f, 0.0f, d2 - d1);
      const float n = fbm(x * 8.0f / size, y * 8.0f / size, 8, 77);
      Rgba rock{0.07f + 0.07f * n, 0.07f + 0.06f * n, 0.09f + 0.07f * n, 1};
      rock = scale(rock, 0.7f + 0.5f * smooth(0.0f, 0.5f, d2 - d1));
      const Rgba heat = mix(kAmber, Rgba{1.0f, 0.95f, 0.7f, 1}, smooth(0.5f, 1.0f, crack));
      img.at(x, y) = mix(rock, heat, crack);
    }
  return img;
}

Image makeGroupsAtlas(int size) {
  Image img(size, size);
  const int half = size / 2;
  // Left half: shaft wall panel (one panel per wall quad).
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < half; ++x) {
      const float u = (x + 0.5f) / half, v = (y + 0.5f) / size;
      const float n = fbm(u * 4, v * 8, 64, 5);
      Rgba c{0.10f + 0.05f * n, 0.11f + 0.05f * n, 0.14f + 0.06f * n, 1};
      // Recessed window grid 3 x 4 with warm lights in some.
      const float gu = u * 3, gv = v * 4;
      const float fu = gu - std::floor(gu), fv = gv - std::floor(gv);
      const bool inside = fu > 0.15f && fu < 0.85f && fv > 0.2f && fv < 0.8f;
      if (inside) {
        const int id = static_cast<int>(gu) * 7 + static_cast<int>(gv) * 3;
        const bool lit = (id % 5) == 1;
        c = lit ? mix(kAmber, Rgba{1, 0.9f, 0.7f, 1}, 0.3f * (fv - 0.2f)) : Rgba{0.05f, 0.08f, 0.12f, 1};
      }
      // Frame lines.
      const float border = std::min(std::min(u, 1 - u), std::min(v, 1 - v));
      if (border < 0.02f) c = Rgba{0.3f, 0.8f, 0.9f, 1};
      img.at(x, y) = c;
    }
  // Right top (v >= 0.5): sign face, a neon gradient.
  for (int y = 0; y < half; ++y)
    for (int x = half; x < size; ++x) {
      const float t = 1.0f - (y + 0.5f) / half;  // 0 bottom .. 1 top
      const float s = (x - half + 0.5f) / half;
      Rgba c = mix(kAmber, Rgba{1.0f, 0.95f, 0.8f, 1}, smooth(0.2f, 1.0f, t));
      c = mix(c, kMagenta, 0.25f * smooth(0.6f, 1.0f, s));
      img.at(x, y) = c;
    }
  // Right bottom (v < 0.5): plate with a teal border, and the letters' rim colour.
  for (int y = half; y < size; ++y)
    for (int x = half; x < size; ++x) {
      const float u = (x - half + 0.5f) / half, v = (y - half + 0.5f) / half;
      const float border = std::min(std::min(u, 1 - u), std::min(v, 1 - v));
      Rgba c{0.05f, 0.06f, 0.09f, 1};
      if (border < 0.06f) c = mix(c, kTeal, smooth(0.06f, 0.02f, border));
      img.at(x, y) = c;
    }
  return img;
}

Image makeGlass(int size) {
  Image img(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const float u = (x + 0.5f) / size, v = (y + 0.5f) / size;
      const float n = fbm(u * 4, v * 4, 4, 909);
      // Long streaks along the tube with a caustic ripple across them.
      const float streak = std::pow(0.5f + 0.5f * std::sin((u * 6 + n * 0.8f) * 2 * kPi), 6.0f);
      const float ripple = std::pow(0.5f + 0.5f * std::sin((v * 3 + n * 1.5f) * 2 * kPi), 3.0f);
      const float light = clamp01(0.55f * streak + 0.35f * ripple * streak + 0.15f * n);
      Rgba c = mix(Rgba{0.55f, 0.8f, 0.9f, 1}, Rgba{0.95f, 1.0f, 1.0f, 1}, light);
      c.a = 0.12f + 0.5f * light;
      img.at(x, y) = c;
    }
  return img;
}

Image makeRobotFloor(int size) {
  Image img(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const float u = (x + 0.5f) / size, v = (y + 0.5f) / size;
      const float fu = u * 2 - std::floor(u * 2), fv = v * 2 - std::floor(v * 2);
      const float edge = std::min(std::min(fu, 1 - fu), std::min(fv, 1 - fv));
      const float n = fbm(u * 8, v * 8, 8, 31);
      // Diamond tread.
      const float du = std::fabs(std::fmod(u * 24 + v * 24, 1.0f) - 0.5f);
      const float dv = std::fabs(std::fmod(u * 24 - v * 24 + 100, 1.0f) - 0.5f);
      const float tread = smooth(0.12f, 0.02f, std::min(du, dv)) * 0.5f;
      Rgba c{0.13f + 0.05f * n + 0.05f * tread, 0.14f + 0.05f * n + 0.05f * tread,
             0.17f + 0.06f * n + 0.06f * tread, 1};
      c = scale(c, 0.6f + 0.4f * smooth(0.0f, 0.03f, edge));
      // Glowing seam between plates.
      c = mix(c, kTeal, smooth(0.012f, 0.0f, edge) * 0.9f);
      img.at(x, y) = c;
    }
  return img;
}

Image makeRobotWall(int size) {
  Image img(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const float u = (x + 0.5f) / size, v = (y + 0.5f) / size;
      const float fu = u * 2 - std::floor(u * 2), fv = v - std::floor(v);
      const float n = fbm(u * 6, v * 6, 6, 53);
      const float edge = std::min(std::min(fu, 1 - fu), std::min(fv, 1 - fv));
      Rgba c{0.10f + 0.05f * n, 0.11f + 0.05f * n, 0.15f + 0.06f * n, 1};
      c = scale(c, 0.55f + 0.45f * smooth(0.0f, 0.04f, edge));
      // Light bar across the middle of every other panel column.
      const bool barColumn = u < 0.5f;
      const float bar = barColumn ? smooth(0.03f, 0.015f, std::fabs(fv - 0.5f)) * smooth(0.1f, 0.2f, edge)
                                  : 0.0f;
      c = mix(c, Rgba{0.75f, 0.95f, 1.0f, 1}, bar);
      // Rivets in the panel corners.
      const float rx = std::min(fu, 1 - fu), ry = std::min(fv, 1 - fv);
      if (std::hypot(rx - 0.06f, ry - 0.06f) < 0.018f) c = Rgba{0.35f, 0.38f, 0.42f, 1};
      img.at(x, y) = c;
    }
  return img;
}

namespace {

// Straight-alpha layers stacked front over back, kept premultiplied while they
// pile up.
struct Stack {
  float r = 0, g = 0, b = 0, a = 0;
  void over(const Rgba& c, float alpha) {
    r = c.r * alpha + r * (1 - alpha);
    g = c.g * alpha + g * (1 - alpha);
    b = c.b * alpha + b * (1 - alpha);
    a = alpha + a * (1 - alpha);
  }
  Rgba straight() const { return a > 0 ? Rgba{r / a, g / a, b / a, a} : Rgba{0, 0, 0, 0}; }
};

// Three box blurs of radius r approximate a Gaussian of sigma about r.
void blur(std::vector<float>* values, int width, int height, int r) {
  std::vector<float>& glow = *values;
  std::vector<float> tmp(glow.size());
  for (int pass = 0; pass < 3; ++pass) {
    for (int y = 0; y < height; ++y) {
      float sum = 0;
      for (int x = -r; x <= r; ++x) sum += glow[static_cast<size_t>(y) * width + std::clamp(x, 0, width - 1)];
      for (int x = 0; x < width; ++x) {
        tmp[static_cast<size_t>(y) * width + x] = sum / (2 * r + 1);
        sum += glow[static_cast<size_t>(y) * width + std::min(x + r + 1, width - 1)];
        sum -= glow[static_cast<size_t>(y) * width + std::max(x - r, 0)];
      }
    }
    for (int x = 0; x < width; ++x) {
      float sum = 0;
      for (int y = -r; y <= r; ++y) sum += tmp[static_cast<size_t>(std::clamp(y, 0, height - 1)) * width + x];
      for (int y = 0; y < height; ++y) {
        glow[static_cast<size_t>(y) * width + x] = sum / (2 * r + 1);
        sum += tmp[static_cast<size_t>(std::min(y + r + 1, height - 1)) * width + x];
        sum -= tmp[static_cast<size_t>(std::max(y - r, 0)) * width + x];
      }
    }
  }
}

// Signed distance (pixels, negative inside) from (x, y) to a rectangle of
// half-size (hx, hy) around (cx, cy) with corners rounded by `round`.
float roundedBoxDistance(float x, float y, float cx, float cy, float hx, float hy, float round) {
  const float qx = std::fabs(x - cx) - (hx - round), qy = std::fabs(y - cy) - (hy - round);
  const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
  return outside + std::min(std::max(qx, qy), 0.0f) - round;
}

// Where a line of text lands on the card: its covered part centred on column
// `midX` and row `midY`, given as the card rows and columns it covers.
struct Placed {
  int left = 0, top = 0;                  // where the coverage's cell (0, 0) lands
  int x0 = 0, y0 = 0, x1 = -1, y1 = -1;  // covered part on the card, inclusive
};
Placed centredOn(const Coverage& text, int midX, int midY) {
  int cx0, cy0, cx1, cy1;
  coveredBox(text, &cx0, &cy0, &cx1, &cy1);
  Placed p;
  if (cx1 < 0) return p;
  p.left = midX - (cx0 + cx1 + 1) / 2;
  p.top = midY - (cy0 + cy1 + 1) / 2;
  p.x0 = p.left + cx0;
  p.x1 = p.left + cx1;
  p.y0 = p.top + cy0;
  p.y1 = p.top + cy1;
  return p;
}

}  // namespace

Image makeTitleCard(const Font& font, int width, int height) {
  Image img(width, height, Rgba{0, 0, 0, 0});
  // The lettering takes at most kTitleShare of the card's width, so it stays
  // clear of the screen's sides when the card is fitted to a narrow screen.
  const float kTitleShare = 0.7f;
  int titlePixels = height / 5;
  Coverage title = font.render("Lattice Bloom", titlePixels, 2, 4);
  int tw, th;
  coveredSize(title, &tw, &th);
  if (tw > kTitleShare * width) {
    titlePixels = static_cast<int>(titlePixels * kTitleShare * width / tw);
    title = font.render("Lattice Bloom", titlePixels, 2, 4);
    coveredSize(title, &tw, &th);
  }
  const Coverage byline = font.render("a Quasar Fern production", height / 22, 1, 4);
  // Title a little above the middle, byline below it.
  const Placed t = centredOn(title, width / 2, static_cast<int>(height * 0.36));
  const Placed b = centredOn(byline, width / 2, static_cast<int>(height * 0.36) + th / 2 + height / 10);
  std::vector<float> cov(static_cast<size_t>(width) * height, 0.0f);
  std::vector<float> by(static_cast<size_t>(width) * height, 0.0f);
  auto stamp = [&](const Coverage& c, const Placed& at, std::vector<float>* dst) {
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < c.width; ++x) {
        const int X = at.left + x, Y = at.top + y;
        if (X >= 0 && Y >= 0 && X < width && Y < height)
          (*dst)[static_cast<size_t>(Y) * width + X] = std::max((*dst)[static_cast<size_t>(Y) * width + X], c.at(x, y));
      }
  };
  stamp(title, t, &cov);
  stamp(byline, b, &by);
  std::vector<float> glow = cov;
  blur(&glow, width, height, std::max(2, height / 60));

  // Backing: an opaque dark plate behind title and byline, so that the bright
  // strips of the scene behind cannot show through the halo between the
  // letters. It keeps to the middle band of the card: the robot, on the floor
  // below it by the time the card appears, stays in view. Its margin round the
  // lettering holds the whole halo (three blurs of radius height / 60).
  const float padX = 0.075f * height, padY = 0.06f * height;
  const float plateX0 = std::min(t.x0, b.x0) - padX, plateX1 = std::max(t.x1, b.x1) + 1 + padX;
  const float plateY0 = t.y0 - padY, plateY1 = b.y1 + 1 + padY;
  const float plateX = 0.5f * (plateX0 + plateX1), plateY = 0.5f * (plateY0 + plateY1);
  const float plateHalfW = 0.5f * (plateX1 - plateX0), plateHalfH = 0.5f * (plateY1 - plateY0);
  const float plateRound = 0.05f * height, plateSoft = 0.01f * height;
  const Rgba plateTop{0.035f, 0.02f, 0.07f, 1}, plateBottom{0.01f, 0.03f, 0.06f, 1};
  const float plateAlpha = 1.0f;  // the scene behind must not show through at all

  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const size_t i = static_cast<size_t>(y) * width + x;
      Stack s;
      const float d = roundedBoxDistance(x + 0.5f, y + 0.5f, plateX, plateY, plateHalfW, plateHalfH, plateRound);
      const float inside = smooth(plateSoft, -plateSoft, d);
      if (inside > 0) {
        const float v = clamp01((y - plateY0) / (plateY1 - plateY0));
        s.over(mix(plateTop, plateBottom, v), inside * plateAlpha);
        // A thin magenta rim just inside the plate's edge.
        const float rim = smooth(0.004f * height, 0.0f, std::fabs(d + plateSoft)) * 0.6f;
        s.over(kMagenta, rim);
      }
      s.over(kMagenta, clamp01(glow[i] * 1.6f) * 0.75f);
      const float fy = clamp01(static_cast<float>(y - t.y0) / std::max(1, th));
      s.over(mix(Rgba{0.85f, 1.0f, 1.0f, 1}, Rgba{1.0f, 0.75f, 0.95f, 1}, fy), cov[i]);
      s.over(Rgba{0.85f, 0.95f, 1.0f, 1}, by[i] * 0.9f);
      img.at(x, y) = s.straight();
    }
  return img;
}

}  // namespace lb_datagen
