// Drawing a frame must not touch the heap once every scene has drawn once: the
// show runs for minutes at 60 frames a second, and an allocation per frame is
// both a stall risk and a sign of work done in the wrong place.
//
// This program replaces operator new and interposes malloc. Every operator new
// counts; a malloc/calloc/realloc counts only when called from this program's
// own code (the engine and scenes are linked in statically), so the GL driver's
// internal bookkeeping is not held against the show.

#include "GlContext.h"
#include "MyDemo.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
#include <new>

extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);
extern char __executable_start;
extern char etext;
}

namespace {
bool gCounting = false;
long gAllocations = 0;

bool fromOurCode(void* caller) { return caller >= &__executable_start && caller < &etext; }
void note(void* caller) {
  if (gCounting && fromOurCode(caller)) ++gAllocations;
}
}  // namespace

extern "C" void* malloc(size_t n) {
  note(__builtin_return_address(0));
  return __libc_malloc(n);
}
extern "C" void* calloc(size_t n, size_t m) {
  note(__builtin_return_address(0));
  return __libc_calloc(n, m);
}
extern "C" void* realloc(void* p, size_t n) {
  note(__builtin_return_address(0));
  return __libc_realloc(p, n);
}
extern "C" void free(void* p) { __libc_free(p); }

void* operator new(size_t n) {
  if (gCounting) ++gAllocations;
  void* p = __libc_malloc(n == 0 ? 1 : n);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}
void* operator new[](size_t n) { return operator new(n); }
void operator delete(void* p) noexcept { __libc_free(p); }
void operator delete[](void* p) noexcept { __libc_free(p); }
void operator delete(void* p, size_t) noexcept { __libc_free(p); }
void operator delete[](void* p, size_t) noexcept { __libc_free(p); }

namespace {

// Three frames inside each scene, in playing order.
const double kFrameTimes[] = {1.0,   2.5,   4.5,   6.0,   12.0,  20.0,  22.0,  28.0,  33.0,  35.0,
                              38.0,  41.0,  45.0,  55.0,  60.0,  63.0,  75.0,  90.0,  92.0,  95.0,
                              97.5,  99.0,  100.0, 101.0, 104.0, 110.0, 115.0, 122.0, 125.5, 127.0};

}  // namespace

class NoAllocation : public lb_test::GlTest {};

TEST_F(NoAllocation, DrawingFramesAllocatesNothingOnceEverySceneHasDrawn) {
  MyDemo demo(kWidth, kHeight);
  demo.init();
  for (double t : kFrameTimes) demo.show(t);  // first draws may build driver state

  gCounting = true;
  for (int pass = 0; pass < 2; ++pass) {
    for (double t : kFrameTimes) demo.show(t + 0.25 * pass + 0.1);
  }
  gCounting = false;
  EXPECT_EQ(gAllocations, 0) << "heap allocations while drawing frames";
}

TEST_F(NoAllocation, CounterSeesOurOwnAllocations) {
  gCounting = true;
  gAllocations = 0;
  int* p = new int(3);
  void* q = std::malloc(16);
  gCounting = false;
  EXPECT_EQ(gAllocations, 2);
  delete p;
  std::free(q);
  gAllocations = 0;
}
