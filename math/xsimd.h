// SSE2 forms of the matrix and quaternion steps that the controller update runs for every limb.
// SSE2 is the floor (no SSE4 or AVX, no run-time dispatch), so the code builds the same for the
// 32-bit DLL and the 64-bit builds. Each function gives bit for bit what the scalar form in
// xmath.cpp gives: products are summed in the same order and nothing is fused.
#pragma once
#include <emmintrin.h>
#include <math.h>

#include "math/xmath.h"

namespace xsimd {

template <int I>
inline __m128 Splat(__m128 v) {
  return _mm_shuffle_ps(v, v, _MM_SHUFFLE(I, I, I, I));
}

// Row vector times matrix: ((a0 b0 + a1 b1) + a2 b2) + a3 b3, with b0..b3 the rows of b.
inline __m128 RowTimes(__m128 a, __m128 b0, __m128 b1, __m128 b2, __m128 b3) {
  __m128 r = _mm_mul_ps(Splat<0>(a), b0);
  r = _mm_add_ps(r, _mm_mul_ps(Splat<1>(a), b1));
  r = _mm_add_ps(r, _mm_mul_ps(Splat<2>(a), b2));
  return _mm_add_ps(r, _mm_mul_ps(Splat<3>(a), b3));
}

// out = a times b (out may be a or b).
inline void Multiply(float* out, const float* a, const float* b) {
  const __m128 b0 = _mm_loadu_ps(b), b1 = _mm_loadu_ps(b + 4), b2 = _mm_loadu_ps(b + 8), b3 = _mm_loadu_ps(b + 12);
  const __m128 r0 = RowTimes(_mm_loadu_ps(a), b0, b1, b2, b3);
  const __m128 r1 = RowTimes(_mm_loadu_ps(a + 4), b0, b1, b2, b3);
  const __m128 r2 = RowTimes(_mm_loadu_ps(a + 8), b0, b1, b2, b3);
  const __m128 r3 = RowTimes(_mm_loadu_ps(a + 12), b0, b1, b2, b3);
  _mm_storeu_ps(out, r0);
  _mm_storeu_ps(out + 4, r1);
  _mm_storeu_ps(out + 8, r2);
  _mm_storeu_ps(out + 12, r3);
}

inline void Copy(float* out, const float* m) {
  const __m128 r0 = _mm_loadu_ps(m), r1 = _mm_loadu_ps(m + 4), r2 = _mm_loadu_ps(m + 8), r3 = _mm_loadu_ps(m + 12);
  _mm_storeu_ps(out, r0);
  _mm_storeu_ps(out + 4, r1);
  _mm_storeu_ps(out + 8, r2);
  _mm_storeu_ps(out + 12, r3);
}

// True when the 16 bytes at a and b hold the same bits (not a float comparison: -0 and 0 differ,
// a NaN equals itself).
inline bool SameBits16(const void* a, const void* b) {
  const __m128i x = _mm_loadu_si128(static_cast<const __m128i*>(a));
  const __m128i y = _mm_loadu_si128(static_cast<const __m128i*>(b));
  return _mm_movemask_epi8(_mm_cmpeq_epi32(x, y)) == 0xFFFF;
}

// True when two matrices hold the same bits.
inline bool SameBits(const Mat4& a, const Mat4& b) {
  const __m128i* x = reinterpret_cast<const __m128i*>(a.m);
  const __m128i* y = reinterpret_cast<const __m128i*>(b.m);
  __m128i e = _mm_and_si128(_mm_cmpeq_epi32(_mm_loadu_si128(x), _mm_loadu_si128(y)),
                            _mm_cmpeq_epi32(_mm_loadu_si128(x + 1), _mm_loadu_si128(y + 1)));
  e = _mm_and_si128(e, _mm_and_si128(_mm_cmpeq_epi32(_mm_loadu_si128(x + 2), _mm_loadu_si128(y + 2)),
                                     _mm_cmpeq_epi32(_mm_loadu_si128(x + 3), _mm_loadu_si128(y + 3))));
  return _mm_movemask_epi8(e) == 0xFFFF;
}

// --- Spherical interpolation ---------------------------------------------------------------------
// sin(u phi) / sin(phi) as a series in y = cos(phi) - 1:
//   u (1 + b_1 (1 + b_2 (1 + ... (1 + b_n)))),  b_i = (u^2 k_i - v_i) y,  k_i = 1 / (i (2i + 1)),
//   v_i = i / (2i + 1)
// (each b_i is the ratio of consecutive coefficients). The nest is summed as
// (1 + b_1) + b_1 b_2 ((1 + b_3) + b_3 b_4 (...)), whose steps do not wait on one another.
// Near: four terms for y in [-0.1, 0]. Far: six terms for y in [-0.293, 0], the last pair scaled
// by 1.14673, fitted so that the series cut off there gives the least largest error.
inline const float kNearK[4] = {1.0f / 3, 1.0f / 10, 1.0f / 21, 1.0f / 36};
inline const float kNearV[4] = {1.0f / 3, 2.0f / 5, 3.0f / 7, 4.0f / 9};
inline const float kFarK[6] = {1.0f / 3, 1.0f / 10, 1.0f / 21, 1.0f / 36, 1.0f / 55, 1.14673f / 78};
inline const float kFarV[6] = {1.0f / 3, 2.0f / 5, 3.0f / 7, 4.0f / 9, 5.0f / 11, 1.14673f * 6 / 13};

inline __m128 SeriesTerm(__m128 u2, __m128 y, float k, float v) {
  return _mm_mul_ps(_mm_sub_ps(_mm_mul_ps(u2, _mm_set1_ps(k)), _mm_set1_ps(v)), y);
}

// 1 + b_1 (1 + b_2 (...)) for the factors k, v of `terms` (even) terms, lane by lane.
inline __m128 SeriesSum(__m128 u2, __m128 y, const float* k, const float* v, int terms) {
  const __m128 one = _mm_set1_ps(1.0f);
  __m128 sum = one;
  for (int i = terms - 2; i >= 0; i -= 2) {
    const __m128 b0 = SeriesTerm(u2, y, k[i], v[i]);
    const __m128 b1 = SeriesTerm(u2, y, k[i + 1], v[i + 1]);
    sum = _mm_add_ps(_mm_add_ps(one, b0), _mm_mul_ps(_mm_mul_ps(b0, b1), sum));
  }
  return sum;
}

// Both weights of a slerp, lane 0 for a and lane 1 for b: sin((1 - t) theta) / sin(theta) and
// sin(t theta) / sin(theta), cos(theta) = x in [0, 1]; about 2e-7 from the true values.
inline __m128 SlerpWeightLanes(float x, float t) {
  const __m128 u = _mm_setr_ps(1.0f - t, t, 0.0f, 0.0f);
  if (x >= 0.9f) {
    // Nearby quaternions (theta up to 26 degrees, as between the keys of any real motion): the
    // series in cos(theta) - 1 itself.
    const __m128 y = _mm_set1_ps(x - 1.0f);
    return _mm_mul_ps(u, SeriesSum(_mm_mul_ps(u, u), y, kNearK, kNearV, 4));
  }
  // Otherwise the half angle phi = theta / 2 keeps the series short:
  // sin(u theta) / sin(theta) = sin(2u phi) / sin(phi) / (2 cos(phi)), cos(phi) = sqrt((1 + x) / 2).
  const float c = sqrtf(0.5f + 0.5f * x);
  const __m128 u2 = _mm_add_ps(u, u);
  const __m128 sum = SeriesSum(_mm_mul_ps(u2, u2), _mm_set1_ps(c - 1.0f), kFarK, kFarV, 6);
  return _mm_mul_ps(_mm_mul_ps(u, sum), _mm_set1_ps(1.0f / c));
}

// x*x' + y*y' + z*z' + w*w' in every lane.
inline __m128 Dot4(__m128 a, __m128 b) {
  const __m128 p = _mm_mul_ps(a, b);
  const __m128 h = _mm_add_ps(p, _mm_movehl_ps(p, p));
  return _mm_add_ps(h, _mm_shuffle_ps(h, h, _MM_SHUFFLE(1, 1, 1, 1)));
}

// Slerp of quaternions a and b (x, y, z, w lanes) along the shorter arc.
inline __m128 Slerp(__m128 a, __m128 b, float t) {
  float dot = _mm_cvtss_f32(Dot4(a, b));
  float sign = 1.0f;
  if (dot < 0.0f) {
    sign = -1.0f;
    dot = -dot;
  }
  // Quaternions of scaled matrices are longer than 1; their "angle" is taken as 0 (a blend).
  if (!(dot <= 1.0f)) dot = 1.0f;
  const __m128 w = _mm_mul_ps(SlerpWeightLanes(dot, t), _mm_setr_ps(1.0f, sign, 0.0f, 0.0f));
  return _mm_add_ps(_mm_mul_ps(Splat<0>(w), a), _mm_mul_ps(Splat<1>(w), b));
}

// The rotation matrix of quaternion q (x, y, z, w) with `move` (x, y, z, 1) as its fourth row:
//   1 - 2yy - 2zz   2xy + 2wz       2xz - 2wy       0
//   2xy - 2wz       1 - 2xx - 2zz   2yz + 2wx       0
//   2xz + 2wy       2yz - 2wx       1 - 2xx - 2yy   0
// stored as four whole rows (so that a row read back whole is forwarded from its store).
inline void RotationMove(float* out, __m128 q, __m128 move) {
  const __m128 q2 = _mm_add_ps(q, q);                                          // 2x 2y 2z 2w
  const __m128 sq = _mm_mul_ps(q, q2);                                         // 2xx 2yy 2zz 2ww
  const __m128 diagA = _mm_shuffle_ps(sq, sq, _MM_SHUFFLE(3, 0, 0, 1));        // 2yy 2xx 2xx
  const __m128 diagB = _mm_shuffle_ps(sq, sq, _MM_SHUFFLE(3, 1, 2, 2));        // 2zz 2zz 2yy
  const __m128 xyz = _mm_castsi128_ps(_mm_setr_epi32(-1, -1, -1, 0));
  const __m128 diag = _mm_and_ps(_mm_sub_ps(_mm_sub_ps(_mm_set1_ps(1.0f), diagA), diagB), xyz);
  const __m128 p = _mm_mul_ps(_mm_shuffle_ps(q, q, _MM_SHUFFLE(3, 1, 0, 0)),   // 2xz 2xy 2yz
                              _mm_shuffle_ps(q2, q2, _MM_SHUFFLE(3, 2, 1, 2)));
  const __m128 w = _mm_mul_ps(Splat<3>(q), _mm_shuffle_ps(q2, q2, _MM_SHUFFLE(3, 0, 2, 1)));  // 2wy 2wz 2wx
  const __m128 plus = _mm_add_ps(p, w);                                        // 2xz+2wy 2xy+2wz 2yz+2wx
  const __m128 minus = _mm_sub_ps(p, w);                                       // 2xz-2wy 2xy-2wz 2yz-2wx
  const __m128 mixA = _mm_shuffle_ps(plus, minus, _MM_SHUFFLE(1, 0, 2, 1));    // 2xy+2wz 2yz+2wx 2xz-2wy 2xy-2wz
  const __m128 mixB = _mm_shuffle_ps(plus, minus, _MM_SHUFFLE(2, 2, 0, 0));    // 2xz+2wy . 2yz-2wx .
  const __m128 row0 = _mm_shuffle_ps(diag, mixA, _MM_SHUFFLE(2, 0, 3, 0));     // d0 0 mixA.x mixA.z
  const __m128 row1 = _mm_shuffle_ps(diag, mixA, _MM_SHUFFLE(1, 3, 3, 1));     // d1 0 mixA.w mixA.y
  _mm_storeu_ps(out, _mm_shuffle_ps(row0, row0, _MM_SHUFFLE(1, 3, 2, 0)));
  _mm_storeu_ps(out + 4, _mm_shuffle_ps(row1, row1, _MM_SHUFFLE(1, 3, 0, 2)));
  _mm_storeu_ps(out + 8, _mm_shuffle_ps(mixB, diag, _MM_SHUFFLE(3, 2, 2, 0)));
  _mm_storeu_ps(out + 12, move);
}

}  // namespace xsimd
