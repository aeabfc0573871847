#pragma once
// The drand48 family's generator, for C libraries that lack it (Windows').
//
// The scenes draw their layouts from the process-wide drand48() sequence, never
// seeded, so every platform must give the very values glibc gives: the 48-bit
// linear congruential generator x' = (0x5DEECE66D x + 0xB) mod 2^48, whose value
// is x' / 2^48 (exact in a double), starting from glibc's unseeded state x = 0
// (not the 0x1234ABCD330E the POSIX text suggests). Including this header
// declares drand48, erand48, srand48 and seed48 where the C library has none
// (the build then defines LB_NO_DRAND48 and compiles Drand48.cpp, which
// implements them on the shared generator below); elsewhere the C library's own
// functions are used and this header adds nothing to them.

#include <cstdint>
#include <cstdlib>

namespace lb_engine {

class Rand48 {
 public:
  static constexpr std::uint64_t kMultiplier = 0x5DEECE66DULL;
  static constexpr std::uint64_t kIncrement = 0xB;
  static constexpr std::uint64_t kMask = (std::uint64_t{1} << 48) - 1;

  explicit Rand48(std::uint64_t state = 0) : x_(state & kMask) {}

  // Steps the state and returns it as a value in [0, 1).
  double next();

  std::uint64_t state() const { return x_; }
  void setState(std::uint64_t state) { x_ = state & kMask; }

  // The three 16-bit words of a state, least significant first, as seed48 and
  // erand48 hold it, and back.
  static std::uint64_t fromWords(const unsigned short words[3]);
  static void toWords(std::uint64_t state, unsigned short words[3]);

 private:
  std::uint64_t x_;
};

// The drand48 family on one process-wide generator, with glibc's behaviour;
// Drand48.cpp exports them under the C names where the C library lacks them.
double compatibleDrand48();
double compatibleErand48(unsigned short words[3]);
void compatibleSrand48(long seed);
unsigned short* compatibleSeed48(unsigned short words[3]);

}  // namespace lb_engine

#ifdef LB_NO_DRAND48
extern "C" {
double drand48(void);
double erand48(unsigned short xsubi[3]);
void srand48(long seedval);
unsigned short* seed48(unsigned short seed16v[3]);
}
#endif
