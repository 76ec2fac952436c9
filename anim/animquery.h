// Reading an animation's tracks and keys: bounds-checked lookups and the decomposition of a key's
// matrix into position, scale and Euler angles.
#pragma once
#include <stdint.h>

#include "anim/anim.h"

// The parts a key's matrix is read as and rebuilt from (scale, then rotation, then position).
enum KeyPart : int {
  kKeyRotation = 0,  // Euler angles in degrees (MatrixToEuler)
  kKeyPosition = 1,  // the translation row: m41, m42, m43
  kKeyScale = 2,     // the lengths of the first three rows' first three elements (MatRowLength)
};

// Track `limb` of an animation, or null when limb >= limbCount.
AnimTrack* AnimTrackAt(const AnimData* anim, uint32_t limb);
// Key `key` of track `limb`, or null when the limb or the key (key >= keyCount) is out of range.
AnimKey* AnimKeyAt(const AnimData* anim, uint32_t limb, uint32_t key);

// totalFrames truncated toward zero (0 when negative or not a number, 0xFFFFFFFF past that).
uint32_t AnimTotalFramesWhole(const AnimData* anim);

// One axis (0 X, 1 Y, 2 Z) of one part of a key's matrix; 0 when the limb or key is out of range.
float AnimKeyValue(const AnimData* anim, uint32_t limb, uint32_t key, KeyPart part, int axis);
