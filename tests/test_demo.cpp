// The timeline dispatch: a scene draws only strictly inside its interval.

#include "Demo.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class RecordingScene : public lb_engine::Scene {
 public:
  RecordingScene(double start, double end, std::vector<int>* log, int id) : log_(log), id_(id) {
    startTime = start;
    endTime = end;
  }
  void show(double) override { log_->push_back(id_); }

 private:
  std::vector<int>* log_;
  int id_;
};

class TestDemo : public lb_engine::Demo {
 public:
  TestDemo() : lb_engine::Demo(320, 180) {}
  void init() override {
    // The show's own timeline.
    const double cuts[] = {0.0, 4.817, 21.067, 33.9, 42.067, 61.692, 91.017, 98.0, 102.476, 121.639, 128.0};
    for (int i = 0; i < 10; ++i) scenes.push_back(new RecordingScene(cuts[i], cuts[i + 1], &log, i));
  }
  std::vector<int> log;
};

std::vector<int> drawn(TestDemo& demo, double t) {
  demo.log.clear();
  demo.show(t);
  return demo.log;
}

}  // namespace

TEST(Demo, DispatchIsStrictlyInsideEachInterval) {
  TestDemo demo;
  demo.init();
  EXPECT_TRUE(drawn(demo, 0.0).empty());
  EXPECT_TRUE(drawn(demo, -1.0).empty());
  const double cuts[] = {4.817, 21.067, 33.9, 42.067, 61.692, 91.017, 98.0, 102.476, 121.639};
  for (int i = 0; i < 9; ++i) {
    SCOPED_TRACE(cuts[i]);
    EXPECT_TRUE(drawn(demo, cuts[i]).empty());
    EXPECT_EQ(drawn(demo, cuts[i] - 0.001), std::vector<int>{i});
    EXPECT_EQ(drawn(demo, cuts[i] + 0.001), std::vector<int>{i + 1});
  }
  EXPECT_EQ(drawn(demo, 127.999), std::vector<int>{9});
  EXPECT_TRUE(drawn(demo, 128.0).empty());
  EXPECT_TRUE(drawn(demo, 129.5).empty());
  EXPECT_TRUE(drawn(demo, 130.001).empty());
}

TEST(Demo, DispatchKeepsNoStateAndRunsOverlapsInListOrder) {
  TestDemo demo;
  demo.init();
  demo.log.clear();
  demo.show(50.0);
  demo.show(50.0);
  EXPECT_EQ(demo.log, (std::vector<int>{4, 4}));

  std::vector<int> log;
  TestDemo overlap;
  overlap.scenes.push_back(new RecordingScene(0, 10, &overlap.log, 7));
  overlap.scenes.push_back(new RecordingScene(5, 15, &overlap.log, 3));
  EXPECT_EQ(drawn(overlap, 6.0), (std::vector<int>{7, 3}));
}
