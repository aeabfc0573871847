// Screen shapes from 4:3 to 21:9: the opening's text stays inside the frame
// where the motion holds it still, and the finale's title card keeps its own
// proportions and its dark backing.
//
// Frames are small ones of the shapes in question: 320x240 for 4:3 (640x480,
// 1024x768), 320x180 for 16:9 and 420x180 for 21:9 (1680x720).

#include "GlContext.h"

#include "FrameRenderer.h"
#include "Gl.h"
#include "ImageDecoder.h"
#include "MyDemo.h"

#include <SDL.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

// The hidden window holds every frame size below; each frame is drawn into its
// lower left corner and read back from there.
constexpr int kWindowWidth = 420;
constexpr int kWindowHeight = 240;

struct Shape {
  const char* name;
  int width, height;
};
const Shape k4x3{"4:3", 320, 240};
const Shape k16x9{"16:9", 320, 180};
const Shape k21x9{"21:9", 420, 180};

bool dataPresent() { return access("data/config.txt", R_OK) == 0; }

class ScreenShapes : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!dataPresent()) GTEST_SKIP() << "no data/config.txt in the working directory; build the data set first";
    std::string error;
    ASSERT_TRUE(lb_test::GlContext::ensure(kWindowWidth, kWindowHeight, &error)) << error;
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(lb_test::GlContext::window(), &w, &h);
    // CTest runs every case in a process of its own; a run of the whole test
    // program in one process may have made the window smaller before.
    if (w < kWindowWidth || h < kWindowHeight)
      GTEST_SKIP() << "the shared test window is " << w << "x" << h << ", smaller than " << kWindowWidth << "x"
                   << kWindowHeight << "; run this case on its own (as CTest does)";
  }

  // Renders the show at the given clock values in a frame of `shape`, as the
  // offline renderer does, after starting a fresh show of that size.
  void render(const Shape& shape, const std::vector<double>& times, std::vector<lb_render::Image>* frames) {
    MyDemo demo(shape.width, shape.height);
    demo.init();
    // Scenes that draw straight to the window rely on the viewport the show's
    // window gives them: the frame's own size.
    glViewport(0, 0, shape.width, shape.height);
    lb_render::FrameRenderer renderer(&demo, shape.width, shape.height);
    frames->assign(times.size(), lb_render::Image());
    for (size_t i = 0; i < times.size(); ++i) renderer.render(times[i], &(*frames)[i]);
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  }
};

const unsigned char* pixel(const lb_render::Image& image, int x, int y) {
  return image.rgb.data() + (static_cast<size_t>(y) * image.width + x) * 3;
}

// ---------------------------------------------------------------------------
// Opening: the title and each credit block, at the three moments the credits'
// slide stops (4t an odd multiple of pi), are clear of the left and right edges.

// Text and its bloom against the night backdrop: the backdrop stays below 40
// in every channel, the letters' faces are far above it.
bool textPixel(const unsigned char* p) { return std::max({p[0], p[1], p[2]}) > 80; }

// Columns from the edges that must hold no text: 3% of the width on each side.
int edgeBand(int width) { return static_cast<int>(std::ceil(0.03 * width)); }

TEST_F(ScreenShapes, OpeningTextStaysClearOfTheSidesWhereTheCreditsStop) {
  const double kPi = 3.14159265358979323846;
  const std::vector<double> stops = {kPi / 4, 3 * kPi / 4, 5 * kPi / 4};
  for (const Shape& shape : {k4x3, k21x9}) {
    SCOPED_TRACE(shape.name);
    std::vector<lb_render::Image> frames;
    render(shape, stops, &frames);
    for (size_t k = 0; k < frames.size(); ++k) {
      SCOPED_TRACE("credit stop at t = " + std::to_string(stops[k]));
      const lb_render::Image& f = frames[k];
      const int band = edgeBand(f.width);
      int inBand = 0, inMiddle = 0;
      for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x) {
          if (!textPixel(pixel(f, x, y))) continue;
          if (x < band || x >= f.width - band)
            ++inBand;
          else
            ++inMiddle;
        }
      EXPECT_EQ(inBand, 0) << "text pixels within " << band << " columns of the left or right edge";
      // The frame does show the text (and so the test can see it at all).
      EXPECT_GT(inMiddle, f.width * f.height / 50);
    }
  }
}

// ---------------------------------------------------------------------------
// Finale: the title card.

// Bounding box, in pixels, of the title's lettering ("Lattice Bloom"): near-white
// pixels that the card brought (they differ from the frame just before it), in
// the topmost run of rows that holds any, which leaves the byline below out.
struct Box {
  int left = 0, top = 0, right = -1, bottom = -1;  // inclusive
  int width() const { return right - left + 1; }
  int height() const { return bottom - top + 1; }
};

