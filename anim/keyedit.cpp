#include "anim/keyedit.h"

#include <stdlib.h>
#include <string.h>

#include "anim/animfile.h"
#include "anim/euler.h"
#include "oac/sample.h"

namespace {

// Gives the track a new key array with one key more (grow) or less than now, room for one more
// still. Keys before `at` keep their index; a grown array leaves key `at` for the caller to set,
// a shrunk one drops old key `at`. Returns the key at `at` in the new array.
AnimKey* ResizeKeys(AnimTrack* track, uint32_t at, bool grow) {
  const uint32_t oldCount = track->keyCount;
  const uint32_t newCount = grow ? oldCount + 1 : oldCount - 1;
  AnimKey* keys = static_cast<AnimKey*>(calloc(static_cast<size_t>(newCount) + 1, sizeof(AnimKey)));
  AnimKey* old = track->keys;
  if (old) {  // a track without keys may have no array at all
    memcpy(keys, old, at * sizeof(AnimKey));
    if (grow) memcpy(keys + at + 1, old + at, (oldCount - at) * sizeof(AnimKey));
    else memcpy(keys + at, old + at + 1, (oldCount - at - 1) * sizeof(AnimKey));
    free(old);
  }
  track->keys = keys;
  track->keyCount = newCount;
  return keys + at;
}

inline float TimeF(uint32_t t) { return static_cast<float>(t); }

}  // namespace

int32_t AnimDeleteKey(AnimData* anim, uint32_t limb, uint32_t key) {
  AnimTrack* track = AnimTrackAt(anim, limb);
  if (!track) return kDeleteBadLimb;
  const uint32_t n = track->keyCount;
  if (key >= n) return kDeleteBadKey;
  AnimKey* keys = track->keys;
  if (key == 0) {
    if (n > 1) AnimKeySet(&keys[0], keys[1].matrix, keys[0].time);
    return kDeleteFirstKept;
  }
  if (n == 2) {
    AnimKeySet(&keys[1], keys[0].matrix, keys[1].time);
    return kDeleteSecondKept;
  }
  ResizeKeys(track, key, false);
  AnimTrackKeysChanged(track);
  AnimUpdateTotalFrames(anim);
  return kDeleteRemoved;
}

int32_t AnimInsertKey(AnimData* anim, uint32_t limb, uint32_t time) {
  AnimTrack* track = AnimTrackAt(anim, limb);
  if (!track) return 0;
  const uint32_t n = track->keyCount;
  const AnimKey* keys = track->keys;
  uint32_t at;
  Mat4 pose;
  if (n == 0) {
    at = 0;
    pose = kIdentity;
  } else if (time > keys[n - 1].time) {
    at = n;
    pose = keys[n - 1].matrix;
  } else if (time < keys[0].time) {
    at = 0;
    pose = keys[0].matrix;
  } else if (n == 1) {
    return 0;  // time is the only key's time
  } else {
    const float t = TimeF(time);
    const uint32_t i = FindKeyIndexInTrack(track, kKindMatrix, t);
    const float t0 = TimeF(keys[i].time), t1 = TimeF(keys[i + 1].time);
    const float d = t1 - t0;
    if (d == 0.0f) return -static_cast<int32_t>(i);
    const float f = (t - t0) / d;
    if (f == 0.0f) return -static_cast<int32_t>(i);
    if (f == 1.0f) return -static_cast<int32_t>(i + 1);
    BlendKeys(&pose, keys[i], keys[i + 1], f);
    at = i + 1;
  }
  AnimKeySet(ResizeKeys(track, at, true), pose, time);
  AnimTrackKeysChanged(track);
  AnimUpdateTotalFrames(anim);
  return static_cast<int32_t>(at);
}

bool AnimModifyKey(AnimData* anim, uint32_t limb, uint32_t key, KeyPart part, float x, float y, float z) {
  AnimKey* k = AnimKeyAt(anim, limb, key);
  if (!k) return false;
  const Mat4& m = k->matrix;
  float scale[3] = {MatRowLength(m, 0), MatRowLength(m, 1), MatRowLength(m, 2)};
  float offset[3] = {m.m[12], m.m[13], m.m[14]};
  float degrees[3] = {x, y, z};
  if (part != kKeyRotation) {
    const EulerAngles e = MatrixToEuler(m);
    degrees[0] = e.x;
    degrees[1] = e.y;
    degrees[2] = e.z;
    float* replaced = part == kKeyPosition ? offset : scale;
    replaced[0] = x;
    replaced[1] = y;
    replaced[2] = z;
  }
  MatCompose(&k->matrix, scale, degrees, offset);
  AnimKeyRefresh(k);
  return true;
}

int32_t AnimRetimeKey(AnimData* anim, uint32_t limb, uint32_t key, uint32_t time) {
  AnimTrack* track = AnimTrackAt(anim, limb);
  if (!track || key == 0 || key >= track->keyCount) return -1;
  AnimKey* keys = track->keys;
  if (time <= keys[key - 1].time) return -1;
  // Every later key moves by the same amount, earlier or later. A move that would carry any of
  // them outside 0..2^32 - 1 is refused whole (wrapping would leave the keys out of order).
  const int64_t delta = static_cast<int64_t>(time) - keys[key].time;
  for (uint32_t k = key; k < track->keyCount; ++k) {
    const int64_t moved = keys[k].time + delta;
    if (moved < 0 || moved > static_cast<int64_t>(UINT32_MAX)) return -1;
  }
  for (uint32_t k = key; k < track->keyCount; ++k) AnimKeySetTime(&keys[k], static_cast<uint32_t>(keys[k].time + delta));
  AnimTrackKeysChanged(track);
  AnimUpdateTotalFrames(anim);
  return 0;
}
