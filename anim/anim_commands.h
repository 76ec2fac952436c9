// What the animation commands share: an animation by its handle, and why a limb or key number
// finds nothing, for the debug log.
#pragma once
#include <stdint.h>

#include "anim/animfile.h"
#include "anim/animquery.h"
#include "plugin/debuglog.h"

// The live animation of a handle; null, logged, for any other value.
inline AnimData* CommandAnim(const char* command, uint32_t animId) {
  return DebugLogIfMissing(AnimFromHandle(animId), command, "animation", animId);
}

// Logs why limb `limb` (and, unless it is out of range itself, key `key`) of `anim` finds nothing.
inline void DebugLogNoKey(const char* command, const AnimData* anim, uint32_t limb, uint32_t key) {
  if (!DebugLogMayBeOn()) return;
  if (const AnimTrack* track = AnimTrackAt(anim, limb)) DebugLogKeyBeyond(command, key, limb, track->keyCount);
  else DebugLogLimbBeyond(command, "limb", limb, "animation", anim->limbCount);
}
