#include "math/xmath.h"

#include <math.h>
#include <string.h>

const Mat4 kIdentity = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};

void MatMultiply(Mat4* out, const Mat4& a, const Mat4& b) {
  Mat4 r;
  for (int i = 0; i < 4; ++i) {
    const float a0 = a.m[4 * i], a1 = a.m[4 * i + 1], a2 = a.m[4 * i + 2], a3 = a.m[4 * i + 3];
    for (int j = 0; j < 4; ++j)
      r.m[4 * i + j] = a0 * b.m[j] + a1 * b.m[4 + j] + a2 * b.m[8 + j] + a3 * b.m[12 + j];
  }
  *out = r;
}

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

void MatFromQuat(Mat4* out, const Quat& q) {
  const float xx = q.x * q.x, yy = q.y * q.y, zz = q.z * q.z;
  const float xy = q.x * q.y, xz = q.x * q.z, yz = q.y * q.z;
  const float wx = q.w * q.x, wy = q.w * q.y, wz = q.w * q.z;
  float* m = out->m;
  m[0] = 1.0f - 2.0f * (yy + zz);
  m[1] = 2.0f * (xy + wz);
  m[2] = 2.0f * (xz - wy);
  m[3] = 0.0f;
  m[4] = 2.0f * (xy - wz);
  m[5] = 1.0f - 2.0f * (xx + zz);
  m[6] = 2.0f * (yz + wx);
  m[7] = 0.0f;
  m[8] = 2.0f * (xz + wy);
  m[9] = 2.0f * (yz - wx);
  m[10] = 1.0f - 2.0f * (xx + yy);
  m[11] = 0.0f;
  m[12] = 0.0f;
  m[13] = 0.0f;
  m[14] = 0.0f;
  m[15] = 1.0f;
}

void QuatSlerp(Quat* out, const Quat& a, const Quat& b, float t) {
  float dot = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
  float sign = 1.0f;
  if (dot < 0.0f) {
    sign = -1.0f;
    dot = -dot;
  }
  float ka = 1.0f - t, kb = t;
  if (1.0f - dot > 0.001f) {
    const float theta = acosf(dot);
    const float inv = 1.0f / sinf(theta);
    ka = sinf(theta * ka) * inv;
    kb = sinf(theta * kb) * inv;
  }
  kb *= sign;
  out->x = ka * a.x + kb * b.x;
  out->y = ka * a.y + kb * b.y;
  out->z = ka * a.z + kb * b.z;
  out->w = ka * a.w + kb * b.w;
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
