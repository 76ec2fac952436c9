// Animation queries and the play speed.
#include "anim/anim_commands.h"
#include "commands.h"

namespace {
double KeyValue(const char* command, uint32_t animId, uint32_t limb, uint32_t key, KeyPart part, int axis) {
  const AnimData* anim = CommandAnim(command, animId);
  if (!anim) return 0.0;
  const float value = AnimKeyValue(anim, limb, key, part, axis);
  // A 0 may be the key's own value: only then is it worth asking whether the key exists.
  if (value == 0.0f && DebugLogMayBeOn() && !AnimKeyAt(anim, limb, key)) DebugLogNoKey(command, anim, limb, key);
  return value;
}
}  // namespace

uint32_t Xamo_AnimGetTotalFrames(uint32_t animId) {
  const AnimData* anim = CommandAnim(__func__, animId);
  return anim ? AnimTotalFramesWhole(anim) : 0;
}

uint32_t Xamo_AnimGetTotalLimbs(uint32_t animId) {
  const AnimData* anim = CommandAnim(__func__, animId);
  return anim ? anim->limbCount : 0;
}

uint32_t Xamo_AnimGetLimbKeys(uint32_t animId, uint32_t limb) {
  const AnimData* anim = CommandAnim(__func__, animId);
  const AnimTrack* track = anim ? AnimTrackAt(anim, limb) : nullptr;
  if (anim && !track) DebugLogLimbBeyond(__func__, "limb", limb, "animation", anim->limbCount);
  return track ? track->keyCount : 0;
}

uint32_t Xamo_AnimGetLimbKeyTime(uint32_t animId, uint32_t limb, uint32_t key) {
  const AnimData* anim = CommandAnim(__func__, animId);
  const AnimKey* k = anim ? AnimKeyAt(anim, limb, key) : nullptr;
  if (anim && !k) DebugLogNoKey(__func__, anim, limb, key);
  return k ? k->time : 0;
}

void Xamo_AnimSetPlaySpeed(uint32_t animId, float speed) {
  if (AnimData* anim = CommandAnim(__func__, animId)) anim->playSpeed = speed;
}

double Xamo_AnimGetPlaySpeed(uint32_t animId) {
  const AnimData* anim = CommandAnim(__func__, animId);
  return anim ? anim->playSpeed : 0.0;
}

double Xamo_AnimGetKeyRotX(uint32_t a, uint32_t limb, uint32_t key) { return KeyValue(__func__, a, limb, key, kKeyRotation, 0); }
double Xamo_AnimGetKeyRotY(uint32_t a, uint32_t limb, uint32_t key) { return KeyValue(__func__, a, limb, key, kKeyRotation, 1); }
double Xamo_AnimGetKeyRotZ(uint32_t a, uint32_t limb, uint32_t key) { return KeyValue(__func__, a, limb, key, kKeyRotation, 2); }
double Xamo_AnimGetKeyPosX(uint32_t a, uint32_t limb, uint32_t key) { return KeyValue(__func__, a, limb, key, kKeyPosition, 0); }
double Xamo_AnimGetKeyPosY(uint32_t a, uint32_t limb, uint32_t key) { return KeyValue(__func__, a, limb, key, kKeyPosition, 1); }
double Xamo_AnimGetKeyPosZ(uint32_t a, uint32_t limb, uint32_t key) { return KeyValue(__func__, a, limb, key, kKeyPosition, 2); }
double Xamo_AnimGetKeyScaleX(uint32_t a, uint32_t limb, uint32_t key) { return KeyValue(__func__, a, limb, key, kKeyScale, 0); }
double Xamo_AnimGetKeyScaleY(uint32_t a, uint32_t limb, uint32_t key) { return KeyValue(__func__, a, limb, key, kKeyScale, 1); }
double Xamo_AnimGetKeyScaleZ(uint32_t a, uint32_t limb, uint32_t key) { return KeyValue(__func__, a, limb, key, kKeyScale, 2); }