Box titleLettering(const lb_render::Image& before, const lb_render::Image& with) {
  auto lettering = [&](int x, int y) {
    const unsigned char* p = pixel(with, x, y);
    const unsigned char* q = pixel(before, x, y);
    const int change = std::max({std::abs(p[0] - q[0]), std::abs(p[1] - q[1]), std::abs(p[2] - q[2])});
    return std::min({p[0], p[1], p[2]}) > 150 && change > 40;
  };
  std::vector<int> perRow(static_cast<size_t>(with.height), 0);
  for (int y = 0; y < with.height; ++y)
    for (int x = 0; x < with.width; ++x) perRow[static_cast<size_t>(y)] += lettering(x, y) ? 1 : 0;
  Box box;
  int y = 0;
  while (y < with.height && perRow[static_cast<size_t>(y)] == 0) ++y;
  box.top = y;
  while (y < with.height && perRow[static_cast<size_t>(y)] > 0) ++y;
  box.bottom = y - 1;
  box.left = with.width;
  for (int r = box.top; r <= box.bottom; ++r)
    for (int x = 0; x < with.width; ++x)
      if (lettering(x, r)) {
        box.left = std::min(box.left, x);
        box.right = std::max(box.right, x);
      }
  return box;
}

// The card appears once t exceeds 126.573 s; these frames lie just either side.
const std::vector<double> kAroundTitle = {126.55, 126.6};

TEST_F(ScreenShapes, FinaleTitleKeepsItsProportionsOnEveryScreenShape) {
  struct Measured {
    const Shape* shape;
    Box box;
  };
  std::vector<Measured> measured;
  for (const Shape* shape : {&k4x3, &k16x9, &k21x9}) {
    SCOPED_TRACE(shape->name);
    std::vector<lb_render::Image> frames;
    render(*shape, kAroundTitle, &frames);
    const Box box = titleLettering(frames[0], frames[1]);
    ASSERT_GT(box.height(), 5) << "no title lettering found";
    ASSERT_GT(box.width(), 5 * box.height()) << "the box holds more than one line of text";
    // Centred, and clear of the frame's sides.
    EXPECT_NEAR(0.5 * (box.left + box.right), 0.5 * (shape->width - 1), 2.0);
    EXPECT_GE(box.left, shape->width / 20);
    measured.push_back({shape, box});
  }
  const double wide = static_cast<double>(measured[1].box.width()) / measured[1].box.height();
  for (const Measured& m : measured) {
    SCOPED_TRACE(m.shape->name);
    const double ratio = static_cast<double>(m.box.width()) / m.box.height();
    EXPECT_NEAR(ratio / wide, 1.0, 0.03) << m.box.width() << "x" << m.box.height() << " against 16:9's "
                                         << measured[1].box.width() << "x" << measured[1].box.height();
  }
  // A 16:9 card on a 4:3 screen fills the width and leaves bands above and
  // below; on 21:9 it fills the height and leaves bands at the sides. The same
  // lettering therefore comes out at the same size on 4:3 and 16:9 frames of
  // equal width, and on 16:9 and 21:9 frames of equal height.
  EXPECT_EQ(measured[0].box.width(), measured[1].box.width());
  EXPECT_EQ(measured[2].box.height(), measured[1].box.height());
}

// The card's picture: a dark plate that hides the scene behind the lettering and
// its halo, and nothing over the lower part where the robot's parts lie.
TEST(TitleCard, BackingIsOpaqueBehindTheLetteringAndClearBelowIt) {
  if (!dataPresent()) GTEST_SKIP() << "no data/config.txt in the working directory; build the data set first";
  std::vector<unsigned char> bytes;
  ASSERT_TRUE(lb_engine::readFileBytes("data/title.png", &bytes)) << "data/title.png: cannot read";
  lb_engine::DecodedImage card;
  std::string error;
  ASSERT_TRUE(lb_engine::decodePNG(bytes.data(), bytes.size(), &card, &error)) << error;
  ASSERT_EQ(card.channels, 4);
  // Rows top-first, as the card is laid out.
  auto alpha = [&](int x, int y) {
    return card.pixels[(static_cast<size_t>(card.height - 1 - y) * card.width + x) * 4 + 3] / 255.0;
  };
  auto bright = [&](int x, int y) {
    const unsigned char* p = &card.pixels[(static_cast<size_t>(card.height - 1 - y) * card.width + x) * 4];
    return std::min({p[0], p[1], p[2]}) > 200 && p[3] > 200;
  };
  // The title's lettering: the bright pixels in the upper half.
  int left = card.width, right = -1, top = card.height, bottom = -1;
  for (int y = 0; y < card.height / 2; ++y)
    for (int x = 0; x < card.width; ++x)
      if (bright(x, y)) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  ASSERT_GE(right, left) << "no lettering in the card's upper half";
  // Within the lettering's box, grown by a tenth of its height, nothing of
  // the scene shows through.
  const int grow = (bottom - top) / 10;
  double least = 1.0;
  for (int y = top - grow; y <= bottom + grow; ++y)
    for (int x = left - grow; x <= right + grow; ++x) least = std::min(least, alpha(x, y));
  EXPECT_GE(least, 0.99);
  // Lettering clear of the card's sides by more than a tenth of its width.
  EXPECT_GT(left, card.width / 10);
  EXPECT_LT(right, card.width - card.width / 10);
  // The lowest quarter, where the scene's floor lies, is left wholly to the scene.
  double most = 0.0;
  for (int y = card.height * 3 / 4; y < card.height; ++y)
    for (int x = 0; x < card.width; ++x) most = std::max(most, alpha(x, y));
  EXPECT_EQ(most, 0.0);
}

}  // namespace
