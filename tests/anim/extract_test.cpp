// Extraction of an animation file from substitute-host objects of both host generations. Every
// file is laid out in two passes (size, then bytes) and read back through the file parser.
#include "anim/extract.h"

#include <gtest/gtest.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <memory>
#include <vector>

#include "anim/animfile.h"
#include "support/plugin_fixture.h"

namespace {

using subhost::Generation;

struct AnimDeleter {
  void operator()(AnimData* a) const { AnimFree(a); }
};
typedef std::unique_ptr<AnimData, AnimDeleter> AnimPtr;

Mat4 T(float x, float y, float z) {
  Mat4 m;
  MatTranslation(&m, x, y, z);
  return m;
}
Mat4 RotY(float degrees) {
  Mat4 m;
  MatRotationY(&m, DegToRad(degrees));
  return m;
}
Mat4 Mul(const Mat4& a, const Mat4& b) {
  Mat4 m;
  MatMultiply(&m, a, b);
  return m;
}
// The quaternion of a rotation about Y, as the host stores it (x, y, z, w).
void AddRotY(sLimbAnim* a, uint32_t time, float degrees) {
  const float h = DegToRad(degrees) / 2;
  subhost::AddRotationKey(a, time, 0.0f, sinf(h), 0.0f, cosf(h));
}

void ExpectNear(const Mat4& got, const Mat4& want, float tol = 1e-4f) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(got.m[i], want.m[i], tol) << "element " << i;
}
std::vector<uint32_t> Times(const AnimTrack& t) {
  std::vector<uint32_t> out;
  for (uint32_t k = 0; k < t.keyCount; ++k) out.push_back(t.keys[k].time);
  return out;
}
// Translation x of every key of a track.
std::vector<float> Xs(const AnimTrack& t) {
  std::vector<float> out;
  for (uint32_t k = 0; k < t.keyCount; ++k) out.push_back(t.keys[k].matrix.m[12]);
  return out;
}

class Extract : public ::testing::TestWithParam<Generation> {
 protected:
  void SetUp() override {
    subhost::Reset();
    HostSetCoreData(subhost::CoreData());
  }
  void TearDown() override { HostSetCoreData(nullptr); }

  sObject* Make(uint32_t limbs, float totalFrames) {
    sObject* o = subhost::MakeObject(1, limbs, GetParam());
    subhost::SetTotalAnimFrames(o, totalFrames);
    return o;
  }

  // Lays out the file of object 1, checks that both passes agree and that the file parses whole
  // (a file that does not parse comes back with no tracks).
  AnimPtr Run(uint32_t start, int32_t end, uint32_t* size = nullptr) {
    HostObject obj;
    EXPECT_TRUE(HostGetObject(1, &obj));
    uint32_t bytes = 0;
    ExtractAnimationFile(obj, nullptr, &bytes, start, end);
    std::vector<uint8_t> buf(bytes);
    uint8_t* cursor = buf.data();
    uint32_t written = 0;
    ExtractAnimationFile(obj, &cursor, &written, start, end);
    EXPECT_EQ(written, bytes);
    EXPECT_EQ(static_cast<uint32_t>(cursor - buf.data()), bytes);
    if (size) *size = bytes;
    AnimData* a = AnimParse(buf.data(), buf.size());
    EXPECT_EQ(a->endMark, 723u) << "file did not load back";
    return AnimPtr(a);
  }
};

INSTANTIATE_TEST_SUITE_P(BothGenerations, Extract, ::testing::Values(Generation::Classic, Generation::Current));

void ExpectStill(const AnimTrack& t) {
  ExpectNear(t.referenceMatrix, kIdentity, 0.0f);
  ASSERT_EQ(Times(t), (std::vector<uint32_t>{0, 1}));
  ExpectNear(t.keys[0].matrix, kIdentity, 0.0f);
  ExpectNear(t.keys[1].matrix, kIdentity, 0.0f);
}

