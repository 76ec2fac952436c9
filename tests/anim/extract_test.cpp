// Extraction of an animation file from substitute-host objects of both host generations. Every
// file is laid out in two passes (size, then bytes) and read back through the file parser.
#include "anim/extract.h"

#include <gtest/gtest.h>
#include <math.h>
#include <stdio.h>

#include <vector>

#include "support/anim_builders.h"
#include "support/plugin_fixture.h"

namespace {

using namespace testanim;
using subhost::Generation;
using Frames = std::vector<uint32_t>;
typedef std::vector<float> Xs;

Mat4 T(float x, float y, float z) { return Translated(kIdentity, x, y, z); }
Mat4 S(float s) { Mat4 m; MatScaling(&m, s, s, s); return m; }
void AddRotY(sLimbAnim* a, uint32_t time, float degrees) {  // the host's quaternion x, y, z, w
  subhost::AddRotationKey(a, time, 0.0f, sinf(DegToRad(degrees) / 2), 0.0f, cosf(DegToRad(degrees) / 2));
}
Xs XsOf(const AnimTrack& t) {  // translation x of every key, to a thousandth
  Xs out;
  for (uint32_t k = 0; k < t.keyCount; ++k) out.push_back(roundf(t.keys[k].matrix.m[12] * 1000) / 1000);
  return out;
}
void ExpectStill(const AnimTrack& t) {
  ASSERT_EQ(Times(t), (Frames{0, 1}));
  for (const Mat4& m : {t.referenceMatrix, t.keys[0].matrix, t.keys[1].matrix}) ExpectNear(m, kIdentity, 0.0f);
}

class Extract : public PluginTest, public ::testing::WithParamInterface<Generation> {
 protected:
  sObject* Make(uint32_t limbs, float totalFrames) {
    sObject* o = subhost::MakeObject(1, limbs, GetParam());
    subhost::SetTotalAnimFrames(o, totalFrames);
    return o;
  }
  // Lays out object 1's file (taken as of an undecided generation when asked), checks that both
  // passes agree and that the file parses whole.
  AnimPtr Run(uint32_t start, int32_t end, bool undecided = false) {
    HostObject obj;
    EXPECT_TRUE(HostGetObject(1, &obj));
    if (undecided) obj.fields = nullptr;
    uint32_t bytes = 0, written = 0;
    ExtractAnimationFile(obj, nullptr, &bytes, start, end);
    std::vector<uint8_t> buf(bytes);
    uint8_t* cursor = buf.data();
    ExtractAnimationFile(obj, &cursor, &written, start, end);
    EXPECT_EQ(static_cast<uint32_t>(cursor - buf.data()), bytes);
    AnimData* a = AnimParse(buf.data(), buf.size());
    EXPECT_EQ(a->endMark, 723u) << "the file did not load back";
    return AnimPtr(a);
  }
};
INSTANTIATE_TEST_SUITE_P(BothGenerations, Extract, ::testing::Values(Generation::Classic, Generation::Current));

// Limb 0: one key of every kind, which is not animated. Limb 1: matrix keys, translations along x
// only (a blend is then the linear blend of x); its local matrix moves by (1, 2, 3), so every
// written key is moved by (-1, -2, -3):
//   time   0    10    20    30
//   x      0   100    50   400
// Limb 2 (local matrix identity):
//   time   0     6    12
//   x      0    60   120
sObject* MatrixLimbs(sObject* o) {
  sLimbAnim* still = subhost::AddLimbAnim(o, 0);
  subhost::AddPositionKey(still, 0, 5, 6, 7);
  subhost::AddScaleKey(still, 0, 2, 2, 2);
  AddRotY(still, 0, 40);
  subhost::AddMatrixKey(still, 0, T(1, 1, 1).m);
  for (int i = 0; i < 3; ++i) subhost::Limb(o, 1)->localMatrix[12 + i] = 1.0f + i;
  sLimbAnim* a = subhost::AddLimbAnim(o, 1);
  const float xs[] = {0, 100, 50, 400};
  for (uint32_t k = 0; k < 4; ++k) subhost::AddMatrixKey(a, 10 * k, T(xs[k], 0, 0).m);
  sLimbAnim* b = subhost::AddLimbAnim(o, 2);
  for (uint32_t k = 0; k < 3; ++k) subhost::AddMatrixKey(b, 6 * k, T(60.0f * k, 0, 0).m);
  return o;
}

TEST_P(Extract, MatrixKeysOverRangesToEndAndClamps) {
  MatrixLimbs(Make(3, 25.75f));  // Start and End above the total frames become 25
  const struct { uint32_t start; int32_t end; Frames times1; Xs xs1; Frames times2; Xs xs2; } cases[] = {
      {5, 25, {0, 5, 15, 20}, {49, 99, 49, 224}, {0, 1, 7, 20}, {50, 60, 120, 120}},  // limb 1 blends at 0.5
      {10, 20, {0, 10}, {99, 49}, {0, 2, 10}, {100, 120, 120}},             // ends on key times: no key twice
      {0, 30, {0, 10, 20, 25}, {-1, 99, 49, 224}, {0, 6, 12, 25}, {0, 60, 120, 120}},  // End clamped to 25
      {0, kExtractToEnd, {0, 10, 20, 30}, {-1, 99, 49, 399}, {0, 6, 12}, {0, 60, 120}},  // each limb to its end
      {6, kExtractToEnd, {0, 4, 14, 24}, {59, 99, 49, 399}, {0, 6}, {60, 120}},
      // Limb 2 ended before Start: its first key is found in its first interval and blended past
      // that interval's end, which gives key 1; its last key blends the last interval past its end.
      {20, kExtractToEnd, {0, 10}, {49, 399}, {0, 0}, {60, 120}},
      {4000000000u, 1000, {0, 0}, {224, 224}, {0, 0}, {60, 120}},  // both clamped to 25
      {20, 10, {0, 0}, {49, 49}, {0, 0}, {60, 120}},               // Start above End: the pose at Start
      {20, INT32_MIN, {0, 0}, {49, 49}, {0, 0}, {60, 120}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.start) + ".." + std::to_string(c.end));
    AnimPtr a = Run(c.start, c.end);
    ASSERT_EQ(a->limbCount, 3u);
    ExpectNear(a->tracks[1].referenceMatrix, T(-1, -2, -3), 0.0f);
    EXPECT_EQ(Times(a->tracks[1]), c.times1);
    EXPECT_EQ(XsOf(a->tracks[1]), c.xs1);
    EXPECT_EQ(Times(a->tracks[2]), c.times2);
    EXPECT_EQ(XsOf(a->tracks[2]), c.xs2);
  }
}

