// Animation queries and the play speed.
#include "anim/animfile.h"
#include "anim/animquery.h"
#include "commands.h"

namespace {
double KeyValue(uint32_t animId, uint32_t limb, uint32_t key, KeyPart part, int axis) {
  const AnimData* anim = AnimFromHandle(animId);
  return anim ? AnimKeyValue(anim, limb, key, part, axis) : 0.0;
}
}  // namespace

uint32_t Xamo_AnimGetTotalFrames(uint32_t animId) {
  const AnimData* anim = AnimFromHandle(animId);
  return anim ? AnimTotalFramesWhole(anim) : 0;
}

uint32_t Xamo_AnimGetTotalLimbs(uint32_t animId) {
  const AnimData* anim = AnimFromHandle(animId);
  return anim ? anim->limbCount : 0;
}

uint32_t Xamo_AnimGetLimbKeys(uint32_t animId, uint32_t limb) {
  const AnimData* anim = AnimFromHandle(animId);
  const AnimTrack* track = anim ? AnimTrackAt(anim, limb) : nullptr;
  return track ? track->keyCount : 0;
}

uint32_t Xamo_AnimGetLimbKeyTime(uint32_t animId, uint32_t limb, uint32_t key) {
  const AnimData* anim = AnimFromHandle(animId);
  const AnimKey* k = anim ? AnimKeyAt(anim, limb, key) : nullptr;
  return k ? k->time : 0;
}

void Xamo_AnimSetPlaySpeed(uint32_t animId, float speed) {
  AnimData* anim = AnimFromHandle(animId);
  if (anim) anim->playSpeed = speed;
}

double Xamo_AnimGetPlaySpeed(uint32_t animId) {
  const AnimData* anim = AnimFromHandle(animId);
  return anim ? anim->playSpeed : 0.0;
}

double Xamo_AnimGetKeyRotX(uint32_t a, uint32_t limb, uint32_t key) { return KeyValue(a, limb, key, kKeyRotation, 0); }
double Xamo_AnimGetKeyRotY(uint32_t a, uint32_t limb, uint32_t key) { return KeyValue(a, limb, key, kKeyRotation, 1); }
double Xamo_AnimGetKeyRotZ(uint32_t a, uint32_t limb, uint32_t key) { return KeyValue(a, limb, key, kKeyRotation, 2); }
double Xamo_AnimGetKeyPosX(uint32_t a, uint32_t limb, uint32_t key) { return KeyValue(a, limb, key, kKeyPosition, 0); }
double Xamo_AnimGetKeyPosY(uint32_t a, uint32_t limb, uint32_t key) { return KeyValue(a, limb, key, kKeyPosition, 1); }
double Xamo_AnimGetKeyPosZ(uint32_t a, uint32_t limb, uint32_t key) { return KeyValue(a, limb, key, kKeyPosition, 2); }
double Xamo_AnimGetKeyScaleX(uint32_t a, uint32_t limb, uint32_t key) { return KeyValue(a, limb, key, kKeyScale, 0); }
double Xamo_AnimGetKeyScaleY(uint32_t a, uint32_t limb, uint32_t key) { return KeyValue(a, limb, key, kKeyScale, 1); }
double Xamo_AnimGetKeyScaleZ(uint32_t a, uint32_t limb, uint32_t key) { return KeyValue(a, limb, key, kKeyScale, 2); }
