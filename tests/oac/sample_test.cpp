// Key search, matrix blending and the hinted track sampler.
#include "oac/sample.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "support/anim_builders.h"

namespace {

using namespace testanim;

struct Search {  // a time and the key index wanted for it
  float time;
  uint32_t want;
};

TEST(FindKeyIndex, LinearKindsIncludingAllBitsSetBeforeKeyZero) {
  // Rotation, position and scale keys at 5, 10, 20.
  AnimData* a = Make({At({})});
  AnimTrack& t = a->tracks[0];
  AnimRotKey rot[3] = {{{0, 0, 0, 1}, 5}, {{0, 0, 0, 1}, 10}, {{0, 0, 0, 1}, 20}};
  AnimVecKey vec[3] = {{0, 0, 0, 5}, {0, 0, 0, 10}, {0, 0, 0, 20}};
  t.rotationKeys = rot;
  t.positionKeys = t.scaleKeys = vec;
  t.rotationKeyCount = t.positionKeyCount = t.scaleKeyCount = 3;
  const Search cases[] = {{0, 0}, {3, 0xFFFFFFFFu}, {5, 0}, {7, 0}, {10, 1}, {19, 1}, {20, 1}, {50, 1}};
  for (int kind : {kKindRotation, kKindPosition, kKindScale})
    for (const auto& c : cases) EXPECT_EQ(FindKeyIndex(a, 0, kind, c.time), c.want) << kind << " @" << c.time;
  EXPECT_EQ(FindKeyIndex(a, 0, 4, 7), 0u);
  EXPECT_EQ(FindKeyIndex(a, 1, kKindRotation, 7), 0u);  // no such limb
  t.rotationKeys = nullptr;
  t.positionKeys = t.scaleKeys = nullptr;
  AnimFree(a);
}

TEST(FindKeyIndex, MatrixKindBisects) {
  AnimData* a = Make({At({0, 10, 20, 30}), At({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}), At({5}), At({4, 0x80000000u, 0xC0000000u})});
  const Search cases[] = {{0, 0}, {5, 0}, {9.5f, 0}, {10, 1}, {15, 1}, {20, 2}, {25, 2}, {30, 2}, {100, 2}};
  for (const auto& c : cases) EXPECT_EQ(FindKeyIndex(a, 0, kKindMatrix, c.time), c.want) << c.time;
  // Every interval of a long track, at its start and inside it.
  for (uint32_t k = 0; k < 12; ++k) {
    EXPECT_EQ(FindKeyIndex(a, 1, kKindMatrix, static_cast<float>(k)), k);
    EXPECT_EQ(FindKeyIndex(a, 1, kKindMatrix, k + 0.5f), k);
  }
  EXPECT_EQ(FindKeyIndex(a, 2, kKindMatrix, 7), 0u);  // one key
  // A time of 2^31 is large and positive, not negative.
  EXPECT_EQ(FindKeyIndex(a, 3, kKindMatrix, 1e9f), 0u);
  EXPECT_EQ(FindKeyIndex(a, 3, kKindMatrix, 3e9f), 1u);
  AnimFree(a);
}

TEST(BlendMatrices, EndsAreCopiedAndTheMiddleSlerpsWithLinearTranslation) {
  Mat4 scaled;
  MatScaling(&scaled, 2, 3, 4);
  const Mat4 a = Translated(scaled, 1, 2, 3);  // scale survives only at the ends
  const Mat4 b = Translated(RotY(90), 10, 0, 0);
  Mat4 out;
  for (float s : {0.0f, -0.2f, -1e30f, 1.0f, 1.7f, 1e30f}) {
    BlendMatrices(&out, a, b, s);
    EXPECT_TRUE(SameMatrix(out, s < 1 ? a : b)) << s;
  }
  BlendMatrices(&out, Translated(kIdentity, 0, 0, 0), b, 0.5f);
  const Mat4 want = Translated(RotY(45), 5, 0, 0);
  ExpectNear(out, want, 1e-6f);
  EXPECT_EQ(out.m[15], 1.0f);
  // The same blend from the keys' kept quaternions.
  AnimData* anim = Make({{{0, kIdentity}, {10, b}}});
  Mat4 fromKeys;
  BlendKeys(&fromKeys, anim->tracks[0].keys[0], anim->tracks[0].keys[1], 0.5f);
  EXPECT_TRUE(SameMatrix(fromKeys, out));
  AnimFree(anim);
}

// Keys K0@0, K1@10, K2@20, K3@30, each turned about Y by 30 degrees more than the last and moved
// along X by its time.
struct Sampler : ::testing::Test {
  Mat4 K[4];
  AnimData* anim;
  void SetUp() override {
    Keys keys;
    for (uint32_t k = 0; k < 4; ++k) {
      K[k] = Translated(RotY(30.0f * k), 10.0f * k, 0, 0);
      keys.push_back({10 * k, K[k]});
    }
    anim = Make({keys, At({7}), At({})});
  }
  void TearDown() override { AnimFree(anim); }
  Mat4 Blend(int k, float s) {
    Mat4 m;
    BlendMatrices(&m, K[k], K[k + 1], s);
    return m;
  }
  Mat4 Sample(float f, float speed, uint32_t* hint) {
    Mat4 m;
    SampleMatrixTrack(&m, anim, 0, f, speed, hint);
    return m;
  }
};

TEST_F(Sampler, EachBranchOfTheHint) {
  uint32_t hint = 1;
  EXPECT_TRUE(SameMatrix(Sample(12.5f, 1, &hint), Blend(1, 0.25f)));  // the hint holds f
  EXPECT_EQ(hint, 1u);
  EXPECT_TRUE(SameMatrix(Sample(20, 1, &hint), K[2]));  // at a key: the interval it opens
  EXPECT_EQ(hint, 2u);
  hint = 1;
  EXPECT_TRUE(SameMatrix(Sample(21, 1, &hint), Blend(2, 0.1f)));  // next interval, playing forward
  EXPECT_EQ(hint, 2u);
  EXPECT_TRUE(SameMatrix(Sample(31, 1, &hint), K[3]));  // past the last key: hint untouched
  EXPECT_EQ(hint, 2u);
  EXPECT_TRUE(SameMatrix(Sample(15, -1, &hint), Blend(1, 0.5f)));  // previous interval, backward
  EXPECT_EQ(hint, 1u);
  EXPECT_TRUE(SameMatrix(Sample(5, 1, &hint), Blend(0, 0.5f)));  // a jump: searched
  EXPECT_EQ(hint, 0u);
  EXPECT_TRUE(SameMatrix(Sample(30, 1, &hint), K[3]));  // at the last key: interval 2 at s = 1
  EXPECT_EQ(hint, 2u);
  // Speed 0 keeps a stale hint: frame 5 against interval 2 gives s < 0, key 2 itself.
  EXPECT_TRUE(SameMatrix(Sample(5, 0, &hint), K[2]));
  EXPECT_EQ(hint, 2u);
  // Hints out of range, in either direction of play, fall back to the search.
  for (uint32_t bad : {3u, 99u, 0xFFFFFFFFu})
    for (float speed : {-1.0f, 0.0f, 1.0f}) {
      hint = bad;
      EXPECT_TRUE(SameMatrix(Sample(25, speed, &hint), Blend(2, 0.5f))) << bad << " " << speed;
      EXPECT_EQ(hint, 2u);
    }
  // Before the first key's time (negative frames): key 0.
  hint = 0;
  EXPECT_TRUE(SameMatrix(Sample(-4, 1, &hint), K[0]));
}

// A track known to ascend skips the last-key check while the hint's intervals hold the frame: the
// same poses and hints as a track not known to, on every branch.
TEST_F(Sampler, AscendingTracksChooseAsAnyTrackDoes) {
  ASSERT_EQ(anim->tracks[0].ascending, 1u);
  AnimTrack unknown = anim->tracks[0];
  unknown.ascending = 0;
  for (float f : {-4.0f, 0.0f, 5.0f, 10.0f, 12.5f, 20.0f, 21.0f, 29.9f, 30.0f, 31.0f})
    for (float speed : {-1.0f, 0.0f, 1.0f})
      for (uint32_t h : {0u, 1u, 2u, 3u, 99u}) {
        Pose fast, slow;
        uint32_t hf = h, hs = h;
        SamplePose(&fast, &anim->tracks[0], f, speed, &hf);
        SamplePose(&slow, &unknown, f, speed, &hs);
        EXPECT_TRUE(SameMatrix(fast.m, slow.m) && hf == hs) << f << " " << speed << " " << h;
      }
  // Keys out of order are not marked: a frame past the last key's time gives the last key even
  // where the hint's interval holds it.
  AnimData* odd = Make({{{0, K[0]}, {10, K[1]}, {20, K[2]}, {5, K[3]}}});
  EXPECT_EQ(odd->tracks[0].ascending, 0u);
  uint32_t hint = 1;
  Mat4 m;
  SampleMatrixTrack(&m, odd, 0, 15, 1, &hint);
  EXPECT_TRUE(SameMatrix(m, K[3]));
  AnimFree(odd);
}

TEST_F(Sampler, ShortTracksGiveTheirOnlyKeyOrTheIdentity) {
  Mat4 m;
  uint32_t hint = 5;
  const Mat4 seven = anim->tracks[1].keys[0].matrix;  // keyed at 7: before and after it alike
  for (float f : {3.0f, 9.0f}) {
    SampleMatrixTrack(&m, anim, 1, f, 1, &hint);
    EXPECT_TRUE(SameMatrix(m, seven)) << f;
  }
  SampleMatrixTrack(&m, anim, 2, 9, 1, &hint);
  EXPECT_TRUE(SameMatrix(m, kIdentity));
}

}  // namespace