// Limb 1 by position, rotation and scale keys:
//   time       0          5          20
//   rotation   Y 30                  Y 90
//   position   (1,2,3)    (5,0,0)    (9,9,9)
//   scale      1                     2
// Matrix keys at 0, 5 and 20; at 5 the rotation is the slerp at 0.25 (Y 45) and the scale 1.25.
// K0 = RotY(30) T(1,2,3), the reference R is its inverse, and each key is R K0 M R = M R.
// Limb 2, where a kind whose first key comes late holds it until then:
//   time       0     1     10         20
//   rotation   I                      I
//   position               (4,0,0)    (8,0,0)
//   scale      1     1                           (no host keys: neutral keys at 0 and 1)
TEST_P(Extract, ResampledLimbsTakeKeysFromEveryKindRelativeToTheirFirstPose) {
  sObject* o = Make(3, 20.0f);
  sLimbAnim* a = subhost::AddLimbAnim(o, 1);
  AddRotY(a, 0, 30);
  AddRotY(a, 20, 90);
  subhost::AddPositionKey(a, 0, 1, 2, 3);
  subhost::AddPositionKey(a, 5, 5, 0, 0);
  subhost::AddPositionKey(a, 20, 9, 9, 9);
  subhost::AddScaleKey(a, 0, 1, 1, 1);
  subhost::AddScaleKey(a, 20, 2, 2, 2);
  sLimbAnim* late = subhost::AddLimbAnim(o, 2);
  AddRotY(late, 0, 0);
  AddRotY(late, 20, 0);
  subhost::AddPositionKey(late, 10, 4, 0, 0);
  subhost::AddPositionKey(late, 20, 8, 0, 0);
  Mat4 r;
  MatInverse(&r, Mul(RotY(30), T(1, 2, 3)));
  AnimPtr all = Run(0, 20);
  const AnimTrack& t = all->tracks[1];
  ExpectNear(t.referenceMatrix, r);
  ASSERT_EQ(Times(t), (Frames{0, 5, 20}));
  ExpectNear(t.keys[0].matrix, kIdentity);
  ExpectNear(t.keys[1].matrix, Mul(Mul(S(1.25f), Mul(RotY(45), T(5, 0, 0))), r));
  ExpectNear(t.keys[2].matrix, Mul(Mul(S(2), Mul(RotY(90), T(9, 9, 9))), r));
  const AnimTrack& u = all->tracks[2];
  ExpectNear(u.referenceMatrix, T(-4, 0, 0));  // K0 holds the first position
  ASSERT_EQ(Times(u), (Frames{0, 1, 10, 20}));
  for (uint32_t k = 0; k < 3; ++k) ExpectNear(u.keys[k].matrix, kIdentity);
  ExpectNear(u.keys[3].matrix, T(4, 0, 0));
  EXPECT_EQ(Times(Run(2, kExtractToEnd)->tracks[1]), (Frames{0, 3, 18}));  // to the last rotation key
}

// Through the command: the file loads, with two identity keys for a limb that is not animated
// (limb 0) or has no animation record (limb 3). Without animation data (total frames 0, negative,
// NaN, or an undecided generation) the file holds no tracks; a missing object or no name writes
// nothing.
TEST_P(Extract, CommandWritesAFileThatLoadsOrNoTracksWithoutAnimation) {
  sObject* o = MatrixLimbs(Make(4, 30.0f));
  std::string path = TempPath("x.anim");
  x.Xamo_ObjExtractAnimation(1, &path[0], 0, kExtractToEnd);
  AnimPtr a(AnimLoadFile(path.c_str()));
  ASSERT_EQ(a->limbCount, 4u);
  EXPECT_EQ(a->totalFrames, 30.0f);
  EXPECT_EQ(Times(a->tracks[1]), (Frames{0, 10, 20, 30}));
  ExpectStill(a->tracks[0]);
  ExpectStill(a->tracks[3]);
  for (float total : {0.0f, -4.0f, NAN}) {
    subhost::SetTotalAnimFrames(o, total);
    EXPECT_EQ(Run(0, kExtractToEnd)->limbCount, 0u) << total;
  }
  subhost::SetTotalAnimFrames(o, 10.0f);
  EXPECT_EQ(Run(0, 10, true)->limbCount, 0u);
  std::string none = TempPath("none.anim");
  x.Xamo_ObjExtractAnimation(5, &none[0], 0, kExtractToEnd);
  EXPECT_EQ(fopen(none.c_str(), "rb"), nullptr);
  x.Xamo_ObjExtractAnimation(1, nullptr, 0, kExtractToEnd);  // no name: nothing, quietly
}

}  // namespace