TEST_P(Extract, UnanimatedLimbsAndSingleKeysGiveTwoIdentityKeys) {
  sObject* o = Make(3, 10.0f);
  // Limb 1: one key of every kind; limb 2: a record without keys; limb 0: no record at all.
  sLimbAnim* one = subhost::AddLimbAnim(o, 1);
  subhost::AddPositionKey(one, 0, 5, 6, 7);
  subhost::AddScaleKey(one, 0, 2, 2, 2);
  AddRotY(one, 0, 40);
  subhost::AddMatrixKey(one, 0, T(1, 1, 1).m);
  subhost::AddLimbAnim(o, 2);
  uint32_t size = 0;
  AnimPtr a = Run(0, 10, &size);
  EXPECT_EQ(size, 36u + 3 * (68 + 2 * 68));
  ASSERT_EQ(a->limbCount, 3u);
  for (uint32_t i = 0; i < 3; ++i) ExpectStill(a->tracks[i]);
}

TEST_P(Extract, NoAnimationDataGivesAnEmptyFileThatLoads) {
  for (float total : {0.0f, -4.0f, NAN}) {
    sObject* o = Make(3, total);
    subhost::AddMatrixKey(subhost::AddLimbAnim(o, 1), 5, kIdentity.m);  // never followed
    uint32_t size = 0;
    AnimPtr a = Run(0, kExtractToEnd, &size);
    EXPECT_EQ(size, 36u);
    EXPECT_EQ(a->limbCount, 0u);
    EXPECT_EQ(a->tracks, nullptr);
  }
}

TEST(ExtractUndecided, AnObjectOfUndecidedGenerationReadsAsUnanimated) {
  subhost::Reset();
  sObject* o = subhost::MakeObject(1, 2);
  subhost::SetTotalAnimFrames(o, 30.0f);
  subhost::AddMatrixKey(subhost::AddLimbAnim(o, 1), 5, kIdentity.m);
  const HostObject obj = {o, nullptr, 1};
  uint32_t size = 0;
  ExtractAnimationFile(obj, nullptr, &size, 0, kExtractToEnd);
  EXPECT_EQ(size, 36u);
}

// Matrix keys of limb 1, translations along x only (so a blend is the linear blend of x):
//
//   time   0     10     20     30
//   x      0    100     50    400
//
// The limb's local matrix is a translation by (1, 2, 3): every written key is multiplied on the
// left by its inverse, i.e. moved by (-1, -2, -3).
sObject* MatrixLimb(sObject* o) {
  subhost::Limb(o, 1)->localMatrix[12] = 1;
  subhost::Limb(o, 1)->localMatrix[13] = 2;
  subhost::Limb(o, 1)->localMatrix[14] = 3;
  sLimbAnim* a = subhost::AddLimbAnim(o, 1);
  const float xs[] = {0, 100, 50, 400};
  for (uint32_t k = 0; k < 4; ++k) subhost::AddMatrixKey(a, 10 * k, T(xs[k], 0, 0).m);
  return o;
}

TEST_P(Extract, MatrixKeysInsideARangeAreShiftedAndBracketedByBlends) {
  MatrixLimb(Make(2, 30.0f));
  // Start 5 and End 25: blend of keys 0 and 1 at 0.5, keys 10 and 20, blend of 20 and 30 at 0.5.
  AnimPtr a = Run(5, 25);
  ASSERT_EQ(a->limbCount, 2u);
  ExpectStill(a->tracks[0]);
  const AnimTrack& t = a->tracks[1];
  ExpectNear(t.referenceMatrix, T(-1, -2, -3), 0.0f);
  EXPECT_EQ(Times(t), (std::vector<uint32_t>{0, 5, 15, 20}));
  EXPECT_EQ(Xs(t), (std::vector<float>{50 - 1, 100 - 1, 50 - 1, 225 - 1}));
  for (uint32_t k = 0; k < t.keyCount; ++k) ExpectNear(t.keys[k].matrix, T(t.keys[k].matrix.m[12], -2, -3), 0.0f);
}

