// The animation records: an animation is one key track per limb, each key a 4x4 matrix at an
// integer frame time. An AnimID names an AnimData through the handle registry (plugin/handles.h).
#pragma once
#include <stdint.h>

#include "math/xmath.h"

// A matrix key.
// Beside the key's own fields it keeps what sampling would otherwise work out on every update;
// whoever changes matrix or time calls AnimKeySet (or AnimKeyRefresh) to keep them true.
struct AnimKey {
  Mat4 matrix;     // the pose (row-major, translation in the fourth row)
  Quat rotation;   // QuatFromMatrix(matrix); at the offset of Pose::q, so that the update reads
                   // the rotation and the translation row of a key and of a pose alike
  uint32_t time;   // frame number; converted to float as an unsigned value
  float frame;     // time as a float
  uint32_t rigid;  // MatIsRigid(matrix): 1 for a rotation and translation only
};

struct AnimRotKey {
  Quat rotation;   // x, y, z, w
  uint32_t time;
};

struct AnimVecKey {
  float x, y, z;
  uint32_t time;
};

// One limb's keys.
struct AnimTrack {
  uint32_t rotationKeyCount;   // kind 0; filled only in the extraction's working track
  uint32_t positionKeyCount;   // kind 1; likewise
  uint32_t scaleKeyCount;      // kind 2; likewise
  uint32_t keyCount;           // kind 3: the matrix keys, the track's keys everywhere else
  AnimRotKey* rotationKeys;    // owned, or null
  AnimVecKey* positionKeys;    // owned, or null
  AnimVecKey* scaleKeys;       // owned, or null
  AnimKey* keys;               // owned; room for keyCount + 1 keys, ascending time
  uint32_t ascending;          // 1 when no key's frame is below the one before it (then a frame
                               // inside an interval is not past the last key), else 0; kept by
                               // AnimTrackKeysChanged. 0 is always safe: sampling only checks more
  Quat baseRotation;           // zero in a loaded animation; read by nothing
  float basePosition[3];       // likewise
  float baseScale[3];          // likewise
  Mat4 referenceMatrix;        // stored with the track in the file; used by nothing else
};

// One animation.
struct AnimData {
  uint32_t limbCount;   // number of tracks; track i belongs to limb i
  float totalFrames;    // by the total-frames rule (largest key time past key 0 of tracks 1 and up)
  AnimTrack* tracks;    // limbCount tracks, or null when limbCount is 0
  uint32_t endMark;     // the file's last field as loaded (723 in every file written here)
  float playSpeed;      // frames per second; the default play speed when loaded
};

// Sets a key's matrix and time and the decomposition kept beside it.
void AnimKeySet(AnimKey* key, const Mat4& matrix, uint32_t time);
// Brings `ascending` up to date after keys were added, removed or retimed.
void AnimTrackKeysChanged(AnimTrack* track);

// Sets a key's time and its float form.
inline void AnimKeySetTime(AnimKey* key, uint32_t time) {
  key->time = time;
  key->frame = static_cast<float>(time);
}
// Recomputes what is kept beside the key after key->matrix or key->time was written directly.
void AnimKeyRefresh(AnimKey* key);
