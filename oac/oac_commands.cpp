// Controller commands: lifecycle, playback, update, global rotation and the controller file.
#include "commands.h"
#include "oac/controller.h"

uint32_t Xamo_oacCreate(uint32_t objNo) {
  HostObject obj;
  return HostGetObject(objNo, &obj) ? OacRegister(OacCreate(obj)) : 0;
}

uint32_t Xamo_oacCreateClone(uint32_t objNo, uint32_t oacId) {
  const OacData* source = OacFromHandle(oacId);
  HostObject obj;
  return source && HostGetObject(objNo, &obj) ? OacRegister(OacClone(obj, source)) : 0;
}

void Xamo_oacDelete(uint32_t oacId) { OacRelease(oacId); }

uint32_t Xamo_oacGetObjectID(uint32_t oacId) {
  const OacData* c = OacFromHandle(oacId);
  return c ? c->objectNumber : 0;
}

void Xamo_oacSetFrame(uint32_t oacId, uint32_t limb, uint32_t animId, float frame, int32_t exChild) {
  if (OacData* c = OacFromHandle(oacId)) OacSetFrame(c, limb, animId, frame, exChild);
}

void Xamo_oacPlayAnim(uint32_t oacId, uint32_t limb, uint32_t animId, float start, float current, float end,
                      int32_t loop, int32_t exChild) {
  if (OacData* c = OacFromHandle(oacId)) OacPlayAnim(c, limb, animId, start, current, end, loop, exChild);
}

void Xamo_oacAnimTransition(uint32_t oacId, uint32_t limb, uint32_t animId, float start, float current, float end,
                            uint32_t transTime, int32_t loop, int32_t exChild) {
  if (OacData* c = OacFromHandle(oacId)) OacAnimTransition(c, limb, animId, start, current, end, transTime, loop, exChild);
}

void Xamo_oacSetInterpolFrame(uint32_t oacId, uint32_t limb, uint32_t animIdA, float frameA, uint32_t animIdB,
                              float frameB, float interpol, int32_t exChild) {
  if (OacData* c = OacFromHandle(oacId)) OacSetInterpolFrame(c, limb, animIdA, frameA, animIdB, frameB, interpol, exChild);
}

void Xamo_oacUpdate(uint32_t oacId, uint32_t time) {
  if (OacData* c = OacFromHandle(oacId)) OacUpdate(c, time);
}

void Xamo_oacGlobalRotateLimb(uint32_t oacId, uint32_t limb, float x, float y, float z) {
  if (OacData* c = OacFromHandle(oacId)) OacGlobalRotateLimb(c, limb, x, y, z);
}

void Xamo_ObjGlobalRotateLimb(uint32_t objNo, uint32_t limb, float x, float y, float z) {
  HostObject obj;
  if (HostGetObject(objNo, &obj)) HostGlobalRotateLimb(obj, limb, x, y, z);
}

void Xamo_oacSave(uint32_t oacId, char* fileName) {
  if (const OacData* c = OacFromHandle(oacId)) OacSaveFile(c, fileName);
}

uint32_t Xamo_oacLoad(char* fileName, uint32_t objNo) {
  HostObject obj;
  if (!HostGetObject(objNo, &obj)) return 0;
  OacData* c = OacLoadFile(obj, fileName);
  return c ? OacRegister(c) : 0;
}
