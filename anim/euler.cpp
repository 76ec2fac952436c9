#include "anim/euler.h"

#include <math.h>

namespace {
const double kDegreesPerRadian = 57.2957763671875;     // 57.295776 in single precision
const double kHalfPi = 1.5707963705062866;             // pi / 2 in single precision
}  // namespace

EulerAngles MatrixToEuler(const Mat4& mat) {
  const float* m = mat.m;
  const float m11 = m[0], m12 = m[1], m13 = m[2], m23 = m[6], m33 = m[10];
  const float z = static_cast<float>(atan2(static_cast<double>(m12), static_cast<double>(m11)));
  const float x = static_cast<float>(atan2(static_cast<double>(m23), static_cast<double>(m33)));
  EulerAngles e;
  if (!(fabsf(m13) > 1.0f)) {
    const float y = static_cast<float>(asin(-static_cast<double>(m13)));
    e.x = static_cast<float>(x * kDegreesPerRadian);
    e.y = static_cast<float>(y * kDegreesPerRadian);
    e.z = static_cast<float>(z * kDegreesPerRadian);
  } else {
    e.x = 0.0f;
    e.y = static_cast<float>(m13 * kHalfPi * kDegreesPerRadian);
    e.z = 0.0f;
  }
  return e;
}
