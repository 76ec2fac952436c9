// Key editing on one track: insert, delete, modify and retime, with their codes, the resulting
// times and matrices, the kept quaternions, the spare key slot and the total frames.
#include "anim/keyedit.h"

#include <gtest/gtest.h>

#include "oac/sample.h"
#include "support/anim_builders.h"

namespace {

using namespace testanim;

const Mat4 A = kIdentity;
const Mat4 B = Translated(RotY(90), 10, 0, 0);
const Mat4 C = Translated(RotY(-30), 4, -4, 8);
const Keys kABC = {{0, A}, {10, B}, {20, C}};  // A@0 ---- B@10 ---- C@20
const uint32_t kLate = 0xFFFFFFF0u;

Mat4 Blend(const Mat4& a, const Mat4& b, float f) { Mat4 m; BlendMatrices(&m, a, b, f); return m; }

// One edit of track `limb` and the code it answers.
struct Edit {
  char op;  // 'i' insert at `time`, 'd' delete `key`, 'r' retime `key` to `time`
  uint32_t limb, key, time;
  int32_t code;
};
Edit Ins(uint32_t limb, uint32_t time, int32_t code) { return {'i', limb, 0, time, code}; }
Edit Del(uint32_t limb, uint32_t key, int32_t code) { return {'d', limb, key, 0, code}; }
Edit Ret(uint32_t limb, uint32_t key, uint32_t time, int32_t code) { return {'r', limb, key, time, code}; }

// Track 1 starts with `start` (a track without keys holds no array at all); track 0 reaches frame
// 999 but never counts for total frames. After the edits, track 1 holds exactly `want`, matrices
// bit for bit, what it keeps beside its keys is true of them, and the spare slot past the last key
// is there (the sanitizer build reports a write past the array).
TEST(KeyEdit, InsertDeleteAndRetimeGiveTheirCodesKeysAndTotalFrames) {
  const struct { const char* what; Keys start; std::vector<Edit> edits; Keys want; float total; } cases[] = {
      {"insert: between keys blends; at a key, -index (0 for key 0); past the end the last key's pose",
       kABC, {Ins(1, 5, 1), Ins(1, 10, -2), Ins(1, 0, 0), Ins(1, 20, -3), Ins(1, 5, -1), Ins(1, 17, 3),
              Ins(1, 30, 5), Ins(2, 3, 0)},
       {{0, A}, {5, Blend(A, B, 0.5f)}, {10, B}, {17, Blend(B, C, 0.7f)}, {20, C}, {30, C}}, 30},
      {"insert into a track without keys: an identity key", {}, {Ins(1, 7, 0)}, {{7, kIdentity}}, 0},
      {"insert by a single key: at its time refused, before it first with its pose",
       {{40, B}}, {Ins(1, 40, 0), Ins(1, 15, 0), Ins(1, 50, 2)}, {{15, B}, {40, B}, {50, B}}, 50},
      {"insert at 0 before a first key at 10", {{10, A}, {20, C}}, {Ins(1, 0, 0)}, {{0, A}, {10, A}, {20, C}}, 20},
      {"insert between two keys at one time: the empty interval refuses",
       {{0, A}, {10, B}, {10, B}, {20, C}}, {Ins(1, 10, -1)}, {{0, A}, {10, B}, {10, B}, {20, C}}, 20},
      {"delete: key 0 takes key 1's matrix and keeps its time; the last key goes",
       kABC, {Del(1, 3, kDeleteBadKey), Del(2, 0, kDeleteBadLimb), Del(1, 0, kDeleteFirstKept),
              Del(1, 2, kDeleteRemoved)},
       {{0, B}, {10, B}}, 10},
      {"delete an inner key; of two keys key 1 takes key 0's matrix",
       kABC, {Del(1, 1, kDeleteRemoved), Del(1, 1, kDeleteSecondKept)}, {{0, A}, {20, A}}, 20},
      {"delete the only key: kept", {{5, B}}, {Del(1, 0, kDeleteFirstKept)}, {{5, B}}, 0},
      {"delete in a track without keys: a bad key", {}, {Del(1, 0, kDeleteBadKey)}, {}, 0},
      // Refused: not after the previous key, key 0, out of range.
      {"retime moves the key and every later key, earlier or later",
       kABC, {Ret(1, 2, 17, 0), Ret(1, 1, 15, 0), Ret(1, 1, 0, -1), Ret(1, 2, 15, -1), Ret(1, 0, 5, -1),
              Ret(1, 3, 50, -1), Ret(2, 1, 50, -1)},
       {{0, A}, {15, B}, {22, C}}, 22},
      {"retime: times past 2^31 stay unsigned; a move carrying a later key past 2^32 - 1 is refused",
       kABC, {Ret(1, 1, kLate, 0), Ret(1, 2, 0xFFFFFFFFu, 0), Ret(1, 1, kLate + 1, -1), Ret(1, 1, kLate, 0)},
       {{0, A}, {kLate, B}, {0xFFFFFFFFu, C}}, static_cast<float>(0xFFFFFFFFu)},
      {"retime keys 0, 20, 40: key 1 to 2^32 - 16 would carry key 2 past the end",
       At({0, 20, 40}), {Ret(1, 1, kLate, -1)}, At({0, 20, 40}), 40},
      {"retime unordered keys 0, 30, 5: key 1 to 1 would carry key 2 below 0",
       At({0, 30, 5}), {Ret(1, 1, 1, -1)}, At({0, 30, 5}), 30},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    AnimPtr a(Make({At({0, 999}), c.start}));
    AnimTrack& t = a->tracks[1];
    if (c.start.empty()) {
      free(t.keys);
      t.keys = nullptr;
    }
    for (const Edit& e : c.edits) {
      const int32_t code = e.op == 'i'   ? AnimInsertKey(a.get(), e.limb, e.time)
                           : e.op == 'd' ? AnimDeleteKey(a.get(), e.limb, e.key)
                                         : AnimRetimeKey(a.get(), e.limb, e.key, e.time);
      EXPECT_EQ(code, e.code) << e.op << " limb " << e.limb << " key " << e.key << " time " << e.time;
    }
    ASSERT_EQ(t.keyCount, c.want.size());
    for (uint32_t k = 0; k < t.keyCount; ++k) {
      EXPECT_EQ(t.keys[k].time, c.want[k].first) << "key " << k;
      EXPECT_TRUE(SameMatrix(t.keys[k].matrix, c.want[k].second)) << "key " << k;
    }
    ExpectKeptFacts(t);
    if (t.keys) AnimKeySet(&t.keys[t.keyCount], kIdentity, 0);
    EXPECT_EQ(a->totalFrames, c.total);
  }
}

TEST(KeyModify, ReplacesOnePartAndRebuildsScaleRotationTranslation) {
  AnimPtr a(Make({At({}), {{0, Compose(2, 2, 2, 0, 30, 0, 1, 2, 3)},
                           {10, Compose(1, 1, 1, 20, -35, 50, 4, 5, 6)},
                           {20, Compose(1, 2, 3, 0, 0, 0, 1, 2, 3)}}}));
  AnimTrack& t = a->tracks[1];
  ASSERT_TRUE(AnimModifyKey(a.get(), 1, 0, kKeyRotation, 0, 0, 0));
  ExpectNear(t.keys[0].matrix, Compose(2, 2, 2, 0, 0, 0, 1, 2, 3), 2e-6f);
  ASSERT_TRUE(AnimModifyKey(a.get(), 1, 1, kKeyPosition, 7, 8, 9));
  ASSERT_TRUE(AnimModifyKey(a.get(), 1, 1, kKeyScale, 2, 2, 2));
  ExpectNear(t.keys[1].matrix, Compose(2, 2, 2, 20, -35, 50, 7, 8, 9), 2e-6f);
  // Row lengths of S(1,2,3) are exact: the result is the composition itself, bit for bit.
  ASSERT_TRUE(AnimModifyKey(a.get(), 1, 2, kKeyRotation, 10, 20, 30));
  EXPECT_TRUE(SameMatrix(t.keys[2].matrix, Compose(1, 2, 3, 10, 20, 30, 1, 2, 3)));
  // The rotation is re-read from the scaled elements: S(2) Ry(40) has m13 = -2 sin 40 < -1, so
  // moving it keeps Y = m13 * 90 degrees, X = Z = 0.
  AnimKeySet(&t.keys[0], Compose(2, 2, 2, 0, 40, 0), 0);
  const float m13 = t.keys[0].matrix.m[2];
  ASSERT_TRUE(AnimModifyKey(a.get(), 1, 0, kKeyPosition, 1, 1, 1));
  ExpectNear(t.keys[0].matrix, Compose(2, 2, 2, 0, m13 * 90.0f, 0, 1, 1, 1), 2e-6f);
  EXPECT_EQ(Times(t), std::vector<uint32_t>({0, 10, 20}));
  ExpectKeptFacts(t);
  // Bad limb or key: nothing changes.
  const Mat4 before = t.keys[2].matrix;
  EXPECT_FALSE(AnimModifyKey(a.get(), 1, 3, kKeyScale, 5, 5, 5));
  EXPECT_FALSE(AnimModifyKey(a.get(), 2, 0, kKeyScale, 5, 5, 5));
  EXPECT_TRUE(SameMatrix(t.keys[2].matrix, before));
}

}  // namespace
