#include "anim/anim.h"

void AnimKeySet(AnimKey* key, const Mat4& matrix, uint32_t time) {
  key->matrix = matrix;
  key->time = time;
  AnimKeyRefresh(key);
}

void AnimKeyRefresh(AnimKey* key) {
  key->frame = static_cast<float>(key->time);
  QuatFromMatrix(&key->rotation, key->matrix);
  key->rigid = MatIsRigid(key->matrix) ? 1 : 0;
}

void AnimTrackKeysChanged(AnimTrack* track) {
  uint32_t ascending = 1;
  for (uint32_t k = 1; k < track->keyCount; ++k) ascending &= track->keys[k - 1].frame <= track->keys[k].frame ? 1u : 0u;
  track->ascending = ascending;
}
