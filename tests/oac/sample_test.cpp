// Key search and the hinted track sampler. The blend of two matrices is checked against a double-precision
// reference in update_reference_test, and by the extraction and key-insertion tests.
#include "oac/sample.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "support/anim_builders.h"

namespace {

using namespace testanim;

// Track 0: rotation, position and scale keys at 5, 10, 20 (searched in turn) beside matrix keys at
// 0, 10, 20, 30 (bisected); track 1: a matrix key at every frame 0..12; track 2: one key; track 3:
// keys at 4, 2^31 and 3 x 2^30.
TEST(FindKeyIndex, LinearKindsIncludingAllBitsSetBeforeKeyZeroAndMatrixKeysBisected) {
  AnimData* a = Make({At({0, 10, 20, 30}), At({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}), At({5}),
                      At({4, 0x80000000u, 0xC0000000u})});
  AnimTrack& t = a->tracks[0];
  AnimRotKey rot[3] = {{{0, 0, 0, 1}, 5}, {{0, 0, 0, 1}, 10}, {{0, 0, 0, 1}, 20}};
  AnimVecKey vec[3] = {{0, 0, 0, 5}, {0, 0, 0, 10}, {0, 0, 0, 20}};
  t.rotationKeys = rot;
  t.positionKeys = t.scaleKeys = vec;
  t.rotationKeyCount = t.positionKeyCount = t.scaleKeyCount = 3;
  const struct {
    float time;
    uint32_t linear, matrix;  // the key index wanted of track 0's linear kinds and of its matrix keys
  } cases[] = {{0, 0, 0},  {3, 0xFFFFFFFFu, 0}, {5, 0, 0},  {7, 0, 0},  {9.5f, 0, 0}, {10, 1, 1},
               {15, 1, 1}, {19, 1, 1},          {20, 1, 2}, {25, 1, 2}, {30, 1, 2},   {100, 1, 2}};
  for (const auto& c : cases) {
    for (int kind : {kKindRotation, kKindPosition, kKindScale})
      EXPECT_EQ(FindKeyIndex(a, 0, kind, c.time), c.linear) << kind << " @" << c.time;
    EXPECT_EQ(FindKeyIndex(a, 0, kKindMatrix, c.time), c.matrix) << c.time;
  }
  for (uint32_t k = 0; k < 12; ++k) {  // every interval of a long track, at its start and inside it
    EXPECT_EQ(FindKeyIndex(a, 1, kKindMatrix, static_cast<float>(k)), k);
    EXPECT_EQ(FindKeyIndex(a, 1, kKindMatrix, k + 0.5f), k);
  }
  EXPECT_EQ(FindKeyIndex(a, 2, kKindMatrix, 7), 0u);    // one key
  EXPECT_EQ(FindKeyIndex(a, 3, kKindMatrix, 1e9f), 0u);  // 2^31 is large and positive, not negative
  EXPECT_EQ(FindKeyIndex(a, 3, kKindMatrix, 3e9f), 1u);
  EXPECT_EQ(FindKeyIndex(a, 0, 4, 7), 0u);              // no such kind
  EXPECT_EQ(FindKeyIndex(a, 99, kKindRotation, 7), 0u);  // no such limb
  t.rotationKeys = nullptr;
  t.positionKeys = t.scaleKeys = nullptr;
  AnimFree(a);
}

// Keys K0@0, K1@10, K2@20, K3@30, each turned about Y by 30 degrees more than the last and moved
// along X by its time; beside them a track of K1 alone at 7 and one without keys.
struct Sampler : ::testing::Test {
  Mat4 K[4];
  AnimData* anim;
  void SetUp() override {
    Keys keys;
    for (uint32_t k = 0; k < 4; ++k) {
      K[k] = Translated(RotY(30.0f * k), 10.0f * k, 0, 0);
      keys.push_back({10 * k, K[k]});
    }
    anim = Make({keys, {{7, K[1]}}, At({})});
  }
  void TearDown() override { AnimFree(anim); }
  // Keys k and k + 1 blended at s; key k itself at s = 0.
  Mat4 Blend(int k, float s) {
    Mat4 m = K[k];
    if (s != 0) BlendMatrices(&m, K[k], K[k + 1], s);
    return m;
  }
  Mat4 Sample(uint32_t limb, float f, float speed, uint32_t* hint) {
    Mat4 m;
    SampleMatrixTrack(&m, anim, limb, f, speed, hint);
    return m;
  }
};

// Every branch on track 0 as loaded (known to ascend, so the last key is looked at only when the
// hint's intervals miss the frame) and on a copy not known to ascend: the same poses and hints.
TEST_F(Sampler, EachBranchOfTheHintWhetherTheTrackIsKnownToAscendOrNot) {
  ASSERT_EQ(anim->tracks[0].ascending, 1u);
  const struct {
    float f, speed;
    uint32_t hint;  // before
    int k;          // the pose wanted: keys k and k + 1 at s
    float s;
    uint32_t after;  // the hint after
  } cases[] = {
      {12.5f, 1, 1, 1, 0.25f, 1},  // the hint holds f
      {20, 1, 1, 2, 0, 2},         // at a key: the interval it opens
      {21, 1, 1, 2, 0.1f, 2},      // the next interval, playing forwards
      {15, -1, 2, 1, 0.5f, 1},     // the previous interval, playing backwards
      {5, 1, 1, 0, 0.5f, 0},       // a jump: searched
      {31, 1, 0, 3, 0, 0},         // past the last key: the last key, the hint untouched
      {30, 1, 0, 3, 0, 2},         // at the last key: interval 2 at s = 1
      {5, 0, 2, 2, 0, 2},          // speed 0 keeps a stale hint: s < 0 in interval 2 gives key 2
      {-4, 1, 0, 0, 0, 0},         // before the first key's time: key 0
  };
  for (uint8_t ascending : {1, 0}) {
    anim->tracks[0].ascending = ascending;
    SCOPED_TRACE(ascending ? "known to ascend" : "not known to ascend");
    for (const auto& c : cases) {
      uint32_t hint = c.hint;
      EXPECT_TRUE(SameMatrix(Sample(0, c.f, c.speed, &hint), Blend(c.k, c.s))) << c.f << " from hint " << c.hint;
      EXPECT_EQ(hint, c.after) << c.f << " from hint " << c.hint;
    }
    for (uint32_t bad : {3u, 99u, 0xFFFFFFFFu})  // hints out of range, in either direction of play
      for (float speed : {-1.0f, 0.0f, 1.0f}) {
        uint32_t hint = bad;
        EXPECT_TRUE(SameMatrix(Sample(0, 25, speed, &hint), Blend(2, 0.5f))) << bad << " " << speed;
        EXPECT_EQ(hint, 2u);
      }
  }
  // Keys out of order are not marked: a frame past the last key's time gives the last key even
  // where the hint's interval holds it.
  AnimData* odd = Make({{{0, K[0]}, {10, K[1]}, {20, K[2]}, {5, K[3]}}});
  uint32_t hint = 1;
  Mat4 m;
  SampleMatrixTrack(&m, odd, 0, 15, 1, &hint);
  EXPECT_TRUE(SameMatrix(m, K[3]));
  AnimFree(odd);
}

TEST_F(Sampler, ShortTracksGiveTheirOnlyKeyOrTheIdentity) {
  uint32_t hint = 5;
  for (float f : {3.0f, 9.0f}) EXPECT_TRUE(SameMatrix(Sample(1, f, 1, &hint), K[1])) << f;  // before and after it alike
  EXPECT_TRUE(SameMatrix(Sample(2, 9, 1, &hint), kIdentity));
}

}  // namespace
