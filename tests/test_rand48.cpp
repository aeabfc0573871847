// The drand48 generator the engine supplies where the C library has none
// (Windows): it must give glibc's values, from glibc's unseeded start, or every
// scene's layout would differ from the Linux build's. On Linux the first 4096
// values are compared with glibc's own functions; everywhere they are compared
// with values recorded from glibc (a Debian 12 build), which also covers the
// Windows build, whose drand48 is the engine's.

#include "Rand48.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr int kCount = 4096;

// The state behind a value: values are exact multiples of 2^-48.
std::uint64_t stateOf(double value) { return static_cast<std::uint64_t>(value * 281474976710656.0); }

// The process-wide state, read with seed48 and put back.
struct SavedState {
  SavedState() {
    unsigned short probe[3] = {0, 0, 0};
    const unsigned short* previous = seed48(probe);
    words = {previous[0], previous[1], previous[2]};
  }
  ~SavedState() { seed48(words.data()); }
  std::array<unsigned short, 3> words;
};

// Recorded from glibc's never-seeded drand48(): the value's state at draws 1,
// 2, 3, 1000 and 4096, and the XOR of state(i) * i over draws 1 to 4096.
TEST(Rand48, UnseededSequenceIsGlibcs) {
  lb_engine::Rand48 generator;
  std::uint64_t mixed = 0;
  for (int i = 1; i <= kCount; ++i) {
    const double value = generator.next();
    ASSERT_GE(value, 0.0);
    ASSERT_LT(value, 1.0);
    const std::uint64_t x = stateOf(value);
    ASSERT_EQ(x, generator.state()) << "draw " << i << " is not exactly state / 2^48";
    mixed ^= x * static_cast<std::uint64_t>(i);
    switch (i) {
      case 1: EXPECT_EQ(x, 0xbu); break;  // from x = 0: just the increment
      case 2: EXPECT_EQ(x, 0x40942de6baULL); break;
      case 3: EXPECT_EQ(x, 0xaa8544e593dULL); break;
      case 1000: EXPECT_EQ(x, 0x395175327728ULL); break;
      case 4096: EXPECT_EQ(x, 0x698c7f0b9000ULL); break;
      default: break;
    }
  }
  EXPECT_EQ(mixed, 0x2208527023f8000ULL);
  EXPECT_DOUBLE_EQ(lb_engine::Rand48().next(), 3.907985046680551e-14);
}

// The C library's functions (glibc's on Linux, the engine's on Windows) against
// the engine's generator: the unseeded sequence through erand48, srand48's seed
// layout, and seed48 reporting and installing the state.
TEST(Rand48, CLibraryFunctionsAgree) {
  const SavedState saved;
  unsigned short words[3] = {0, 0, 0};
  lb_engine::Rand48 generator;
  for (int i = 0; i < kCount; ++i) ASSERT_EQ(erand48(words), generator.next()) << "draw " << i + 1;
  EXPECT_EQ(lb_engine::Rand48::fromWords(words), generator.state());

  // srand48 puts the seed's low 32 bits above the fixed low word 0x330E. (On
  // Windows drand48 and compatibleDrand48 are one generator: each is checked
  // against a generator of its own.)
  const std::uint64_t seeded = std::uint64_t{12345} << 16 | 0x330e;
  srand48(12345);
  EXPECT_DOUBLE_EQ(drand48(), 0.22532851279629895);  // recorded from glibc
  srand48(12345);
  lb_engine::Rand48 expected(seeded);
  for (int i = 0; i < kCount; ++i) ASSERT_EQ(drand48(), expected.next()) << "draw " << i + 1;
  lb_engine::compatibleSrand48(12345);
  expected.setState(seeded);
  for (int i = 0; i < kCount; ++i) ASSERT_EQ(lb_engine::compatibleDrand48(), expected.next()) << "draw " << i + 1;

  unsigned short state[3] = {0x330e, 0xabcd, 0x1234};
  seed48(state);
  unsigned short probe[3] = {0, 0, 0};
  const unsigned short* previous = seed48(probe);
  EXPECT_EQ(lb_engine::Rand48::fromWords(previous), 0x1234abcd330eULL);
  EXPECT_EQ(drand48(), lb_engine::Rand48(0).next());  // seed48 installed the zero state
}

}  // namespace
