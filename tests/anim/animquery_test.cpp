// Reading keys back: Euler decomposition, scale, position, and the query commands.
#include <math.h>

#include "anim/animquery.h"
#include "anim/euler.h"
#include "support/anim_builders.h"
#include "support/plugin_fixture.h"

namespace {

using namespace testanim;

Mat4 WithM13(Mat4 m, float m13) { m.m[2] = m13; return m; }

TEST(MatrixToEuler, RecoversXThenYThenZAndReadsM13OutsideTheUnitRangeAsItStands) {
  const Mat4 scaledY = Compose(2, 2, 2, 0, 40, 0);  // m13 = -2 sin 40 < -1
  const struct { Mat4 m; float x, y, z; } cases[] = {
      {kIdentity, 0, 0, 0},
      {Compose(1, 1, 1, 0, 30, 0), 0, 30, 0},
      {Compose(1, 1, 1, 90, 0, 0), 90, 0, 0},
      {Compose(1, 1, 1, 0, 0, -45), 0, 0, -45},
      {Compose(1, 1, 1, 20, -35, 50), 20, -35, 50},
      {Compose(1, 1, 1, 120, 10, -150), 120, 10, -150},
      {Compose(0.5f, 0.5f, 0.5f, 20, 0, 50, 7, 8, 9), 20, 0, 50},  // uniform scale; translation not read
      {WithM13(Compose(1, 1, 1, 30, 0, 0), 1.5f), 0, 135, 0},        // m13 * 90, not negated; X and Z 0
      {WithM13(kIdentity, -1.5f), 0, -135, 0},
      {WithM13(kIdentity, 1.0f), 0, -90, 0},  // exactly 1 still takes the arcsine
      {scaledY, 0, scaledY.m[2] * 90.0f, 0},
  };
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    const EulerAngles e = MatrixToEuler(cases[i].m);
    EXPECT_NEAR(e.x, cases[i].x, 2e-4) << "case " << i;
    EXPECT_NEAR(e.y, cases[i].y, 2e-4) << "case " << i;
    EXPECT_NEAR(e.z, cases[i].z, 2e-4) << "case " << i;
  }
  // A NaN m13 takes the arcsine branch: X and Z are still read.
  const EulerAngles e = MatrixToEuler(WithM13(Compose(1, 1, 1, 30, 0, 0), NAN));
  EXPECT_NEAR(e.x, 30.0f, 1e-4);
  EXPECT_TRUE(isnan(e.y));
  EXPECT_EQ(e.z, 0.0f);
}

TEST(AnimQuery, TotalFramesAreTheLargestLaterKeyTimeReadAsAWholeNumber) {
  AnimPtr a(Make({At({}), At({0, 5}), At({0, 0xFFFFFFFFu})}));
  EXPECT_EQ(a->totalFrames, 4294967296.0f);  // the float nearest 2^32 - 1: the largest over tracks 1 and up
  const struct { float total; uint32_t whole; } cases[] = {
      {4294967296.0f, 0xFFFFFFFFu}, {120.75f, 120}, {-3.0f, 0}, {NAN, 0}};
  for (const auto& c : cases) {
    a->totalFrames = c.total;
    EXPECT_EQ(AnimTotalFramesWhole(a.get()), c.whole) << c.total;
  }
}

using AnimQueryCommands = PluginTest;

