// Editing the matrix keys of one track of an animation in memory. Every edit keeps the keys in
// ascending time, keeps room for one more key than the track holds, keeps each key's quaternion
// true, and after a change of key count or key times recomputes the total frames.
#pragma once
#include <stdint.h>

#include "anim/anim.h"
#include "anim/animquery.h"

// Delete results (other than 0, nothing is removed).
enum : int32_t {
  kDeleteRemoved = 0,      // the key is gone; later keys move down one index
  kDeleteFirstKept = 1,    // key 0: given key 1's matrix (kept as it is on a one-key track)
  kDeleteSecondKept = 2,   // key 1 of a two-key track: given key 0's matrix
  kDeleteBadLimb = -1,
  kDeleteBadKey = -2,
};

// Removes a key, or for the two keys a track cannot lose, overwrites it (codes above).
int32_t AnimDeleteKey(AnimData* anim, uint32_t limb, uint32_t key);

// Inserts a key at `time` holding the track's pose there and returns its index. Past the last
// key: appended with the last key's matrix. Before the first key: put first with the first key's
// matrix (index 0). Into an empty track: the identity (index 0). Between two keys: their blend,
// at index i + 1. A key already at `time` (key i): -i, nothing changed. Bad limb: 0.
int32_t AnimInsertKey(AnimData* anim, uint32_t limb, uint32_t time);

// Rebuilds a key's matrix as scale * Rx * Ry * Rz * translation with one part replaced by
// (x, y, z) (degrees for kKeyRotation) and the other two read from the matrix. False, with
// nothing changed, for a bad limb or key.
bool AnimModifyKey(AnimData* anim, uint32_t limb, uint32_t key, KeyPart part, float x, float y, float z);

// Moves key `key` to `time` and every later key by the same amount; 0, or -1 (nothing changed)
// for a bad limb or key, key 0, a time not after the previous key's, or a move that would carry
// any moved key outside 0..2^32 - 1.
int32_t AnimRetimeKey(AnimData* anim, uint32_t limb, uint32_t key, uint32_t time);
