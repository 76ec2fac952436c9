// Commands on a host object: its limb tree, its own animation statistics, limb names and saving
// without animations.
#include "commands.h"
#include "objutil/limbtree.h"
#include "objutil/objedit.h"
#include "objutil/objstats.h"
#include "plugin/debuglog.h"

namespace {
// The object when `limb` is one of its limbs; false, logged, otherwise.
bool ObjectWithLimb(const char* command, uint32_t objNo, uint32_t limb, HostObject* obj, const char* item = "limb") {
  if (!CommandObject(command, objNo, obj)) return false;
  if (limb < obj->rec->limbCount) return true;
  DebugLogLimbBeyond(command, item, limb, "object", obj->rec->limbCount);
  return false;
}

uint32_t KeyCount(const char* command, uint32_t objNo, uint32_t limb, HostKeyKind kind) {
  HostObject obj;
  if (!CommandObject(command, objNo, &obj)) return 0;
  const uint32_t keys = HostLimbKeyCount(obj, limb, kind);
  if (keys == 0 && limb >= obj.rec->limbCount) DebugLogLimbBeyond(command, "limb", limb, "object", obj.rec->limbCount);
  return keys;
}
}  // namespace

uint32_t Xamo_ObjFindLimbParent(uint32_t objNo, uint32_t limb) {
  HostObject obj;
  return ObjectWithLimb(__func__, objNo, limb, &obj) ? FindLimbParent(obj.rec, limb) : 0;
}

uint32_t Xamo_ObjIsLimbChild(uint32_t objNo, uint32_t parent, uint32_t child) {
  HostObject obj;
  if (!ObjectWithLimb(__func__, objNo, parent, &obj, "parent")) return 0;
  if (child >= obj.rec->limbCount) {
    DebugLogLimbBeyond(__func__, "child", child, "object", obj.rec->limbCount);
    return 0;
  }
  return IsLimbDescendant(obj.rec, parent, child);
}

uint32_t Xamo_ObjTotalLimbs(uint32_t objNo) {
  HostObject obj;
  return CommandObject(__func__, objNo, &obj) ? obj.rec->limbCount : 0;
}

double Xamo_ObjTotalAnimFrames(uint32_t objNo) {
  HostObject obj;
  return CommandObject(__func__, objNo, &obj) ? HostTotalAnimFrames(obj) : 0.0;
}

uint32_t Xamo_ObjTotalRotationKeys(uint32_t objNo, uint32_t limb) { return KeyCount(__func__, objNo, limb, kHostRotationKeys); }
uint32_t Xamo_ObjTotalPositionKeys(uint32_t objNo, uint32_t limb) { return KeyCount(__func__, objNo, limb, kHostPositionKeys); }
uint32_t Xamo_ObjTotalScaleKeys(uint32_t objNo, uint32_t limb) { return KeyCount(__func__, objNo, limb, kHostScaleKeys); }
uint32_t Xamo_ObjTotalMatrixKeys(uint32_t objNo, uint32_t limb) { return KeyCount(__func__, objNo, limb, kHostMatrixKeys); }

void Xamo_ObjRenameLimb(uint32_t objNo, uint32_t limb, char* name) {
  HostObject obj;
  if (ObjectWithLimb(__func__, objNo, limb, &obj)) RenameLimb(obj.rec, limb, name);
}

void Xamo_ObjSaveNoAnims(uint32_t objNo, char* fileName) {
  HostObject obj;
  if (!CommandObject(__func__, objNo, &obj)) return;
  DebugLogIfNotAnimated(__func__, obj, "nothing saved");
  SaveWithoutAnims(obj, fileName ? fileName : "", HostCallSave);
}
