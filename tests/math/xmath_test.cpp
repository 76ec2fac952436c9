#include "math/xmath.h"

#include <gtest/gtest.h>
#include <math.h>

#include "support/anim_builders.h"

namespace {

using testanim::ExpectNear;
using testanim::Translated;

Mat4 Rot(int axis, float degrees) {
  Mat4 r;
  const float a = DegToRad(degrees);
  if (axis == 0) MatRotationX(&r, a);
  if (axis == 1) MatRotationY(&r, a);
  if (axis == 2) MatRotationZ(&r, a);
  return r;
}

TEST(Math, RotationsFollowRowVectorConvention) {
  // At 90 degrees: Z rows (c,s,0), (-s,c,0), (0,0,1), so a point on X lands on Y (point times
  // matrix); Y rows (c,0,-s), (0,1,0), (s,0,c); X rows (1,0,0), (0,c,s), (0,-s,c).
  ExpectNear(Rot(2, 90), Mat4{{0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}, 1e-6f);
  ExpectNear(Rot(1, 90), Mat4{{0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1}}, 1e-6f);
  ExpectNear(Rot(0, 90), Mat4{{1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1}}, 1e-6f);
}

TEST(Math, MultiplyAppliesLeftOperandFirstAndMayAlias) {
  Mat4 t, out;
  MatTranslation(&t, 1, 2, 3);
  const Mat4 r = Rot(2, 90);
  MatMultiply(&out, r, t);  // rotate, then move: translation row stays (1, 2, 3)
  ExpectNear(out, Translated(r, 1, 2, 3), 1e-6f);
  MatMultiply(&out, t, r);  // move, then rotate: (1, 2, 3) turned about Z is (-2, 1, 3)
  ExpectNear(out, Translated(r, -2, 1, 3), 1e-6f);
  Mat4 alias = t;
  MatMultiply(&alias, alias, r);
  ExpectNear(alias, out, 0);
}

TEST(Math, InverseUndoesACompositeAndSingularGivesIdentity) {
  const float s[3] = {2, 3, 4}, deg[3] = {10, 20, 30}, off[3] = {5, -6, 7};
  Mat4 m, inv, prod;
  MatCompose(&m, s, deg, off);
  MatInverse(&inv, m);
  MatMultiply(&prod, m, inv);
  ExpectNear(prod, kIdentity, 1e-5f);
  Mat4 zero = {};
  MatInverse(&inv, zero);
  ExpectNear(inv, kIdentity, 0);
}

TEST(Math, QuaternionRoundTripsThroughEveryBranchAndInvertsAsConjugateOverNorm) {
  // Small angles take the trace branch; 180-degree turns take the largest-diagonal branches.
  const float cases[][2] = {{0, 30}, {1, 170}, {2, -45}, {0, 180}, {1, 180}, {2, 180}};
  for (const auto& c : cases) {
    const Mat4 r = Rot(static_cast<int>(c[0]), c[1]);
    Quat q;
    QuatFromMatrix(&q, r);
    EXPECT_NEAR(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w, 1.0f, 1e-5f);
    Mat4 back;
    MatFromQuat(&back, q);
    ExpectNear(back, r, 1e-5f);
  }
  Quat q = {1, 2, 3, 4}, inv;
  QuatInverse(&inv, q);
  EXPECT_FLOAT_EQ(inv.x, -1.0f / 30);
  EXPECT_FLOAT_EQ(inv.w, 4.0f / 30);
}

TEST(Math, SlerpTakesShortestPathAndIsStableForNearlyEqual) {
  Quat a, b, out;
  QuatFromMatrix(&a, kIdentity);
  QuatFromMatrix(&b, Rot(1, 90));
  QuatSlerp(&out, a, b, 0.5f);
  Mat4 m;
  MatFromQuat(&m, out);
  ExpectNear(m, Rot(1, 45), 1e-5f);
  // The same rotation given with the opposite sign still turns the short way.
  const Quat negB = {-b.x, -b.y, -b.z, -b.w};
  QuatSlerp(&out, a, negB, 0.5f);
  MatFromQuat(&m, out);
  ExpectNear(m, Rot(1, 45), 1e-5f);
  // Nearly equal: no division by a vanishing sine.
  const Quat c = {0, 1e-6f, 0, 1};
  QuatSlerp(&out, a, c, 0.3f);
  EXPECT_TRUE(isfinite(out.x) && isfinite(out.y) && isfinite(out.w));
  EXPECT_NEAR(out.w, 1, 1e-6);
}

TEST(Math, ComposeScalesThenRotatesXYZThenTranslates) {
  const float s[3] = {2, 2, 2}, deg[3] = {0, 0, 90}, off[3] = {1, 2, 3};
  Mat4 m;
  MatCompose(&m, s, deg, off);
  // The point (1, 0, 0): scaled to (2, 0, 0), turned to (0, 2, 0), moved to (1, 4, 3).
  ExpectNear(m, Mat4{{0, 2, 0, 0, -2, 0, 0, 0, 0, 0, 2, 0, 1, 2, 3, 1}}, 1e-6f);
  EXPECT_FLOAT_EQ(MatRowLength(m, 0), 2.0f);
  EXPECT_EQ(DegToRad(180.0f), static_cast<float>(180.0f * 0.01745329238474369));
}

}  // namespace
