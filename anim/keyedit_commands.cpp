// Key editing. An AnimID that names no live animation gives each command's refusal. The return
// codes are answers in their own right and are not logged; the modify commands, which return
// nothing, log why they did nothing.
#include "anim/anim_commands.h"
#include "anim/keyedit.h"
#include "commands.h"

int32_t Xamo_AnimDeleteKey(uint32_t animId, uint32_t limb, uint32_t key) {
  AnimData* anim = AnimFromHandle(animId);
  return anim ? AnimDeleteKey(anim, limb, key) : kDeleteBadLimb;
}

int32_t Xamo_AnimInsertKey(uint32_t animId, uint32_t limb, uint32_t time) {
  AnimData* anim = AnimFromHandle(animId);
  return anim ? AnimInsertKey(anim, limb, time) : 0;
}

namespace {
void Modify(const char* command, uint32_t animId, uint32_t limb, uint32_t key, KeyPart part, float x, float y,
            float z) {
  AnimData* anim = CommandAnim(command, animId);
  if (anim && !AnimModifyKey(anim, limb, key, part, x, y, z)) DebugLogNoKey(command, anim, limb, key);
}
}  // namespace

void Xamo_AnimModifyKeyRot(uint32_t a, uint32_t limb, uint32_t key, float x, float y, float z) {
  Modify(__func__, a, limb, key, kKeyRotation, x, y, z);
}
void Xamo_AnimModifyKeyPos(uint32_t a, uint32_t limb, uint32_t key, float x, float y, float z) {
  Modify(__func__, a, limb, key, kKeyPosition, x, y, z);
}
void Xamo_AnimModifyKeyScale(uint32_t a, uint32_t limb, uint32_t key, float x, float y, float z) {
  Modify(__func__, a, limb, key, kKeyScale, x, y, z);
}

int32_t Xamo_AnimModifyKeyTime(uint32_t animId, uint32_t limb, uint32_t key, uint32_t time) {
  AnimData* anim = AnimFromHandle(animId);
  return anim ? AnimRetimeKey(anim, limb, key, time) : -1;
}
