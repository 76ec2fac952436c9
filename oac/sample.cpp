#include "oac/sample.h"

#include "math/xsimd.h"

namespace {

template <class Key>
uint32_t LinearIndex(const Key* keys, uint32_t c, float time) {
  if (c < 2) return 0;
  if (time == 0.0f) return 0;
  if (KeyTime(keys[c - 1].time) <= time) return c - 2;
  for (uint32_t i = 0; i < c; ++i)
    if (KeyTime(keys[i].time) > time) return i - 1;  // 0xFFFFFFFF when key 0 lies past the time
  return c - 2;  // not reached for a time that compares (a NaN ends here)
}

uint32_t MatrixIndex(const AnimKey* keys, uint32_t c, float time) {
  if (c < 2) return 0;
  if (time == 0.0f) return 0;
  if (keys[1].frame > time) return 0;
  uint32_t hi = c - 1;
  if (keys[hi].frame <= time) return hi - 1;
  uint32_t lo = 0;
  while (lo < hi) {
    const uint32_t mid = (lo + hi) / 2;
    const float tm = keys[mid].frame;
    if (tm == time) return mid;
    if (tm < time) {
      if (keys[mid + 1].frame > time) return mid;
      lo = mid + 1;
    } else {
      // Unsorted keys (or a NaN time) can bring the search to key 0 from above.
      if (mid == 0) return 0;
      if (keys[mid - 1].frame <= time) return mid - 1;
      hi = mid - 1;
    }
  }
  return hi;
}

}  // namespace

uint32_t FindKeyIndexInTrack(const AnimTrack* track, int kind, float time) {
  switch (kind) {
    case kKindRotation: return LinearIndex(track->rotationKeys, track->rotationKeyCount, time);
    case kKindPosition: return LinearIndex(track->positionKeys, track->positionKeyCount, time);
    case kKindScale: return LinearIndex(track->scaleKeys, track->scaleKeyCount, time);
    case kKindMatrix: return MatrixIndex(track->keys, track->keyCount, time);
    default: return 0;
  }
}

uint32_t FindKeyIndex(const AnimData* anim, uint32_t limb, int kind, float time) {
  if (limb >= anim->limbCount) return 0;
  return FindKeyIndexInTrack(&anim->tracks[limb], kind, time);
}

void BlendWithRotations(Mat4* out, const Mat4& a, const Quat& qa, const Mat4& b, const Quat& qb, float s,
                        Quat* rotation) {
  if (s <= 0.0f) {
    *out = a;
    if (rotation) *rotation = qa;
    return;
  }
  if (s >= 1.0f) {
    *out = b;
    if (rotation) *rotation = qb;
    return;
  }
  const __m128 q = xsimd::Slerp(_mm_loadu_ps(&qa.x), _mm_loadu_ps(&qb.x), s);
  if (rotation) _mm_storeu_ps(&rotation->x, q);
  // Translation rows a + (b - a) s, with _44 = 1.
  const __m128 ta = _mm_loadu_ps(a.m + 12);
  __m128 move = _mm_add_ps(ta, _mm_mul_ps(_mm_sub_ps(_mm_loadu_ps(b.m + 12), ta), _mm_set1_ps(s)));
  move = _mm_shuffle_ps(move, _mm_unpackhi_ps(move, _mm_set1_ps(1.0f)), _MM_SHUFFLE(3, 0, 1, 0));
  xsimd::RotationMove(out->m, q, move);
}

void BlendMatrices(Mat4* out, const Mat4& a, const Mat4& b, float s) {
  if (s <= 0.0f) {
    *out = a;
    return;
  }
  if (s >= 1.0f) {
    *out = b;
    return;
  }
  Quat qa, qb;
  QuatFromMatrix(&qa, a);
  QuatFromMatrix(&qb, b);
  BlendWithRotations(out, a, qa, b, qb, s);
}

void BlendKeys(Mat4* out, const AnimKey& a, const AnimKey& b, float s) {
  BlendWithRotations(out, a.matrix, a.rotation, b.matrix, b.rotation, s);
}

namespace {


}  // namespace

const Pose kIdentityPose = {{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}, {0, 0, 0, 1}, 1, {0, 0, 0}};

void PoseFromMatrix(Pose* out, const Mat4& m) {
  out->m = m;
  out->rigid = MatIsRigid(m) ? 1 : 0;
  if (out->rigid) QuatFromMatrix(&out->q, m);
  else out->q = Quat{0, 0, 0, 1};
}

void SamplePose(Pose* out, const AnimTrack* track, float f, float speed, uint32_t* hint) {
  KeyBlend kb;
  if (!SampleKeys(out, track, f, speed, hint, &kb)) return;
  BlendWithRotations(&out->m, kb.a->matrix, kb.a->rotation, kb.b->matrix, kb.b->rotation, kb.s, &out->q);
  out->rigid = kb.a->rigid & kb.b->rigid;
}

void SampleTrack(Mat4* out, const AnimTrack* track, float f, float speed, uint32_t* hint) {
  Pose p;
  SamplePose(&p, track, f, speed, hint);
  *out = p.m;
}

void SampleMatrixTrack(Mat4* out, const AnimData* anim, uint32_t limb, float f, float speed, uint32_t* hint) {
  SampleTrack(out, &anim->tracks[limb], f, speed, hint);
}