TEST_P(Extract, RangeEndsOnKeyTimesWriteNoKeyTwiceAndLoseNone) {
  MatrixLimb(Make(2, 30.0f));
  {
    AnimPtr a = Run(10, 20);  // keys 10 and 20 exactly: two keys, nothing between
    EXPECT_EQ(Times(a->tracks[1]), (std::vector<uint32_t>{0, 10}));
    EXPECT_EQ(Xs(a->tracks[1]), (std::vector<float>{99, 49}));
  }
  {
    AnimPtr a = Run(0, 30);  // the whole animation: every key once
    EXPECT_EQ(Times(a->tracks[1]), (std::vector<uint32_t>{0, 10, 20, 30}));
    EXPECT_EQ(Xs(a->tracks[1]), (std::vector<float>{-1, 99, 49, 399}));
  }
  {
    AnimPtr a = Run(10, 25);  // key 10 opens the range, key 20 lies inside
    EXPECT_EQ(Times(a->tracks[1]), (std::vector<uint32_t>{0, 10, 15}));
    EXPECT_EQ(Xs(a->tracks[1]), (std::vector<float>{99, 49, 224}));
  }
}

TEST_P(Extract, BlendsSlerpTheRotation) {
  // Keys at 0 (identity) and 10 (a quarter turn about Y, moved 10 along x); Start 5 lies halfway.
  sObject* o = Make(2, 10.0f);
  sLimbAnim* a = subhost::AddLimbAnim(o, 1);
  subhost::AddMatrixKey(a, 0, kIdentity.m);
  subhost::AddMatrixKey(a, 10, Mul(RotY(90), T(10, 0, 0)).m);
  AnimPtr r = Run(5, 10);
  ExpectNear(r->tracks[1].keys[0].matrix, Mul(RotY(45), T(5, 0, 0)));
  ExpectNear(r->tracks[1].keys[1].matrix, Mul(RotY(90), T(10, 0, 0)), 0.0f);
}

TEST_P(Extract, ToEndRuleTakesEachLimbToItsOwnLastKey) {
  // Limb 1 ends at 30 (MatrixLimb); limb 2 ends at 12:   time 0 -> x 0,  time 12 -> x 120.
  sObject* o = MatrixLimb(Make(3, 30.0f));
  sLimbAnim* b = subhost::AddLimbAnim(o, 2);
  subhost::AddMatrixKey(b, 0, T(0, 0, 0).m);
  subhost::AddMatrixKey(b, 12, T(120, 0, 0).m);
  {
    AnimPtr a = Run(0, kExtractToEnd);
    EXPECT_EQ(Times(a->tracks[1]), (std::vector<uint32_t>{0, 10, 20, 30}));
    EXPECT_EQ(Times(a->tracks[2]), (std::vector<uint32_t>{0, 12}));
    EXPECT_EQ(Xs(a->tracks[2]), (std::vector<float>{0, 120}));
  }
  {
    // From frame 6: limb 2 runs from its pose at 6 to its end; from 20 it has ended before the
    // range opens and holds its last pose.
    AnimPtr a = Run(6, kExtractToEnd);
    EXPECT_EQ(Times(a->tracks[2]), (std::vector<uint32_t>{0, 6}));
    EXPECT_EQ(Xs(a->tracks[2]), (std::vector<float>{60, 120}));
    AnimPtr c = Run(20, kExtractToEnd);
    EXPECT_EQ(Times(c->tracks[1]), (std::vector<uint32_t>{0, 10}));
    EXPECT_EQ(Times(c->tracks[2]), (std::vector<uint32_t>{0, 0}));
    EXPECT_EQ(Xs(c->tracks[2]), (std::vector<float>{120, 120}));
  }
}

TEST_P(Extract, RangeIsClampedToTheTotalFramesAndNeverRunsBackwards) {
  // Total frames 25.75: Start and End above it become 25.
  MatrixLimb(Make(2, 25.75f));
  {
    AnimPtr a = Run(5, 1000);
    EXPECT_EQ(Times(a->tracks[1]), (std::vector<uint32_t>{0, 5, 15, 20}));
    EXPECT_EQ(a->tracks[1].keys[3].matrix.m[12], 50 + 350 * 0.5f - 1);
  }
  {
    AnimPtr a = Run(4000000000u, 1000);  // both clamped: the pose at 25, twice at frame 0
    EXPECT_EQ(Times(a->tracks[1]), (std::vector<uint32_t>{0, 0}));
    EXPECT_EQ(Xs(a->tracks[1]), (std::vector<float>{224, 224}));
  }
  // Start above End, and negative Ends other than the to-end value: the pose at Start.
  for (int32_t end : {10, -5, INT32_MIN}) {
    AnimPtr a = Run(20, end);
    EXPECT_EQ(Times(a->tracks[1]), (std::vector<uint32_t>{0, 0})) << end;
    EXPECT_EQ(Xs(a->tracks[1]), (std::vector<float>{49, 49})) << end;
  }
}

