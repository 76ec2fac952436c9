#include "math/xmath.h"

#include <gtest/gtest.h>
#include <math.h>

#include "support/anim_builders.h"

namespace {

using testanim::Compose;
using testanim::ExpectNear;
using testanim::Mul;
using testanim::Translated;

Mat4 Rot(int axis, float degrees) {  // about X, Y or Z
  void (*const turn[3])(Mat4*, float) = {MatRotationX, MatRotationY, MatRotationZ};
  Mat4 r;
  turn[axis](&r, DegToRad(degrees));
  return r;
}
Mat4 Inverse(const Mat4& a) { Mat4 m; MatInverse(&m, a); return m; }

// Row vectors, a point times the matrix: at 90 degrees Z rows (c,s,0), (-s,c,0), (0,0,1), so a
// point on X lands on Y; Y rows (c,0,-s), (0,1,0), (s,0,c); X rows (1,0,0), (0,c,s), (0,-s,c). The
// left operand of a product acts first; translation is the fourth row.
TEST(Math, MatricesActOnRowVectorsAndTheLeftOperandFirst) {
  const Mat4 move = Translated(kIdentity, 1, 2, 3), turn = Rot(2, 90), any = Compose(2, 3, 4, 10, 20, 30, 5, -6, 7);
  const struct { const char* what; Mat4 got, want; float tol; } cases[] = {
      {"Z 90", turn, {{0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}, 1e-6f},
      {"Y 90", Rot(1, 90), {{0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1}}, 1e-6f},
      {"X 90", Rot(0, 90), {{1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1}}, 1e-6f},
      {"turn, then move: the translation row stays", Mul(turn, move), Translated(turn, 1, 2, 3), 1e-6f},
      {"move, then turn: (1, 2, 3) about Z is (-2, 1, 3)", Mul(move, turn), Translated(turn, -2, 1, 3), 1e-6f},
      // The point (1, 0, 0): scaled to (2, 0, 0), turned to (0, 2, 0), moved to (1, 4, 3).
      {"scale, turn, move", Compose(2, 2, 2, 0, 0, 90, 1, 2, 3),
       {{0, 2, 0, 0, -2, 0, 0, 0, 0, 0, 2, 0, 1, 2, 3, 1}}, 1e-6f},
      {"inverse of a composite", Mul(any, Inverse(any)), kIdentity, 1e-5f},
      {"inverse of a singular matrix", Inverse(Mat4{}), kIdentity, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ExpectNear(c.got, c.want, c.tol);
  }
  Mat4 alias = move;  // the result may be written over an operand
  MatMultiply(&alias, alias, turn);
  ExpectNear(alias, Mul(move, turn), 0);
  // Degrees times the single-precision pi / 180 as a double, rounded (0.3 tells it from the exact ratio).
  EXPECT_EQ(DegToRad(0.3f), static_cast<float>(0.3f * 0.01745329238474369));
}

// Small angles take the trace branch; larger turns about each axis the largest-diagonal branches.
// The inverse is the conjugate over the squared norm; slerp takes the short way.
TEST(Math, QuaternionsRoundTripThroughEveryBranchInvertAndSlerpTheShortWay) {
  for (int axis = 0; axis < 3; ++axis)
    for (float degrees : {30.0f, -45.0f, 170.0f, 180.0f}) {
      const Mat4 r = Rot(axis, degrees);
      Quat q;
      Mat4 back;
      QuatFromMatrix(&q, r);
      MatFromQuat(&back, q);
      ExpectNear(back, r, 1e-5f);
    }
  Quat q = {1, 2, 3, 4}, inv, a, b, out;
  QuatInverse(&inv, q);
  EXPECT_FLOAT_EQ(inv.x, -1.0f / 30);
  EXPECT_FLOAT_EQ(inv.w, 4.0f / 30);
  QuatFromMatrix(&a, kIdentity);
  QuatFromMatrix(&b, Rot(1, 90));
  // The same rotation given with the opposite sign still turns the short way.
  for (const Quat& to : {b, Quat{-b.x, -b.y, -b.z, -b.w}}) {
    QuatSlerp(&out, a, to, 0.5f);
    Mat4 m;
    MatFromQuat(&m, out);
    ExpectNear(m, Rot(1, 45), 1e-5f);
  }
  // Nearly equal: no division by a vanishing sine.
  QuatSlerp(&out, a, Quat{0, 1e-6f, 0, 1}, 0.3f);
  EXPECT_TRUE(isfinite(out.x) && isfinite(out.y) && isfinite(out.w));
  EXPECT_NEAR(out.w, 1, 1e-6);
}

}  // namespace