// Every query answers 0 out of range (limb = limb count, key = key count) and on a dead handle;
// the editing commands refuse a dead handle with their codes.
TEST_F(AnimQueryCommands, KeysReadBackAsTimePositionScaleAndAnglesAndEditThroughTheExports) {
  // Track 1: identity at 0; scaled (2, 3, 4) then turned, at 120; turned and moved, at 200.
  AnimData* a = Make({At({}), {{0, kIdentity},
                               {120, Compose(2, 3, 4, 15, 25, 35)},
                               {200, Compose(1, 1, 1, -60, 45, 170, 1.5f, -2.5f, 3.25f)}}});
  const std::string path = TempPath("query.xamo");
  ASSERT_TRUE(AnimSaveFile(a, path.c_str()));
  AnimFree(a);
  const uint32_t id = x.Xamo_AnimLoad(const_cast<char*>(path.c_str())), dead = 0xDEAD0000u;
  EXPECT_EQ(x.Xamo_AnimGetTotalLimbs(id), 2u);
  EXPECT_EQ(x.Xamo_AnimGetTotalFrames(id), 200u);
  EXPECT_EQ(x.Xamo_AnimGetLimbKeys(id, 0), 0u);
  EXPECT_EQ(x.Xamo_AnimGetLimbKeys(id, 1), 3u);
  EXPECT_EQ(x.Xamo_AnimGetLimbKeyTime(id, 1, 1), 120u);
  typedef double (*KeyQuery)(uint32_t, uint32_t, uint32_t);
  const struct { KeyQuery q; uint32_t key; double want, tol; } reads[] = {
      {x.Xamo_AnimGetKeyScaleX, 1, 2, 1e-6},   {x.Xamo_AnimGetKeyScaleY, 1, 3, 1e-6},
      {x.Xamo_AnimGetKeyScaleZ, 1, 4, 1e-6},   {x.Xamo_AnimGetKeyRotX, 2, -60, 2e-4},
      {x.Xamo_AnimGetKeyRotY, 2, 45, 2e-4},    {x.Xamo_AnimGetKeyRotZ, 2, 170, 2e-4},
      {x.Xamo_AnimGetKeyPosX, 2, 1.5, 0},      {x.Xamo_AnimGetKeyPosY, 2, -2.5, 0},
      {x.Xamo_AnimGetKeyPosZ, 2, 3.25, 0},
  };
  for (size_t i = 0; i < sizeof reads / sizeof reads[0]; ++i) {
    const auto& r = reads[i];
    EXPECT_NEAR(r.q(id, 1, r.key), r.want, r.tol) << "read " << i;
    EXPECT_EQ(r.q(id, 1, 3) + r.q(id, 2, 0) + r.q(id, 0, 0) + r.q(dead, 1, 1), 0.0) << "read " << i;
  }
  EXPECT_EQ(x.Xamo_AnimGetLimbKeyTime(id, 1, 3) + x.Xamo_AnimGetLimbKeyTime(id, 2, 0), 0u);
  EXPECT_EQ(x.Xamo_AnimGetLimbKeys(id, 2) + x.Xamo_AnimGetTotalFrames(dead), 0u);
  EXPECT_EQ(x.Xamo_AnimGetPlaySpeed(dead), 0.0);
  x.Xamo_AnimSetPlaySpeed(dead, 9.0f);
  x.Xamo_AnimSetPlaySpeed(id, 0.1f);
  EXPECT_EQ(x.Xamo_AnimGetPlaySpeed(id), static_cast<double>(0.1f));
  // Edits: a key appended at 250, moved to 260, key 1 deleted; then key 2 rebuilt part by part.
  EXPECT_EQ(x.Xamo_AnimInsertKey(id, 1, 250), 3);
  EXPECT_EQ(x.Xamo_AnimGetTotalFrames(id), 250u);
  EXPECT_EQ(x.Xamo_AnimModifyKeyTime(id, 1, 3, 260), 0);
  EXPECT_EQ(x.Xamo_AnimGetLimbKeyTime(id, 1, 3), 260u);
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
  for (uint32_t gone : {id, dead}) {
    EXPECT_EQ(x.Xamo_AnimDeleteKey(gone, 1, 1), -1);
    EXPECT_EQ(x.Xamo_AnimInsertKey(gone, 1, 5), 0);
    EXPECT_EQ(x.Xamo_AnimModifyKeyTime(gone, 1, 1, 5), -1);
    x.Xamo_AnimModifyKeyRot(gone, 1, 1, 1, 2, 3);
  }
}

}  // namespace
