// Reading keys back: Euler decomposition, scale, position, and the query commands.
#include <math.h>

#include "anim/animquery.h"
#include "anim/euler.h"
#include "support/anim_builders.h"
#include "support/plugin_fixture.h"

namespace {

using namespace testanim;

void ExpectAngles(const Mat4& m, float x, float y, float z, const char* what) {
  const EulerAngles e = MatrixToEuler(m);
  EXPECT_NEAR(e.x, x, 2e-4) << what;
  EXPECT_NEAR(e.y, y, 2e-4) << what;
  EXPECT_NEAR(e.z, z, 2e-4) << what;
}

TEST(MatrixToEuler, RecoversTheAnglesOfXThenYThenZ) {
  ExpectAngles(kIdentity, 0, 0, 0, "identity");
  ExpectAngles(Compose(1, 1, 1, 0, 30, 0), 0, 30, 0, "Y 30");
  ExpectAngles(Compose(1, 1, 1, 90, 0, 0), 90, 0, 0, "X 90");
  ExpectAngles(Compose(1, 1, 1, 0, 0, -45), 0, 0, -45, "Z -45");
  ExpectAngles(Compose(1, 1, 1, 20, -35, 50), 20, -35, 50, "all three");
  ExpectAngles(Compose(1, 1, 1, 120, 10, -150), 120, 10, -150, "X and Z past 90");
  // Uniform scale keeps the ratios of X and Z; the translation is not read.
  ExpectAngles(Compose(0.5f, 0.5f, 0.5f, 20, 0, 50, 7, 8, 9), 20, 0, 50, "scaled by 0.5");
}

TEST(MatrixToEuler, M13OutsideTheUnitRangeGivesM13Times90Degrees) {
  Mat4 m = kIdentity;
  m.m[2] = 1.5f;
  ExpectAngles(m, 0, 135, 0, "m13 = 1.5: not negated");
  m.m[2] = -1.5f;
  ExpectAngles(m, 0, -135, 0, "m13 = -1.5");
  // Exactly 1 still takes the arcsine: -90, where the other branch would give +90.
  m.m[2] = 1.0f;
  ExpectAngles(m, 0, -90, 0, "m13 = 1");
  // A scaled rotation is read as it stands: S(2) * Ry(40) has m13 = -2 sin 40 < -1.
  const Mat4 scaled = Compose(2, 2, 2, 0, 40, 0);
  ExpectAngles(scaled, 0, scaled.m[2] * 90.0f, 0, "scaled Y rotation");
  // A NaN m13 takes the arcsine branch: X and Z are still read.
  m = Compose(1, 1, 1, 30, 0, 0);
  m.m[2] = NAN;
  const EulerAngles e = MatrixToEuler(m);
  EXPECT_NEAR(e.x, 30.0f, 1e-4);
  EXPECT_TRUE(isnan(e.y));
  EXPECT_EQ(e.z, 0.0f);
}

TEST(AnimQuery, TotalFramesAsAWholeNumber) {
  AnimData* a = Make({At({}), At({0, 0xFFFFFFFFu})});
  EXPECT_EQ(a->totalFrames, 4294967296.0f);  // the float nearest 2^32 - 1
  EXPECT_EQ(AnimTotalFramesWhole(a), 0xFFFFFFFFu);
  a->totalFrames = 120.75f;
  EXPECT_EQ(AnimTotalFramesWhole(a), 120u);
  a->totalFrames = -3.0f;
  EXPECT_EQ(AnimTotalFramesWhole(a), 0u);
  a->totalFrames = NAN;
  EXPECT_EQ(AnimTotalFramesWhole(a), 0u);
  AnimFree(a);
}

using AnimQueryCommands = PluginTest;

TEST_F(AnimQueryCommands, KeysReadBackAsTimePositionScaleAndAngles) {
  // Track 1: key 0 identity at 0; key 1 scaled (2, 3, 4) then turned, at 120; key 2 turned and
  // moved, at 200. Total frames 200.
  AnimData* a = Make({At({}), {{0, kIdentity},
                               {120, Compose(2, 3, 4, 15, 25, 35)},
                               {200, Compose(1, 1, 1, -60, 45, 170, 1.5f, -2.5f, 3.25f)}}});
  const std::string path = TempPath("query.xamo");
  ASSERT_TRUE(AnimSaveFile(a, path.c_str()));
  AnimFree(a);
  const uint32_t id = x.Xamo_AnimLoad(const_cast<char*>(path.c_str()));
  EXPECT_EQ(x.Xamo_AnimGetTotalLimbs(id), 2u);
  EXPECT_EQ(x.Xamo_AnimGetTotalFrames(id), 200u);
  EXPECT_EQ(x.Xamo_AnimGetLimbKeys(id, 0), 0u);
  EXPECT_EQ(x.Xamo_AnimGetLimbKeys(id, 1), 3u);
  EXPECT_EQ(x.Xamo_AnimGetLimbKeyTime(id, 1, 1), 120u);

  EXPECT_EQ(x.Xamo_AnimGetKeyScaleX(id, 1, 0), 1.0);
  EXPECT_EQ(x.Xamo_AnimGetKeyRotY(id, 1, 0), 0.0);
  EXPECT_NEAR(x.Xamo_AnimGetKeyScaleX(id, 1, 1), 2.0, 1e-6);
  EXPECT_NEAR(x.Xamo_AnimGetKeyScaleY(id, 1, 1), 3.0, 1e-6);
  EXPECT_NEAR(x.Xamo_AnimGetKeyScaleZ(id, 1, 1), 4.0, 1e-6);
  EXPECT_NEAR(x.Xamo_AnimGetKeyRotX(id, 1, 2), -60.0, 2e-4);
  EXPECT_NEAR(x.Xamo_AnimGetKeyRotY(id, 1, 2), 45.0, 2e-4);
  EXPECT_NEAR(x.Xamo_AnimGetKeyRotZ(id, 1, 2), 170.0, 2e-4);
  EXPECT_EQ(x.Xamo_AnimGetKeyPosX(id, 1, 2), 1.5);
  EXPECT_EQ(x.Xamo_AnimGetKeyPosY(id, 1, 2), -2.5);
  EXPECT_EQ(x.Xamo_AnimGetKeyPosZ(id, 1, 2), 3.25);

  // Out of range (limb = limb count, key = key count) and dead handles answer 0.
  const uint32_t dead = 0xDEAD0000u;
  typedef double (*KeyQuery)(uint32_t, uint32_t, uint32_t);
  const KeyQuery queries[] = {x.Xamo_AnimGetKeyRotX,   x.Xamo_AnimGetKeyRotY,   x.Xamo_AnimGetKeyRotZ,
                              x.Xamo_AnimGetKeyPosX,   x.Xamo_AnimGetKeyPosY,   x.Xamo_AnimGetKeyPosZ,
                              x.Xamo_AnimGetKeyScaleX, x.Xamo_AnimGetKeyScaleY, x.Xamo_AnimGetKeyScaleZ};
  for (KeyQuery q : queries) {
    EXPECT_EQ(q(id, 1, 3), 0.0);
    EXPECT_EQ(q(id, 2, 0), 0.0);
    EXPECT_EQ(q(id, 0, 0), 0.0);
    EXPECT_EQ(q(dead, 1, 1), 0.0);
  }
  EXPECT_EQ(x.Xamo_AnimGetLimbKeyTime(id, 1, 3), 0u);
  EXPECT_EQ(x.Xamo_AnimGetLimbKeyTime(id, 2, 0), 0u);
  EXPECT_EQ(x.Xamo_AnimGetLimbKeys(id, 2), 0u);
  EXPECT_EQ(x.Xamo_AnimGetTotalFrames(dead), 0u);
  EXPECT_EQ(x.Xamo_AnimGetPlaySpeed(dead), 0.0);
  x.Xamo_AnimSetPlaySpeed(dead, 9.0f);

  x.Xamo_AnimSetPlaySpeed(id, 0.1f);
  EXPECT_EQ(x.Xamo_AnimGetPlaySpeed(id), static_cast<double>(0.1f));
  x.Xamo_AnimDelete(id);
}

}  // namespace
