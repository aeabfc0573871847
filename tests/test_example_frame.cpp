// The engine example's frame against its committed reference. The frame comes
// from tests/e2e_example.sh, which installs the engine, builds examples/minimal
// against the installed package alone, renders one frame and runs this case
// with LB_EXAMPLE_FRAME naming the PNG; without it the case is skipped.

#include "res_FrameCompare.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

const std::string kReference = std::string(LB_SOURCE_DIR) + "/tests/reference/example-minimal.png";

}  // namespace

TEST(ExampleFrame, MatchesTheCommittedReference) {
  const char* frame = std::getenv("LB_EXAMPLE_FRAME");
  if (frame == nullptr || frame[0] == '\0') GTEST_SKIP() << "run by tests/e2e_example.sh";
  lb_render::Image reference, fresh;
  std::string error;
  ASSERT_TRUE(lb_test::readPng(kReference, &reference, &error)) << error;
  ASSERT_TRUE(lb_test::readPng(frame, &fresh, &error)) << error;
  ASSERT_EQ(fresh.width, reference.width);
  ASSERT_EQ(fresh.height, reference.height);
  const lb_test::Difference d = lb_test::compareFrames(reference, fresh, lb_test::kChannelTolerance);
  EXPECT_LE(d.share, lb_test::kMaxDifferingShare)
      << d.differing << " pixels (" << 100 * d.share << "%) differ by more than " << lb_test::kChannelTolerance
      << " levels (largest " << d.largest << "); if the change is intended, run tests/e2e_example.sh with "
      << "LB_UPDATE_REFERENCE=1 and look at the new image";
}
