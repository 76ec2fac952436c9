// Turning a limb to global angles, on a host object directly and through a controller, and the
// controller's global limb matrices.
#include "oac/oac_helpers.h"

namespace {

using namespace oactest;

class OacRotation : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    o = Tree(1, {-1, 0, 1});
  }
  sObject* o;
};

TEST_F(OacRotation, ObjectFormKeepsTranslationsControllerFormDropsThem) {
  SetMatrix(subhost::Limb(o, 1)->combinedMatrix, Move(1, 2, 3));
  x.Xamo_ObjGlobalRotateLimb(1, 2, 90, 0, 0);
  ExpectNear(AnimMatrix(o, 2), Mul(RotX(90), Move(-1, -2, -3)));
  // Through a controller: the held pose of the limb, shown by the next update.
  const uint32_t c = x.Xamo_oacCreate(1);
  x.Xamo_oacGlobalRotateLimb(c, 2, 90, 0, 0);
  x.Xamo_oacUpdate(c, 0);
  ExpectNear(AnimMatrix(o, 2), RotX(90));
  EXPECT_NEAR(x.Xamo_oacGetLimbRotX(c, 2), 90.0, 1e-4);
  // The limb's own localMatrix is undone: on the left in the object form, on the right (without
  // its translation) in the controller form.
  SetMatrix(subhost::Limb(o, 2)->localMatrix, Mul(RotX(30), Move(0, 4, 0)));
  x.Xamo_ObjGlobalRotateLimb(1, 2, 90, 0, 0);
  ExpectNear(AnimMatrix(o, 2), Mul(Mul(Move(0, -4, 0), RotX(60)), Move(-1, -2, -3)));
  x.Xamo_oacGlobalRotateLimb(c, 2, 90, 0, 0);
  x.Xamo_oacUpdate(c, 0);
  ExpectNear(AnimMatrix(o, 2), RotX(60));
}

TEST_F(OacRotation, RootsUseLimb0AndBadLimbsChangeNothing) {
  SetMatrix(subhost::Limb(o, 0)->combinedMatrix, Move(0, 0, 8));
  x.Xamo_ObjGlobalRotateLimb(1, 0, 0, 0, 45);  // limb 0 takes its own combined matrix as P
  ExpectNear(AnimMatrix(o, 0), Mul(RotZ(45), Move(0, 0, -8)));
  const Mat4 before = AnimMatrix(o, 2);
  x.Xamo_ObjGlobalRotateLimb(1, 3, 0, 0, 45);
  EXPECT_TRUE(SameMatrix(AnimMatrix(o, 2), before));
  const uint32_t c = x.Xamo_oacCreate(1);
  x.Xamo_oacGlobalRotateLimb(c, 3, 0, 0, 45);
  x.Xamo_oacUpdate(c, 0);  // every held pose is still the identity
  for (uint32_t i = 0; i < 3; ++i) EXPECT_TRUE(SameMatrix(AnimMatrix(o, i), kIdentity)) << i;
  // A playing limb replaces the turned pose with its sampled one.
  const uint32_t z = LoadAnim(x, TempPath("z.anim"), std::vector<Track>(3, ZTrack({0, 10, 20})));
  x.Xamo_oacGlobalRotateLimb(c, 2, 0, 90, 0);
  x.Xamo_oacPlayAnim(c, 2, z, 0, 10, 20, 1, 1);
  x.Xamo_oacUpdate(c, 0);
  ExpectNear(AnimMatrix(o, 2), RotZ(10));
}

TEST_F(OacRotation, GlobalQueriesCombineTheChainAsTheHostDoes) {
  // Limb 0 -> 1 -> 2, each with its own localMatrix, limb 0 turned about Z by its limb rotation.
  SetMatrix(subhost::Limb(o, 0)->localMatrix, Move(0, 10, 0));
  SetMatrix(subhost::Limb(o, 1)->localMatrix, Move(1, 0, 0));
  SetMatrix(subhost::Limb(o, 2)->localMatrix, Move(0, 0, 1));
  subhost::Limb(o, 0)->limbRotation[2] = 90;
  subhost::Limb(o, 1)->limbOffset[2] = 2;
  const uint32_t c = x.Xamo_oacCreate(1);
  EXPECT_NEAR(x.Xamo_oacGetLimbGlobalPosY(c, 2), 10.0, 1e-5);  // nothing written yet: the host chain
  x.Xamo_oacUpdate(c, 0);
  // Limb 1: (0, 0, 2) moved by (1, 0, 0), then turned by limb 0 and moved by (0, 10, 0).
  EXPECT_NEAR(x.Xamo_oacGetLimbGlobalPosX(c, 1), 0.0, 1e-5);
  EXPECT_NEAR(x.Xamo_oacGetLimbGlobalPosY(c, 1), 11.0, 1e-5);
  EXPECT_NEAR(x.Xamo_oacGetLimbGlobalPosZ(c, 1), 2.0, 1e-5);
  EXPECT_NEAR(x.Xamo_oacGetLimbGlobalRotZ(c, 1), 90.0, 1e-4);
  EXPECT_NEAR(x.Xamo_oacGetLimbGlobalPosZ(c, 2), 3.0, 1e-5);
  EXPECT_NEAR(x.Xamo_oacGetLimbGlobalPosY(c, 0), 10.0, 1e-5);
  EXPECT_EQ(x.Xamo_oacGetLimbGlobalRotX(c, 3), 0.0);
  EXPECT_EQ(x.Xamo_oacGetLimbRotZ(c, 1), 0.0);  // the local matrix has no rotation of its own
}

}  // namespace
