#include "math/xmath.h"

#include <math.h>
#include <string.h>

#include "math/xsimd.h"

const Mat4 kIdentity = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};

void MatMultiply(Mat4* out, const Mat4& a, const Mat4& b) { xsimd::Multiply(out->m, a.m, b.m); }

void MatInverse(Mat4* out, const Mat4& src) {
  const float* m = src.m;
  float inv[16];
  inv[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] + m[9] * m[7] * m[14] +
           m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
  inv[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] - m[8] * m[7] * m[14] -
           m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
  inv[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] + m[8] * m[7] * m[13] +
           m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
  inv[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] - m[8] * m[6] * m[13] -
            m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
  inv[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] - m[9] * m[3] * m[14] -
           m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
  inv[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] + m[8] * m[3] * m[14] +
           m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
  inv[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] - m[8] * m[3] * m[13] -
           m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
  inv[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] + m[8] * m[2] * m[13] +
            m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
  inv[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] + m[5] * m[3] * m[14] +
           m[13] * m[2] * m[7] - m[13] * m[3] * m[6];
  inv[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] - m[4] * m[3] * m[14] -
           m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
  inv[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] + m[4] * m[3] * m[13] +
            m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
  inv[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] - m[4] * m[2] * m[13] -
            m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
  inv[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] - m[5] * m[3] * m[10] -
           m[9] * m[2] * m[7] + m[9] * m[3] * m[6];
  inv[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] + m[4] * m[3] * m[10] +
           m[8] * m[2] * m[7] - m[8] * m[3] * m[6];
  inv[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] - m[4] * m[3] * m[9] -
            m[8] * m[1] * m[7] + m[8] * m[3] * m[5];
  inv[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] + m[4] * m[2] * m[9] +
            m[8] * m[1] * m[6] - m[8] * m[2] * m[5];
  const float det = m[0] * inv[0] + m[1] * inv[4] + m[2] * inv[8] + m[3] * inv[12];
  if (det == 0.0f) {
    *out = kIdentity;
    return;
  }
  const float invDet = 1.0f / det;
  for (int i = 0; i < 16; ++i) out->m[i] = inv[i] * invDet;
}

void MatRotationX(Mat4* out, float angle) {
  const float c = cosf(angle), s = sinf(angle);
  *out = kIdentity;
  out->m[5] = c;
  out->m[6] = s;
  out->m[9] = -s;
  out->m[10] = c;
}

void MatRotationY(Mat4* out, float angle) {
  const float c = cosf(angle), s = sinf(angle);
  *out = kIdentity;
  out->m[0] = c;
  out->m[2] = -s;
  out->m[8] = s;
  out->m[10] = c;
}

void MatRotationZ(Mat4* out, float angle) {
  const float c = cosf(angle), s = sinf(angle);
  *out = kIdentity;
  out->m[0] = c;
  out->m[1] = s;
  out->m[4] = -s;
  out->m[5] = c;
}

void MatScaling(Mat4* out, float x, float y, float z) {
  *out = kIdentity;
  out->m[0] = x;
  out->m[5] = y;
  out->m[10] = z;
}

void MatTranslation(Mat4* out, float x, float y, float z) {
  *out = kIdentity;
  out->m[12] = x;
  out->m[13] = y;
  out->m[14] = z;
}

void QuatFromMatrix(Quat* out, const Mat4& mat) {
  const float* m = mat.m;
  const float trace = m[0] + m[5] + m[10] + 1.0f;
  Quat q;
  if (trace > 1.0f) {
    const float s = 2.0f * sqrtf(trace);
    q.x = (m[6] - m[9]) / s;
    q.y = (m[8] - m[2]) / s;
    q.z = (m[1] - m[4]) / s;
    q.w = 0.25f * s;
  } else {
    int maxi = 0;
    if (m[5] > m[0]) maxi = 1;
    if (m[10] > m[5 * maxi]) maxi = 2;
    if (maxi == 0) {
      const float s = 2.0f * sqrtf(1.0f + m[0] - m[5] - m[10]);
      q.x = 0.25f * s;
      q.y = (m[1] + m[4]) / s;
      q.z = (m[2] + m[8]) / s;
      q.w = (m[6] - m[9]) / s;
    } else if (maxi == 1) {
      const float s = 2.0f * sqrtf(1.0f + m[5] - m[0] - m[10]);
      q.x = (m[1] + m[4]) / s;
      q.y = 0.25f * s;
      q.z = (m[6] + m[9]) / s;
      q.w = (m[8] - m[2]) / s;
    } else {
      const float s = 2.0f * sqrtf(1.0f + m[10] - m[0] - m[5]);
      q.x = (m[2] + m[8]) / s;
      q.y = (m[6] + m[9]) / s;
      q.z = 0.25f * s;
      q.w = (m[1] - m[4]) / s;
    }
  }
  *out = q;
}

void MatFromQuat(Mat4* out, const Quat& q) { xsimd::RotationMove(out->m, _mm_loadu_ps(&q.x), _mm_setr_ps(0, 0, 0, 1)); }

void QuatSlerp(Quat* out, const Quat& a, const Quat& b, float t) {
  _mm_storeu_ps(&out->x, xsimd::Slerp(_mm_loadu_ps(&a.x), _mm_loadu_ps(&b.x), t));
}

void QuatInverse(Quat* out, const Quat& q) {
  const float n = q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w;
  if (n == 0.0f) {
    *out = Quat{0, 0, 0, 0};
    return;
  }
  const float inv = 1.0f / n;
  *out = Quat{-q.x * inv, -q.y * inv, -q.z * inv, q.w * inv};
}

void MatCompose(Mat4* out, const float scale[3], const float degrees[3], const float offset[3]) {
  Mat4 r, t;
  MatScaling(out, scale[0], scale[1], scale[2]);
  MatRotationX(&t, DegToRad(degrees[0]));
  MatMultiply(&r, *out, t);
  MatRotationY(&t, DegToRad(degrees[1]));
  MatMultiply(&r, r, t);
  MatRotationZ(&t, DegToRad(degrees[2]));
  MatMultiply(&r, r, t);
  MatTranslation(&t, offset[0], offset[1], offset[2]);
  MatMultiply(out, r, t);
}

float MatRowLength(const Mat4& m, int r) {
  const float* row = m.m + 4 * r;
  const float sum = row[0] * row[0] + row[1] * row[1] + row[2] * row[2];
  return sqrtf(sum);
}

bool MatIsRigid(const Mat4& mat) {
  const float* m = mat.m;
  if (m[3] != 0.0f || m[7] != 0.0f || m[11] != 0.0f || m[15] != 1.0f) return false;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j <= i; ++j) {
      const double d = static_cast<double>(m[i]) * m[j] + static_cast<double>(m[4 + i]) * m[4 + j] +
                       static_cast<double>(m[8 + i]) * m[8 + j] - (i == j ? 1.0 : 0.0);
      if (!(fabs(d) <= kRigidTolerance)) return false;
    }
  }
  const double det = static_cast<double>(m[0]) * (static_cast<double>(m[5]) * m[10] - static_cast<double>(m[6]) * m[9]) -
                     static_cast<double>(m[1]) * (static_cast<double>(m[4]) * m[10] - static_cast<double>(m[6]) * m[8]) +
                     static_cast<double>(m[2]) * (static_cast<double>(m[4]) * m[9] - static_cast<double>(m[5]) * m[8]);
  return det > 0.0;
}
