#include "anim/animquery.h"

#include "anim/euler.h"

AnimTrack* AnimTrackAt(const AnimData* anim, uint32_t limb) {
  return limb < anim->limbCount ? &anim->tracks[limb] : nullptr;
}

AnimKey* AnimKeyAt(const AnimData* anim, uint32_t limb, uint32_t key) {
  AnimTrack* track = AnimTrackAt(anim, limb);
  return track && key < track->keyCount ? &track->keys[key] : nullptr;
}

uint32_t AnimTotalFramesWhole(const AnimData* anim) {
  const float f = anim->totalFrames;
  if (!(f > 0.0f)) return 0;
  if (f >= 4294967296.0f) return 0xFFFFFFFFu;  // a last key time near 2^32 rounds up to 2^32
  return static_cast<uint32_t>(f);
}

float AnimKeyValue(const AnimData* anim, uint32_t limb, uint32_t key, KeyPart part, int axis) {
  const AnimKey* k = AnimKeyAt(anim, limb, key);
  if (!k || axis < 0 || axis > 2) return 0.0f;
  switch (part) {
    case kKeyPosition: return k->matrix.m[12 + axis];
    case kKeyScale: return MatRowLength(k->matrix, axis);
    case kKeyRotation: {
      const EulerAngles e = MatrixToEuler(k->matrix);
      return axis == 0 ? e.x : axis == 1 ? e.y : e.z;
    }
  }
  return 0.0f;
}