// A limb animated by position, rotation and scale keys:
//
//   time       0          5          20
//   rotation   Y 30                  Y 90
//   position   (1,2,3)    (5,0,0)    (9,9,9)
//   scale      1                     2
//
// Its working track has matrix keys at 0, 5 and 20; at 5 the rotation is the slerp at 0.25 (Y 45)
// and the scale 1.25. K0 = RotY(30) * T(1,2,3), the reference is its inverse R, and every
// written key is R * K0 * M * R = M * R.
sLimbAnim* ResampledLimb(sObject* o) {
  sLimbAnim* a = subhost::AddLimbAnim(o, 1);
  AddRotY(a, 0, 30);
  AddRotY(a, 20, 90);
  subhost::AddPositionKey(a, 0, 1, 2, 3);
  subhost::AddPositionKey(a, 5, 5, 0, 0);
  subhost::AddPositionKey(a, 20, 9, 9, 9);
  subhost::AddScaleKey(a, 0, 1, 1, 1);
  subhost::AddScaleKey(a, 20, 2, 2, 2);
  return a;
}

Mat4 Scaled(float s, const Mat4& m) {
  Mat4 sm;
  MatScaling(&sm, s, s, s);
  return Mul(sm, m);
}

TEST_P(Extract, ResampledLimbTakesKeysFromEveryKindAndIsMadeRelativeToItsFirstPose) {
  ResampledLimb(Make(2, 20.0f));
  AnimPtr a = Run(0, 20);
  const AnimTrack& t = a->tracks[1];
  const Mat4 k0 = Mul(RotY(30), T(1, 2, 3));
  Mat4 r;
  MatInverse(&r, k0);
  ExpectNear(t.referenceMatrix, r);
  ASSERT_EQ(Times(t), (std::vector<uint32_t>{0, 5, 20}));
  ExpectNear(t.keys[0].matrix, kIdentity);  // K0 * R
  ExpectNear(t.keys[1].matrix, Mul(Scaled(1.25f, Mul(RotY(45), T(5, 0, 0))), r));
  ExpectNear(t.keys[2].matrix, Mul(Scaled(2, Mul(RotY(90), T(9, 9, 9))), r));
}

TEST_P(Extract, ResampledRangeClosesAtTheFirstKeyAfterEnd) {
  ResampledLimb(Make(2, 20.0f));
  const Mat4 k0 = Mul(RotY(30), T(1, 2, 3));
  Mat4 r;
  MatInverse(&r, k0);
  {
    // End on the key at 5: the last key is that key itself, written once.
    AnimPtr a = Run(0, 5);
    ASSERT_EQ(Times(a->tracks[1]), (std::vector<uint32_t>{0, 5}));
    ExpectNear(a->tracks[1].keys[1].matrix, Mul(Scaled(1.25f, Mul(RotY(45), T(5, 0, 0))), r));
  }
  {
    // To the end: the last rotation key (20); from 2 to it the key at 5 is the only middle key.
    AnimPtr a = Run(2, kExtractToEnd);
    EXPECT_EQ(Times(a->tracks[1]), (std::vector<uint32_t>{0, 3, 18}));
  }
}

