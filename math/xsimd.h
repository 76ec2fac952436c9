// SSE2 forms of the matrix and quaternion steps that the controller update runs for every limb.
// SSE2 is the floor (no SSE4 or AVX, no run-time dispatch), so the code builds the same for the
// 32-bit DLL and the 64-bit builds. Each function gives bit for bit what the scalar form in
// xmath.cpp gives: products are summed in the same order and nothing is fused.
#pragma once
#include <emmintrin.h>
#include <math.h>

#include "math/xmath.h"

// Inlining the compiler is told to do where its own measure of size says no (the few per-limb
// steps of the update); plain `inline` elsewhere.
#if defined(_MSC_VER)
#define XAMO_INLINE __forceinline
#else
#define XAMO_INLINE inline __attribute__((always_inline))
#endif

// The branches of the update that a steady animation takes on (nearly) every limb, and those it
// takes once in a while: the compiler lays the first out in a straight line.
#if defined(_MSC_VER)
#define XAMO_LIKELY(x) (x)
#define XAMO_UNLIKELY(x) (x)
#else
#define XAMO_LIKELY(x) __builtin_expect(!!(x), 1)
#define XAMO_UNLIKELY(x) __builtin_expect(!!(x), 0)
#endif

namespace xsimd {

template <int I>
inline __m128 Splat(__m128 v) {
  return _mm_shuffle_ps(v, v, _MM_SHUFFLE(I, I, I, I));
}

// Row vector times matrix: ((a0 b0 + a1 b1) + a2 b2) + a3 b3, with b0..b3 the rows of b.
// (Vectors beyond the third go by pointer: 32-bit MSVC passes no more than three by value.)
inline __m128 RowTimes(__m128 a, const __m128* b) {
  __m128 r = _mm_mul_ps(Splat<0>(a), b[0]);
  r = _mm_add_ps(r, _mm_mul_ps(Splat<1>(a), b[1]));
  r = _mm_add_ps(r, _mm_mul_ps(Splat<2>(a), b[2]));
  return _mm_add_ps(r, _mm_mul_ps(Splat<3>(a), b[3]));
}

// The rows of a times b. `rigid`: a is a rigid pose and b affine (both with a fourth column of
// 0 0 0 1), so every row needs three products, with the same result: a's zeros add nothing and
// its fourth-row 1 takes b's fourth row as it stands.
inline void ProductRows(__m128* r, const float* a, const float* b, bool rigid) {
  const __m128 rows[4] = {_mm_loadu_ps(b), _mm_loadu_ps(b + 4), _mm_loadu_ps(b + 8), _mm_loadu_ps(b + 12)};
  for (int i = 0; i < 4; ++i) {
    const __m128 x = _mm_loadu_ps(a + 4 * i);
    if (!rigid) {
      r[i] = RowTimes(x, rows);
      continue;
    }
    const __m128 three = _mm_add_ps(_mm_add_ps(_mm_mul_ps(Splat<0>(x), rows[0]), _mm_mul_ps(Splat<1>(x), rows[1])),
                                    _mm_mul_ps(Splat<2>(x), rows[2]));
    r[i] = i < 3 ? three : _mm_add_ps(three, rows[3]);
  }
}

inline void StoreRows(float* out, const __m128* r) {
  for (int i = 0; i < 4; ++i) _mm_storeu_ps(out + 4 * i, r[i]);
}

// out = a times b (out may be a or b).
inline void Multiply(float* out, const float* a, const float* b) {
  __m128 r[4];
  ProductRows(r, a, b, false);
  StoreRows(out, r);
}

inline void Copy(float* out, const float* m) {
  const __m128 r[4] = {_mm_loadu_ps(m), _mm_loadu_ps(m + 4), _mm_loadu_ps(m + 8), _mm_loadu_ps(m + 12)};
  StoreRows(out, r);
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
// (The count is a template argument, so that every sum is a straight line of steps.)
template <int terms>
inline __m128 SeriesSum(__m128 u2, __m128 y, const float* k, const float* v) {
  const __m128 one = _mm_set1_ps(1.0f);
  __m128 sum = one;
  for (int i = terms - 2; i >= 0; i -= 2) {
    const __m128 b0 = SeriesTerm(u2, y, k[i], v[i]);
    const __m128 b1 = SeriesTerm(u2, y, k[i + 1], v[i + 1]);
    sum = _mm_add_ps(_mm_add_ps(one, b0), _mm_mul_ps(_mm_mul_ps(b0, b1), sum));
  }
  return sum;
}

// sin(u theta) / sin(theta) lane by lane for two sets of u (ua into *wa, ub into *wb), for
// cos(theta) = x in [0, 1] and u in [0, 1]; about 2e-7 from the true values. The near form serves
// when every lane is near; the far form's square root and division are shared by both sets.
inline void SlerpWeight(__m128 x, __m128 ua, const __m128& ub, __m128* wa, __m128* wb) {
  const __m128 one = _mm_set1_ps(1.0f);
  const int near = _mm_movemask_ps(_mm_cmpge_ps(x, _mm_set1_ps(0.9f)));
  if (near == 0xF) {
    // Nearby quaternions (theta up to 26 degrees, as between the keys of any real motion): the
    // series in cos(theta) - 1 itself. Up to 8 degrees (consecutive keys of a motion sampled at
    // 30 keys per second, mostly) its first two terms are as good: the rest add under 2e-8.
    const __m128 y = _mm_sub_ps(x, one);
    const __m128 ua2 = _mm_mul_ps(ua, ua), ub2 = _mm_mul_ps(ub, ub);
    if (_mm_movemask_ps(_mm_cmpge_ps(x, _mm_set1_ps(0.99f))) == 0xF) {
      *wa = _mm_mul_ps(ua, SeriesSum<2>(ua2, y, kNearK, kNearV));
      *wb = _mm_mul_ps(ub, SeriesSum<2>(ub2, y, kNearK, kNearV));
    } else {
      *wa = _mm_mul_ps(ua, SeriesSum<4>(ua2, y, kNearK, kNearV));
      *wb = _mm_mul_ps(ub, SeriesSum<4>(ub2, y, kNearK, kNearV));
    }
    return;
  }
  // Otherwise the half angle phi = theta / 2 keeps the series short:
  // sin(u theta) / sin(theta) = sin(2u phi) / sin(phi) / (2 cos(phi)), cos(phi) = sqrt((1 + x) / 2).
  const __m128 half = _mm_set1_ps(0.5f);
  const __m128 c = _mm_sqrt_ps(_mm_add_ps(half, _mm_mul_ps(half, x)));
  const __m128 y = _mm_sub_ps(c, one), inv = _mm_div_ps(one, c);
  const __m128 ua2 = _mm_add_ps(ua, ua), ub2 = _mm_add_ps(ub, ub);
  *wa = _mm_mul_ps(_mm_mul_ps(ua, SeriesSum<6>(_mm_mul_ps(ua2, ua2), y, kFarK, kFarV)), inv);
  *wb = _mm_mul_ps(_mm_mul_ps(ub, SeriesSum<6>(_mm_mul_ps(ub2, ub2), y, kFarK, kFarV)), inv);
}

// Both weights of a slerp, lane 0 for a and lane 1 for b: sin((1 - t) theta) / sin(theta) and
// sin(t theta) / sin(theta), cos(theta) = x in [0, 1].
inline __m128 SlerpWeightLanes(float x, float t) {
  const __m128 xs = _mm_set1_ps(x);
  __m128 wa, wb;
  SlerpWeight(xs, _mm_set1_ps(1.0f - t), _mm_set1_ps(t), &wa, &wb);
  return _mm_unpacklo_ps(wa, wb);
}

// x*x' + y*y' + z*z' + w*w', summed left to right, in lane 0.
inline __m128 Dot4(__m128 a, __m128 b) {
  const __m128 p = _mm_mul_ps(a, b);
  __m128 sum = _mm_add_ss(p, _mm_shuffle_ps(p, p, _MM_SHUFFLE(1, 1, 1, 1)));
  sum = _mm_add_ss(sum, _mm_movehl_ps(p, p));
  return _mm_add_ss(sum, _mm_shuffle_ps(p, p, _MM_SHUFFLE(3, 3, 3, 3)));
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

// --- Four poses at a time ----------------------------------------------------------------------
// One blend of two poses for the batch. A pose is read as 20 floats: the matrix rows (the
// translation row from float 12) and the rotation as a quaternion x, y, z, w (floats 16 to 19), the
// layout of an animation key and of the update's poses. The result, written over the 20 floats at
// `out`, has rotation slerp(qa, qb, s) and translation row lerp(ta, tb, s) - tm R, where R is the
// blended rotation's 3x3; tm is zero except where a blend in the frame of a limb's own matrix
// needs the correction, and then waits in out's first row (x, y, z, 0) until the batch runs.
struct PoseJob {
  const float* a;  // pose blended from
  const float* b;  // pose blended to
  float* out;      // where the 20 floats of the blend go (may be a or b)
  float s;         // strictly between 0 and 1
};

// Blends four jobs lane by lane (structure of arrays: lane k of every vector belongs to job k),
// with the same operations in each lane as Slerp and RotationMove give one quaternion. Without
// `withMove` (a template argument: the kernel carries no branch for it) every tm counts as zero.
// A job's out may be its own a or b, but no other job's.
template <bool withMove>
inline void BlendPoses4(const PoseJob* j) {
  const __m128 zero = _mm_setzero_ps(), one = _mm_set1_ps(1.0f);
  __m128 ax = _mm_loadu_ps(j[0].a + 16), ay = _mm_loadu_ps(j[1].a + 16), az = _mm_loadu_ps(j[2].a + 16),
         aw = _mm_loadu_ps(j[3].a + 16);
  _MM_TRANSPOSE4_PS(ax, ay, az, aw);
  __m128 bx = _mm_loadu_ps(j[0].b + 16), by = _mm_loadu_ps(j[1].b + 16), bz = _mm_loadu_ps(j[2].b + 16),
         bw = _mm_loadu_ps(j[3].b + 16);
  _MM_TRANSPOSE4_PS(bx, by, bz, bw);
  const __m128 s = _mm_setr_ps(j[0].s, j[1].s, j[2].s, j[3].s);
  __m128 dot = _mm_add_ps(_mm_add_ps(_mm_add_ps(_mm_mul_ps(ax, bx), _mm_mul_ps(ay, by)), _mm_mul_ps(az, bz)),
                          _mm_mul_ps(aw, bw));
  // The shorter arc: b turned round where the dot is negative; a dot above 1 (or NaN) counts as 1.
  const __m128 flip = _mm_and_ps(_mm_cmplt_ps(dot, zero), _mm_set1_ps(-0.0f));
  dot = _mm_min_ps(_mm_xor_ps(dot, flip), one);
  __m128 wa, wb;
  SlerpWeight(dot, _mm_sub_ps(one, s), s, &wa, &wb);
  wb = _mm_xor_ps(wb, flip);
  __m128 x = _mm_add_ps(_mm_mul_ps(wa, ax), _mm_mul_ps(wb, bx));
  __m128 y = _mm_add_ps(_mm_mul_ps(wa, ay), _mm_mul_ps(wb, by));
  __m128 z = _mm_add_ps(_mm_mul_ps(wa, az), _mm_mul_ps(wb, bz));
  __m128 w = _mm_add_ps(_mm_mul_ps(wa, aw), _mm_mul_ps(wb, bw));
  // Each result goes out as soon as it is formed, so that few values wait in registers (SSE2
  // has eight of them in 32-bit code): first the quaternions.
  {
    __m128 qx = x, qy = y, qz = z, qw = w;
    _MM_TRANSPOSE4_PS(qx, qy, qz, qw);
    _mm_storeu_ps(j[0].out + 16, qx);
    _mm_storeu_ps(j[1].out + 16, qy);
    _mm_storeu_ps(j[2].out + 16, qz);
    _mm_storeu_ps(j[3].out + 16, qw);
  }
  // Rotation elements, as RotationMove forms them.
  const __m128 x2 = _mm_add_ps(x, x), y2 = _mm_add_ps(y, y), z2 = _mm_add_ps(z, z);
  const __m128 xx = _mm_mul_ps(x, x2), yy = _mm_mul_ps(y, y2), zz = _mm_mul_ps(z, z2);
  const __m128 xz = _mm_mul_ps(x, z2), xy = _mm_mul_ps(x, y2), yz = _mm_mul_ps(y, z2);
  const __m128 wy = _mm_mul_ps(w, y2), wz = _mm_mul_ps(w, z2), wx = _mm_mul_ps(w, x2);
  __m128 r00 = _mm_sub_ps(_mm_sub_ps(one, yy), zz), r01 = _mm_add_ps(xy, wz), r02 = _mm_sub_ps(xz, wy);
  __m128 r10 = _mm_sub_ps(xy, wz), r11 = _mm_sub_ps(_mm_sub_ps(one, xx), zz), r12 = _mm_add_ps(yz, wx);
  __m128 r20 = _mm_add_ps(xz, wy), r21 = _mm_sub_ps(yz, wx), r22 = _mm_sub_ps(_mm_sub_ps(one, xx), yy);
  // tm R, read before the rows below overwrite the first row that holds tm.
  __m128 cx = zero, cy = zero, cz = zero;
  if constexpr (withMove) {
    __m128 tmx = _mm_loadu_ps(j[0].out), tmy = _mm_loadu_ps(j[1].out), tmz = _mm_loadu_ps(j[2].out),
           tmw = _mm_loadu_ps(j[3].out);
    _MM_TRANSPOSE4_PS(tmx, tmy, tmz, tmw);
    cx = _mm_add_ps(_mm_add_ps(_mm_mul_ps(tmx, r00), _mm_mul_ps(tmy, r10)), _mm_mul_ps(tmz, r20));
    cy = _mm_add_ps(_mm_add_ps(_mm_mul_ps(tmx, r01), _mm_mul_ps(tmy, r11)), _mm_mul_ps(tmz, r21));
    cz = _mm_add_ps(_mm_add_ps(_mm_mul_ps(tmx, r02), _mm_mul_ps(tmy, r12)), _mm_mul_ps(tmz, r22));
  }
  // The rotation rows, each with a fourth element of 0.
  __m128 z0 = zero, z1 = zero, z2v = zero;
  _MM_TRANSPOSE4_PS(r00, r01, r02, z0);
  _MM_TRANSPOSE4_PS(r10, r11, r12, z1);
  _MM_TRANSPOSE4_PS(r20, r21, r22, z2v);
  const __m128 rows[4][3] = {{r00, r10, r20}, {r01, r11, r21}, {r02, r12, r22}, {z0, z1, z2v}};
  for (int k = 0; k < 4; ++k)
    for (int r = 0; r < 3; ++r) _mm_storeu_ps(j[k].out + 4 * r, rows[k][r]);
  // Translation rows, with a fourth element of 1, job by job: a lerp needs no lanes of other
  // jobs, and the shuffles of a transposition are the kernel's scarcest resource.
  __m128 cw = zero;
  if constexpr (withMove) _MM_TRANSPOSE4_PS(cx, cy, cz, cw);
  const __m128 corrections[4] = {cx, cy, cz, cw};
  const __m128 xyz = _mm_castsi128_ps(_mm_setr_epi32(-1, -1, -1, 0));
  const __m128 w1 = _mm_setr_ps(0.0f, 0.0f, 0.0f, 1.0f);
  for (int k = 0; k < 4; ++k) {
    const __m128 ta = _mm_loadu_ps(j[k].a + 12);
    __m128 t = _mm_add_ps(ta, _mm_mul_ps(_mm_sub_ps(_mm_loadu_ps(j[k].b + 12), ta), _mm_set1_ps(j[k].s)));
    if constexpr (withMove) t = _mm_sub_ps(t, corrections[k]);
    _mm_storeu_ps(j[k].out + 12, _mm_or_ps(_mm_and_ps(t, xyz), w1));
  }
}

}  // namespace xsimd
