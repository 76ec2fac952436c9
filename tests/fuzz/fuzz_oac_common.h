// Driving controllers: playback and setting commands, updates and every query, for the two
// controller targets.
#pragma once
#include <string.h>

#include "fuzz_support.h"

namespace fuzz {

// One playback or setting command on a limb of the controller, its arguments from the input.
inline void PlaybackCommand(Input& in, uint32_t oac, uint32_t limb, uint32_t anim) {
  switch (in.Below(9)) {
    case 0: Xamo_oacPlayAnim(oac, limb, anim, in.Float(), in.Float(), in.Float(), in.U8() & 1, in.U8() & 1); break;
    case 1: Xamo_oacSetFrame(oac, limb, anim, in.Float(), in.U8() & 1); break;
    case 2:
      Xamo_oacAnimTransition(oac, limb, anim, in.Float(), in.Float(), in.Float(), in.Time(), in.U8() & 1,
                             in.U8() & 1);
      break;
    case 3: Xamo_oacSetInterpolFrame(oac, limb, anim, in.Float(), anim, in.Float(), in.Float(), in.U8() & 1); break;
    case 4:
      Xamo_oacSetLimbPlayAnimSpeed(oac, limb, in.Float(), in.U8() & 1);
      Xamo_oacSetLimbTransAnimSpeed(oac, limb, in.Float(), in.U8() & 1);
      break;
    case 5:
      Xamo_oacSetLimbActive(oac, limb, in.Time());
      Xamo_oacSetLimbReference(oac, limb, static_cast<int32_t>(in.Time()));
      break;
    case 6:
      Xamo_oacSetModelType(oac, in.Time());
      Xamo_oacSetUpdateBounds(oac, in.Time());
      break;
    case 7: Xamo_oacGlobalRotateLimb(oac, limb, in.Float(), in.Float(), in.Float()); break;
    default: Xamo_oacUpdate(oac, in.Time());
  }
}

// Every controller query on one limb, and the controller-wide ones.
inline void QueryEverything(uint32_t oac, uint32_t limb, uint32_t other) {
  static double (*const kDoubles[])(uint32_t, uint32_t) = {
      Xamo_oacGetCurrentFrame,       Xamo_oacGetLimbEndFrame,        Xamo_oacGetLimbGlobalPosX,
      Xamo_oacGetLimbGlobalPosY,     Xamo_oacGetLimbGlobalPosZ,      Xamo_oacGetLimbGlobalRotX,
      Xamo_oacGetLimbGlobalRotY,     Xamo_oacGetLimbGlobalRotZ,      Xamo_oacGetLimbPlayAnimSpeed,
      Xamo_oacGetLimbPosX,           Xamo_oacGetLimbPosY,            Xamo_oacGetLimbPosZ,
      Xamo_oacGetLimbRotX,           Xamo_oacGetLimbRotY,            Xamo_oacGetLimbRotZ,
      Xamo_oacGetLimbScaleX,         Xamo_oacGetLimbScaleY,          Xamo_oacGetLimbScaleZ,
      Xamo_oacGetLimbStartFrame,     Xamo_oacGetLimbTransAnimSpeed,  Xamo_oacGetLimbTransEndFrame,
      Xamo_oacGetLimbTransInterpol,  Xamo_oacGetLimbTransStartFrame};
  static int32_t (*const kInts[])(uint32_t, uint32_t) = {
      Xamo_oacGetLimbIsActive, Xamo_oacGetLimbIsLooping, Xamo_oacGetLimbReference, Xamo_oacGetLimbTransIsActive,
      Xamo_oacGetLimbTransIsLooping};
  static uint32_t (*const kWords[])(uint32_t, uint32_t) = {
      Xamo_oacGetLimbActive,          Xamo_oacGetLimbPlayAnimID,   Xamo_oacGetLimbTransAnimID,
      Xamo_oacGetLimbTransCurrentFrame, Xamo_oacGetLimbTransTimeUsed, Xamo_oacGetLimbTransTotalTime,
      Xamo_oacGetParentLimb,          Xamo_oacGetUpdateOrder};
  for (auto q : kDoubles) q(oac, limb);
  for (auto q : kInts) q(oac, limb);
  for (auto q : kWords) q(oac, limb);
  Xamo_oacIsLimbChild(oac, limb, other);
  Xamo_oacGetModelType(oac);
  Xamo_oacGetObjectID(oac);
  Xamo_oacGetUpdateBounds(oac);
}

}  // namespace fuzz
