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
