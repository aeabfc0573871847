#pragma once
// What several test files share: the guard for tests that need the generated
// data set, the process-wide drand48 state, and (res_TempDir.h) scratch folders.

#include "Rand48.h"
#include "res_TempDir.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdlib>

namespace lb_test {

// The data set that scene tests load, relative to the working directory (CTest
// runs every case in the build folder, where the build generates data/).
inline bool dataPresent() { return access("data/config.txt", R_OK) == 0; }

// The three 16-bit words of the drand48 state, least significant first.
using RandState = std::array<unsigned short, 3>;

// The drand48 state, read without drawing a value: seed48 installs the probe and
// hands back the previous state, which is then put back (seed48 also restores
// the default multiplier and addend, which nothing in the show changes).
inline RandState randState() {
  unsigned short probe[3] = {0, 0, 0};
  const unsigned short* previous = seed48(probe);
  RandState state = {previous[0], previous[1], previous[2]};
  seed48(state.data());
  return state;
}

inline void setRandState(RandState state) { seed48(state.data()); }

// The state this process started with, read while static objects are made,
// before any test draws. The show never seeds the generator, so its sequence
// starts here: glibc starts an unseeded generator from 0, not from the
// 0x1234ABCD330E that POSIX names as the default.
inline const RandState kProcessStartRandState = randState();

}  // namespace lb_test

// Skips the calling test when the data set has not been generated.
#define REQUIRE_DATA()                                                                                    \
  if (!lb_test::dataPresent()) GTEST_SKIP() << "no data/config.txt in the working directory; build the " \
                                               "data set first"
