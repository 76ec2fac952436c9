// Matrix and quaternion arithmetic, with the conventions of the D3DX9 library:
// 4x4 single-precision matrices in row-major order (_11 .. _44), points as row vectors (a point is
// transformed as point times matrix), translation in the fourth row (_41, _42, _43); quaternions
// x, y, z, w; angles in radians. Every function may be given the same object as input and output.
#pragma once
#include <stdint.h>

struct Mat4 {
  float m[16];  // m[4 * (row - 1) + (column - 1)]: m[12], m[13], m[14] are the translation
};

struct Quat {
  float x, y, z, w;
};

// Views a host record's 16 floats as a matrix.
inline Mat4* AsMat4(float* p) { return reinterpret_cast<Mat4*>(p); }
inline const Mat4* AsMat4(const float* p) { return reinterpret_cast<const Mat4*>(p); }

extern const Mat4 kIdentity;

// out = a times b: a is applied first, then b.
void MatMultiply(Mat4* out, const Mat4& a, const Mat4& b);
// out = inverse of m; the identity when m is singular (determinant 0).
void MatInverse(Mat4* out, const Mat4& m);
// Rotation about X: rows (1,0,0,0), (0,c,s,0), (0,-s,c,0), (0,0,0,1).
void MatRotationX(Mat4* out, float angle);
// Rotation about Y: rows (c,0,-s,0), (0,1,0,0), (s,0,c,0), (0,0,0,1).
void MatRotationY(Mat4* out, float angle);
// Rotation about Z: rows (c,s,0,0), (-s,c,0,0), (0,0,1,0), (0,0,0,1).
void MatRotationZ(Mat4* out, float angle);
// Diagonal x, y, z, 1.
void MatScaling(Mat4* out, float x, float y, float z);
// Identity with x, y, z in the fourth row.
void MatTranslation(Mat4* out, float x, float y, float z);
// The quaternion of m's rotation part (m's scale is carried into it, not removed).
void QuatFromMatrix(Quat* out, const Mat4& m);
// The rotation matrix of q (zero translation, fourth column 0, 0, 0, 1).
void MatFromQuat(Mat4* out, const Quat& q);
// Spherical interpolation along the shorter arc: a at t = 0, b at t = 1, as
// a sin((1 - t) theta) / sin(theta) + b sin(t theta) / sin(theta) with cos(theta) = |a . b| (taken
// as 1 when larger, as for the quaternions of scaled matrices). The weights come from a series
// accurate to about 2e-7 for t in [0, 1]: no acos or sin, and no special case near theta = 0.
void QuatSlerp(Quat* out, const Quat& a, const Quat& b, float t);
// The inverse rotation: conjugate divided by the squared norm.
void QuatInverse(Quat* out, const Quat& q);

// Degrees to radians as every command converts them: times the double pi/180 rounded to single
// precision, the product rounded to single precision.
inline float DegToRad(float degrees) { return static_cast<float>(degrees * 0.01745329238474369); }

// I times S(scale) times Rx times Ry times Rz times T(offset): the composition order used wherever a
// matrix is built from parts. Angles in degrees.
void MatCompose(Mat4* out, const float scale[3], const float degrees[3], const float offset[3]);

// A matrix is rigid when its upper 3x3 R is a rotation (max |R^T R - I| <= kRigidTolerance and
// det R > 0: no scale, no mirror) and its fourth column is exactly 0, 0, 0, 1. NaN is never rigid.
const double kRigidTolerance = 1e-6;
bool MatIsRigid(const Mat4& m);

// Length of row r (0, 1, 2) of m's upper 3x3: sum of squares rounded to single, root rounded to single.
float MatRowLength(const Mat4& m, int r);
