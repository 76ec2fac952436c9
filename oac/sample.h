// Key sampling and blending: turning a track's keys into a matrix at a frame.
//
// The controller update calls SampleMatrixTrack for every playing limb on every update, so it
// allocates nothing and normally costs a few key-time comparisons: the key hint remembers the
// interval of the previous call and is tested before any search.
#pragma once
#include <stdint.h>

#include "anim/anim.h"
#include "math/xsimd.h"

enum KeyKind : int {
  kKindRotation = 0,  // AnimTrack::rotationKeys (linear search)
  kKindPosition = 1,  // AnimTrack::positionKeys (linear search)
  kKindScale = 2,     // AnimTrack::scaleKeys (linear search)
  kKindMatrix = 3,    // AnimTrack::keys (bisection)
};

// Index of the key that opens the interval holding `time` in one key kind of a limb's track.
// Linear kinds: 0 at time 0; c - 2 at or past the last key; else (first key later than time) - 1,
// which is 0xFFFFFFFF when key 0 already lies past the time. Matrix kind: 0 below key 1's time,
// c - 2 at or past the last key, else j with time(j) <= time < time(j + 1). A kind with fewer
// than two keys, an unknown kind or a limb without track gives 0.
uint32_t FindKeyIndex(const AnimData* anim, uint32_t limb, int kind, float time);
uint32_t FindKeyIndexInTrack(const AnimTrack* track, int kind, float time);

// Blend of two matrices at factor s: a for s <= 0, b for s >= 1, else the slerp of their
// rotations with the translation rows interpolated linearly (scale is not interpolated).
void BlendMatrices(Mat4* out, const Mat4& a, const Mat4& b, float s);
// The same for two keys, using the rotations kept beside them.
void BlendKeys(Mat4* out, const AnimKey& a, const AnimKey& b, float s);
// The same with the rotations of a and b given; `rotation`, when not null, receives the rotation
// of the result (qa, qb or their slerp).
void BlendWithRotations(Mat4* out, const Mat4& a, const Quat& qa, const Mat4& b, const Quat& qb, float s,
                        Quat* rotation = nullptr);

// A pose as the update carries it: the matrix and, for a rigid one, its rotation as a quaternion,
// so that a blend of two rigid poses needs no decomposition.
struct Pose {
  Mat4 m;
  Quat q;          // the rotation of m (the key's, or the slerp that built m); valid when rigid
  uint32_t rigid;  // 1 when m is rigid (MatIsRigid), else 0
  uint32_t pad[3];
};

// A pose holding m: rigid, with m's rotation, when MatIsRigid(m).
void PoseFromMatrix(Pose* out, const Mat4& m);
extern const Pose kIdentityPose;

// The pose of a track's matrix keys at frame f. Past the last key: the last key. Otherwise
// the interval is taken from the hint when it holds f, else the next one in the direction of
// `speed`, else (speed 0) the hint as it stands, else a bisection; the interval found becomes the
// new hint. A track with one key gives that key, one without keys the identity. A blend of two
// rigid keys is rigid.
void SamplePose(Pose* out, const AnimTrack* track, float f, float speed, uint32_t* hint);
// The keys that SamplePose blends: keys a and b at a factor s strictly between 0 and 1.
struct KeyBlend {
  const AnimKey* a;
  const AnimKey* b;
  float s;
};
inline float KeyTime(uint32_t t) { return static_cast<float>(t); }

inline void KeyPose(Pose* out, const AnimKey& k) {
  out->m = k.matrix;
  out->q = k.rotation;
  out->rigid = k.rigid;
}

// The interval that the hint names, or the next one in the direction of `speed`, when it holds f:
// its first key's index in *j.
XAMO_INLINE bool HintInterval(const AnimKey* k, uint32_t c, uint32_t h, float f, float speed, uint32_t* j) {
  if (h < c - 1) {
    const float mid = k[h + 1].frame;
    if (k[h].frame <= f && f < mid) {
      *j = h;
      return true;
    }
    if (speed > 0.0f && h + 1 < c - 1 && mid <= f && f < k[h + 2].frame) {
      *j = h + 1;
      return true;
    }
  }
  if (speed < 0.0f && h >= 1 && h < c && k[h - 1].frame <= f && f < k[h].frame) {
    *j = h - 1;
    return true;
  }
  return false;
}

// SamplePose in two halves: chooses the interval (and updates the hint) as SamplePose does; when
// the pose is a key as it stands (or the identity) writes it to *out and returns false, else fills
// *blend and returns true, leaving the blend to the caller. (Inline: the update calls it for every
// limb.) On a track whose keys ascend, a frame inside an interval is not past the last key, so
// the last key is looked at only when the hint's intervals do not hold the frame.
XAMO_INLINE bool SampleKeys(Pose* out, const AnimTrack* track, float f, float speed, uint32_t* hint, KeyBlend* blend) {
  const uint32_t c = track->keyCount;
  const AnimKey* k = track->keys;
  if (XAMO_UNLIKELY(c < 2)) {
    if (c) KeyPose(out, k[0]);
    else *out = kIdentityPose;
    return false;
  }
  const uint32_t h = *hint;
  uint32_t j;
  if (XAMO_UNLIKELY(!(track->ascending && HintInterval(k, c, h, f, speed, &j)))) {
    if (f > k[c - 1].frame) {
      KeyPose(out, k[c - 1]);
      return false;
    }
    if (track->ascending || !HintInterval(k, c, h, f, speed, &j)) {
      if (speed == 0.0f && h < c - 1) j = h;
      else j = FindKeyIndexInTrack(track, kKindMatrix, f);
    }
  }
  *hint = j;
  const AnimKey& a = k[j];
  const AnimKey& b = k[j + 1];
  const float t0 = a.frame, t1 = b.frame;
  const float s = t1 == t0 ? 0.0f : (f - t0) / (t1 - t0);
  if (XAMO_UNLIKELY(s <= 0.0f)) {
    KeyPose(out, a);
    return false;
  }
  if (XAMO_UNLIKELY(s >= 1.0f)) {
    KeyPose(out, b);
    return false;
  }
  *blend = KeyBlend{&a, &b, s};
  return true;
}

// The matrix of SamplePose.
void SampleTrack(Mat4* out, const AnimTrack* track, float f, float speed, uint32_t* hint);
// SampleTrack on the track of `limb` (which must be below anim->limbCount).
void SampleMatrixTrack(Mat4* out, const AnimData* anim, uint32_t limb, float f, float speed, uint32_t* hint);
