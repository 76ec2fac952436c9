// The update allocates nothing: every allocation of the test program is counted here (malloc,
// calloc and realloc, which operator new goes through), around many updates of playing and
// transitioning limbs. Sanitizer builds bring their own allocator; the count is skipped there.
#include <stddef.h>

#include "oac/oac_helpers.h"

#if defined(__SANITIZE_ADDRESS__)
#define XAMO_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define XAMO_SANITIZED 1
#endif
#endif

namespace {
volatile long g_allocations = 0;
}  // namespace

#ifndef XAMO_SANITIZED
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* malloc(size_t n) { g_allocations = g_allocations + 1; return __libc_malloc(n); }
void* calloc(size_t n, size_t size) { g_allocations = g_allocations + 1; return __libc_calloc(n, size); }
void* realloc(void* p, size_t n) { g_allocations = g_allocations + 1; return __libc_realloc(p, n); }
}
#endif

namespace {

using namespace oactest;

using OacAllocation = PluginTest;

TEST_F(OacAllocation, UpdatesAllocateNothing) {
#ifdef XAMO_SANITIZED
  GTEST_SKIP() << "allocations are not counted under the sanitizers";
#endif
  sObject* o = Tree(1, {-1, 0, 1, 1, 2, 2, 3, 3});
  for (uint32_t i = 0; i < 8; ++i) subhost::Limb(o, i)->limbRotation[1] = 10.0f * i;
  const uint32_t c = x.Xamo_oacCreate(1);
  const uint32_t a = LoadAnim(x, TempPath("a.anim"), std::vector<Track>(8, ZTrack({0, 10, 20, 30, 40})));
  const uint32_t b = LoadAnim(x, TempPath("b.anim"), std::vector<Track>(8, ZTrack({0, 5, 40})));
  x.Xamo_oacPlayAnim(c, 1, a, 0, 0, 40, 1, 0);
  x.Xamo_oacAnimTransition(c, 2, b, 0, 0, -1, 100000, 1, 0);
  x.Xamo_oacSetModelType(c, 1);
  x.Xamo_oacUpdate(c, 16);
  const long before = g_allocations;
  for (int i = 0; i < 2000; ++i) x.Xamo_oacUpdate(c, 16 + i % 7);
  EXPECT_EQ(g_allocations - before, 0);
  EXPECT_EQ(x.Xamo_oacGetLimbTransIsActive(c, 4), 1);  // the work counted was a blend
  // The counter sees allocations at all: a controller's creation is counted.
  x.Xamo_oacCreate(1);
  EXPECT_GT(g_allocations - before, 0);
}

}  // namespace
