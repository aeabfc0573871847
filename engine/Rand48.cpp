#include "Rand48.h"

#include <cmath>

namespace lb_engine {

double Rand48::next() {
  x_ = (kMultiplier * x_ + kIncrement) & kMask;
  return std::ldexp(static_cast<double>(x_), -48);
}

std::uint64_t Rand48::fromWords(const unsigned short words[3]) {
  return std::uint64_t{words[0]} | std::uint64_t{words[1]} << 16 | std::uint64_t{words[2]} << 32;
}

void Rand48::toWords(std::uint64_t state, unsigned short words[3]) {
  for (int i = 0; i < 3; ++i) words[i] = static_cast<unsigned short>(state >> (16 * i));
}

namespace {

// glibc's process-wide state before any seeding: all zero.
Rand48 shared;

}  // namespace

double compatibleDrand48() { return shared.next(); }

double compatibleErand48(unsigned short words[3]) {
  Rand48 own(Rand48::fromWords(words));
  const double value = own.next();
  Rand48::toWords(own.state(), words);
  return value;
}

void compatibleSrand48(long seed) {
  // The seed's low 32 bits above glibc's fixed low word.
  shared.setState(std::uint64_t{static_cast<std::uint32_t>(seed)} << 16 | 0x330E);
}

unsigned short* compatibleSeed48(unsigned short words[3]) {
  static unsigned short previous[3];
  Rand48::toWords(shared.state(), previous);
  shared.setState(Rand48::fromWords(words));
  return previous;
}

}  // namespace lb_engine