TEST_P(Extract, AKindWhoseFirstKeyComesLateHoldsItUntilThen) {
  // Positions only from frame 10 on; rotations from 0 (identity) to 20 (identity):
  //   time       0          10         20
  //   rotation   I                     I
  //   position              (4,0,0)    (8,0,0)
  sObject* o = Make(2, 20.0f);
  sLimbAnim* a = subhost::AddLimbAnim(o, 1);
  AddRotY(a, 0, 0);
  AddRotY(a, 20, 0);
  subhost::AddPositionKey(a, 10, 4, 0, 0);
  subhost::AddPositionKey(a, 20, 8, 0, 0);
  AnimPtr r = Run(0, 20);
  const AnimTrack& t = r->tracks[1];
  // K0 is T(4,0,0): the keys are the positions relative to it.
  ExpectNear(t.referenceMatrix, T(-4, 0, 0));
  // The scale kind has no keys: its neutral keys at 0 and 1 add frame 1.
  ASSERT_EQ(Times(t), (std::vector<uint32_t>{0, 1, 10, 20}));
  ExpectNear(t.keys[0].matrix, kIdentity);
  ExpectNear(t.keys[1].matrix, kIdentity);
  ExpectNear(t.keys[2].matrix, kIdentity);
  ExpectNear(t.keys[3].matrix, T(4, 0, 0));
  // And a range inside the late kind's hold.
  AnimPtr s = Run(3, 7);
  ExpectNear(s->tracks[1].keys[0].matrix, kIdentity);
  ExpectNear(s->tracks[1].keys[1].matrix, kIdentity);
}

TEST_P(Extract, AllKeysAtOneTimeStillGiveASoundTrack) {
  sObject* o = Make(2, 10.0f);
  sLimbAnim* a = subhost::AddLimbAnim(o, 1);
  subhost::AddPositionKey(a, 0, 1, 0, 0);
  subhost::AddPositionKey(a, 0, 2, 0, 0);
  subhost::AddRotationKey(a, 0, 0, 0, 0, 1);
  subhost::AddRotationKey(a, 0, 0, 0, 0, 1);
  subhost::AddScaleKey(a, 0, 1, 1, 1);
  subhost::AddScaleKey(a, 0, 1, 1, 1);
  AnimPtr r = Run(0, kExtractToEnd);
  EXPECT_EQ(Times(r->tracks[1]), (std::vector<uint32_t>{0, 0}));
}

TEST_P(Extract, WrittenFileLoadsBack) {
  sObject* o = MatrixLimb(Make(3, 30.0f));
  ResampledLimb(o);  // drives limb 1 too: the first record found (the matrix keys) wins
  char path[] = "/tmp/xamovel-extract-XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  HostObject obj;
  ASSERT_TRUE(HostGetObject(1, &obj));
  ASSERT_TRUE(ExtractAnimationToFile(obj, path, 5, 25));
  AnimPtr loaded(AnimLoadFile(path));
  AnimPtr direct = Run(5, 25);
  remove(path);
  ASSERT_EQ(loaded->limbCount, 3u);
  EXPECT_EQ(loaded->totalFrames, 20.0f);  // the last key of limb 1
  EXPECT_EQ(Times(loaded->tracks[1]), Times(direct->tracks[1]));
  EXPECT_EQ(Xs(loaded->tracks[1]), Xs(direct->tracks[1]));
}

class ExtractCommand : public PluginTest, public ::testing::WithParamInterface<Generation> {};
INSTANTIATE_TEST_SUITE_P(BothGenerations, ExtractCommand,
                         ::testing::Values(Generation::Classic, Generation::Current));

TEST_P(ExtractCommand, WritesAFileThatLoadsAndNothingForAMissingObject) {
  sObject* o = subhost::MakeObject(4, 3, GetParam());
  subhost::SetTotalAnimFrames(o, 30.0f);
  MatrixLimb(o);
  std::string path = TempPath("x.anim");
  x.Xamo_ObjExtractAnimation(4, &path[0], 0, kExtractToEnd);
  AnimPtr a(AnimLoadFile(path.c_str()));
  ASSERT_EQ(a->limbCount, 3u);
  EXPECT_EQ(Times(a->tracks[1]), (std::vector<uint32_t>{0, 10, 20, 30}));
  ExpectStill(a->tracks[2]);

  std::string none = TempPath("none.anim");
  x.Xamo_ObjExtractAnimation(5, &none[0], 0, kExtractToEnd);
  EXPECT_EQ(fopen(none.c_str(), "rb"), nullptr);
  x.Xamo_ObjExtractAnimation(4, nullptr, 0, kExtractToEnd);  // no name: nothing, quietly
}

}  // namespace
