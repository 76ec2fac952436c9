// Key editing on one track: insert, delete, modify and retime, with their codes, the resulting
// times and matrices, the kept quaternions, the spare key slot and the total frames.
#include "anim/keyedit.h"

#include <gtest/gtest.h>

#include "oac/sample.h"
#include "support/anim_builders.h"
#include "support/plugin_fixture.h"

namespace {

using namespace testanim;
using T = std::vector<uint32_t>;

const Mat4 A = Translated(kIdentity, 0, 0, 0);
const Mat4 B = Translated(RotY(90), 10, 0, 0);
const Mat4 C = Translated(RotY(-30), 4, -4, 8);

// Track 0 reaches frame 999 but never counts for total frames; track 1 is the one edited.
//   track 1:  A@0 ---- B@10 ---- C@20
AnimData* ThreeKeys() { return Make({At({0, 999}), {{0, A}, {10, B}, {20, C}}}); }
AnimTrack& Track1(AnimData* a) { return a->tracks[1]; }

Mat4 Blend(const Mat4& a, const Mat4& b, float f) {
  Mat4 m;
  BlendMatrices(&m, a, b, f);
  return m;
}

// The kept facts hold, and the spare slot past the last key is there (the sanitizer build
// reports a write past the array).
void ExpectSound(AnimTrack& t) {
  ExpectKeptFacts(t);
  AnimKeySet(&t.keys[t.keyCount], kIdentity, 0);
}

// The track is sound and holds exactly these keys, matrices bit for bit.
void ExpectKeys(AnimTrack& t, const Keys& want) {
  ASSERT_EQ(t.keyCount, want.size());
  for (uint32_t k = 0; k < t.keyCount; ++k) {
    EXPECT_EQ(t.keys[k].time, want[k].first) << "key " << k;
    EXPECT_TRUE(SameMatrix(t.keys[k].matrix, want[k].second)) << "key " << k;
  }
  ExpectSound(t);
}

TEST(KeyInsert, BetweenKeysBlendsAtAKeyRefusesAndPastTheEndAppends) {
  AnimData* a = ThreeKeys();
  EXPECT_EQ(AnimInsertKey(a, 1, 5), 1);
  // Existing times: -index, nothing changed (0 for key 0).
  const int taken[][2] = {{10, -2}, {0, 0}, {20, -3}, {5, -1}};  // time, code
  for (const auto& k : taken) EXPECT_EQ(AnimInsertKey(a, 1, k[0]), k[1]) << k[0];
  EXPECT_EQ(AnimInsertKey(a, 1, 17), 3);  // seven tenths of B..C
  EXPECT_EQ(a->totalFrames, 20.0f);
  EXPECT_EQ(AnimInsertKey(a, 1, 30), 5);  // past the end: the last key's pose, total frames follow
  EXPECT_EQ(a->totalFrames, 30.0f);
  EXPECT_EQ(AnimInsertKey(a, 2, 3), 0);  // limb == limb count
  ExpectKeys(Track1(a), {{0, A}, {5, Blend(A, B, 0.5f)}, {10, B}, {17, Blend(B, C, 0.7f)}, {20, C}, {30, C}});
  AnimFree(a);
}

TEST(KeyInsert, ShortTracksAndTimesBeforeTheFirstKey) {
  //   track 1: (none)     track 2: B@40     track 3: A@10 - C@20     track 4: A@0 - B@10 - B@10 - C@20
  AnimData* a = Make({At({}), At({}), {{40, B}}, {{10, A}, {20, C}}, {{0, A}, {10, B}, {10, B}, {20, C}}});
  free(a->tracks[1].keys);  // a track without keys may hold no array at all
  a->tracks[1].keys = nullptr;
  EXPECT_EQ(AnimInsertKey(a, 1, 7), 0);    // an identity key
  EXPECT_EQ(AnimInsertKey(a, 2, 40), 0);   // the only key's time
  EXPECT_EQ(AnimInsertKey(a, 2, 15), 0);   // before it: first, with its pose
  EXPECT_EQ(AnimInsertKey(a, 2, 50), 2);
  EXPECT_EQ(AnimInsertKey(a, 3, 0), 0);    // time 0 before a first key at 10
  EXPECT_EQ(AnimInsertKey(a, 4, 10), -1);  // two keys at 10: the empty interval refuses
  ExpectKeys(a->tracks[1], {{7, kIdentity}});
  ExpectKeys(a->tracks[2], {{15, B}, {40, B}, {50, B}});
  ExpectKeys(a->tracks[3], {{0, A}, {10, A}, {20, C}});
  ExpectKeys(a->tracks[4], {{0, A}, {10, B}, {10, B}, {20, C}});
  EXPECT_EQ(a->totalFrames, 50.0f);
  AnimFree(a);
}

TEST(KeyDelete, RemovesInnerKeysAndOverwritesTheTwoItCannotLose) {
  AnimData* a = ThreeKeys();
  EXPECT_EQ(AnimDeleteKey(a, 1, 3), kDeleteBadKey);
  EXPECT_EQ(AnimDeleteKey(a, 2, 0), kDeleteBadLimb);
  EXPECT_EQ(AnimDeleteKey(a, 1, 0), kDeleteFirstKept);  // key 0 takes key 1's matrix, keeps its time
  ExpectKeys(Track1(a), {{0, B}, {10, B}, {20, C}});
  EXPECT_EQ(AnimDeleteKey(a, 1, 2), kDeleteRemoved);  // the last key goes: total frames drop
  ExpectKeys(Track1(a), {{0, B}, {10, B}});
  EXPECT_EQ(a->totalFrames, 10.0f);
  AnimFree(a);
  a = ThreeKeys();
  EXPECT_EQ(AnimDeleteKey(a, 1, 1), kDeleteRemoved);
  ExpectKeys(Track1(a), {{0, A}, {20, C}});
  EXPECT_EQ(AnimDeleteKey(a, 1, 1), kDeleteSecondKept);  // two keys left: key 1 takes key 0's matrix
  ExpectKeys(Track1(a), {{0, A}, {20, A}});
  EXPECT_EQ(a->totalFrames, 20.0f);
  AnimFree(a);
  a = Make({At({}), {{5, B}}, At({})});  // one key: kept as it is; no key: a bad key
  EXPECT_EQ(AnimDeleteKey(a, 1, 0), kDeleteFirstKept);
  ExpectKeys(Track1(a), {{5, B}});
  EXPECT_EQ(AnimDeleteKey(a, 2, 0), kDeleteBadKey);
  AnimFree(a);
}

TEST(KeyRetime, MovesTheKeyAndEveryLaterKey) {
  AnimData* a = ThreeKeys();
  EXPECT_EQ(AnimRetimeKey(a, 1, 1, 15), 0);
  EXPECT_EQ(Times(Track1(a)), T({0, 15, 25}));
  EXPECT_EQ(a->totalFrames, 25.0f);
  EXPECT_EQ(AnimRetimeKey(a, 1, 2, 16), 0);  // earlier, still after key 1
  EXPECT_EQ(a->totalFrames, 16.0f);
  // Refused: not after the previous key, key 0, out of range.
  const uint32_t refused[][3] = {{1, 1, 0}, {1, 2, 15}, {1, 0, 5}, {1, 3, 50}, {2, 1, 50}};  // limb, key, time
  for (const auto& r : refused) EXPECT_EQ(AnimRetimeKey(a, r[0], r[1], r[2]), -1) << r[0] << "," << r[1];
  EXPECT_EQ(Times(Track1(a)), T({0, 15, 16}));
  // Times past 2^31 stay large and unsigned; a move that would carry any moved key past
  // 2^32 - 1 (or, in unordered keys, below 0) is refused whole.
  EXPECT_EQ(AnimRetimeKey(a, 1, 1, 0xFFFFFFF0u), 0);
  EXPECT_EQ(Times(Track1(a)), T({0, 0xFFFFFFF0u, 0xFFFFFFF1u}));
  EXPECT_EQ(AnimRetimeKey(a, 1, 2, 0xFFFFFFFFu), 0);
  EXPECT_EQ(AnimRetimeKey(a, 1, 1, 0xFFFFFFF1u), -1);
  EXPECT_EQ(AnimRetimeKey(a, 1, 1, 0xFFFFFFF0u), 0);
  EXPECT_EQ(a->totalFrames, static_cast<float>(0xFFFFFFFFu));
  ExpectKeys(Track1(a), {{0, A}, {0xFFFFFFF0u, B}, {0xFFFFFFFFu, C}});
  AnimFree(a);
  // Keys 0, 20, 40: key 1 to 2^32 - 16 would carry key 2 past the end. Unordered keys 0, 30, 5:
  // key 1 to 1 would carry key 2 below 0.
  const struct { T times; uint32_t time; } overflow[] = {{{0, 20, 40}, 0xFFFFFFF0u}, {{0, 30, 5}, 1}};
  for (const auto& o : overflow) {
    a = Make({At({}), At(o.times)});
    EXPECT_EQ(AnimRetimeKey(a, 1, 1, o.time), -1);
    EXPECT_EQ(Times(Track1(a)), o.times);
    ExpectKeptFacts(Track1(a));  // unordered keys: the track is not marked ascending
    AnimFree(a);
  }
}

TEST(KeyModify, ReplacesOnePartAndRebuildsScaleRotationTranslation) {
  AnimData* a = Make({At({}), {{0, Compose(2, 2, 2, 0, 30, 0, 1, 2, 3)},
                               {10, Compose(1, 1, 1, 20, -35, 50, 4, 5, 6)},
                               {20, Compose(1, 2, 3, 0, 0, 0, 1, 2, 3)}}});
  AnimTrack& t = Track1(a);
  ASSERT_TRUE(AnimModifyKey(a, 1, 0, kKeyRotation, 0, 0, 0));
  ExpectNear(t.keys[0].matrix, Compose(2, 2, 2, 0, 0, 0, 1, 2, 3), 2e-6f);
  ASSERT_TRUE(AnimModifyKey(a, 1, 1, kKeyPosition, 7, 8, 9));
  ASSERT_TRUE(AnimModifyKey(a, 1, 1, kKeyScale, 2, 2, 2));
  ExpectNear(t.keys[1].matrix, Compose(2, 2, 2, 20, -35, 50, 7, 8, 9), 2e-6f);
  // Row lengths of S(1,2,3) are exact: the result is the composition itself, bit for bit.
  ASSERT_TRUE(AnimModifyKey(a, 1, 2, kKeyRotation, 10, 20, 30));
  EXPECT_TRUE(SameMatrix(t.keys[2].matrix, Compose(1, 2, 3, 10, 20, 30, 1, 2, 3)));
  // The rotation is re-read from the scaled elements: S(2) Ry(40) has m13 = -2 sin 40 < -1, so
  // moving it keeps Y = m13 * 90 degrees, X = Z = 0.
  AnimKeySet(&t.keys[0], Compose(2, 2, 2, 0, 40, 0), 0);
  const float m13 = t.keys[0].matrix.m[2];
  ASSERT_TRUE(AnimModifyKey(a, 1, 0, kKeyPosition, 1, 1, 1));
  ExpectNear(t.keys[0].matrix, Compose(2, 2, 2, 0, m13 * 90.0f, 0, 1, 1, 1), 2e-6f);
  EXPECT_EQ(Times(t), T({0, 10, 20}));
  ExpectSound(t);
  // Bad limb or key: nothing changes.
  const Mat4 before = t.keys[2].matrix;
  EXPECT_FALSE(AnimModifyKey(a, 1, 3, kKeyScale, 5, 5, 5));
  EXPECT_FALSE(AnimModifyKey(a, 2, 0, kKeyScale, 5, 5, 5));
  EXPECT_TRUE(SameMatrix(t.keys[2].matrix, before));
  AnimFree(a);
}

using KeyEditCommands = PluginTest;

TEST_F(KeyEditCommands, EditThroughTheExportsAndRefuseDeadHandles) {
  const uint32_t id = x.Xamo_AnimLoad(const_cast<char*>(XAMO_TEST_DATA "/two_tracks_three_keys.xamo"));
  // Track 1 of the golden file: keys at 0, 20, 40.
  EXPECT_EQ(x.Xamo_AnimInsertKey(id, 1, 50), 3);
  EXPECT_EQ(x.Xamo_AnimGetTotalFrames(id), 50u);
  EXPECT_EQ(x.Xamo_AnimModifyKeyTime(id, 1, 3, 60), 0);
  EXPECT_EQ(x.Xamo_AnimGetLimbKeyTime(id, 1, 3), 60u);
  EXPECT_EQ(x.Xamo_AnimDeleteKey(id, 1, 1), 0);
  EXPECT_EQ(x.Xamo_AnimGetLimbKeys(id, 1), 3u);
  x.Xamo_AnimModifyKeyPos(id, 1, 2, 4, 5, 6);
  x.Xamo_AnimModifyKeyScale(id, 1, 2, 3, 3, 3);
  x.Xamo_AnimModifyKeyRot(id, 1, 2, 0, 90, 0);
  // S(3) Ry(90) has m13 = -3: read as it stands, that is -270 degrees.
  EXPECT_NEAR(x.Xamo_AnimGetKeyRotY(id, 1, 2), -270.0, 1e-3);
  EXPECT_NEAR(x.Xamo_AnimGetKeyScaleX(id, 1, 2), 3.0, 1e-6);
  EXPECT_EQ(x.Xamo_AnimGetKeyPosZ(id, 1, 2), 6.0);
  x.Xamo_AnimDelete(id);
  for (uint32_t dead : {id, 0u, 0xFFFFFFFFu}) {
    EXPECT_EQ(x.Xamo_AnimDeleteKey(dead, 1, 1), -1);
    EXPECT_EQ(x.Xamo_AnimInsertKey(dead, 1, 5), 0);
    EXPECT_EQ(x.Xamo_AnimModifyKeyTime(dead, 1, 1, 5), -1);
    x.Xamo_AnimModifyKeyRot(dead, 1, 1, 1, 2, 3);
  }
}

}  // namespace
