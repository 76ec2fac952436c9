// Commands on a host object: its limb tree, its own animation statistics, limb names and saving
// without animations.
#include "commands.h"
#include "objutil/limbtree.h"
#include "objutil/objedit.h"
#include "objutil/objstats.h"

uint32_t Xamo_ObjFindLimbParent(uint32_t objNo, uint32_t limb) {
  HostObject obj;
  if (!HostGetObject(objNo, &obj) || limb >= obj.rec->limbCount) return 0;
  return FindLimbParent(obj.rec, limb);
}

uint32_t Xamo_ObjIsLimbChild(uint32_t objNo, uint32_t parent, uint32_t child) {
  HostObject obj;
  if (!HostGetObject(objNo, &obj)) return 0;
  if (parent >= obj.rec->limbCount || child >= obj.rec->limbCount) return 0;
  return IsLimbDescendant(obj.rec, parent, child);
}

uint32_t Xamo_ObjTotalLimbs(uint32_t objNo) {
  HostObject obj;
  return HostGetObject(objNo, &obj) ? obj.rec->limbCount : 0;
}

double Xamo_ObjTotalAnimFrames(uint32_t objNo) {
  HostObject obj;
  return HostGetObject(objNo, &obj) ? HostTotalAnimFrames(obj) : 0.0;
}

namespace {
uint32_t KeyCount(uint32_t objNo, uint32_t limb, HostKeyKind kind) {
  HostObject obj;
  return HostGetObject(objNo, &obj) ? HostLimbKeyCount(obj, limb, kind) : 0;
}
}  // namespace

uint32_t Xamo_ObjTotalRotationKeys(uint32_t objNo, uint32_t limb) { return KeyCount(objNo, limb, kHostRotationKeys); }
uint32_t Xamo_ObjTotalPositionKeys(uint32_t objNo, uint32_t limb) { return KeyCount(objNo, limb, kHostPositionKeys); }
uint32_t Xamo_ObjTotalScaleKeys(uint32_t objNo, uint32_t limb) { return KeyCount(objNo, limb, kHostScaleKeys); }
uint32_t Xamo_ObjTotalMatrixKeys(uint32_t objNo, uint32_t limb) { return KeyCount(objNo, limb, kHostMatrixKeys); }

void Xamo_ObjRenameLimb(uint32_t objNo, uint32_t limb, char* name) {
  HostObject obj;
  if (!HostGetObject(objNo, &obj) || limb >= obj.rec->limbCount) return;
  RenameLimb(obj.rec, limb, name);
}

void Xamo_ObjSaveNoAnims(uint32_t objNo, char* fileName) {
  HostObject obj;
  if (!HostGetObject(objNo, &obj)) return;
  SaveWithoutAnims(obj, fileName ? fileName : "", HostCallSave);
}
