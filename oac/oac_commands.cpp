// Controller commands: lifecycle, playback, update, global rotation and the controller file.
#include "anim/animfile.h"
#include "commands.h"
#include "oac/oac_commands.h"

namespace {

// Logs why the controller refused a playback command on `limb` with `animId`; true when that
// animation was the reason (so a command with two animations can tell which).
bool ExplainPlayback(const char* command, const OacData* c, uint32_t limb, uint32_t animId) {
  const AnimData* a;
  switch (OacCheckPlayback(c, limb, animId, &a)) {
    case kPlaybackOk: return false;
    case kPlaybackNoAnimation: DebugLogNoHandle(command, "animation", animId); return true;
    case kPlaybackLimbBeyondObject: DebugLogLimbBeyond(command, "limb", limb, "object", OacLimbBound(c)); return true;
    case kPlaybackLimbBeyondAnimation: DebugLogLimbBeyond(command, "limb", limb, "animation", a->limbCount); return true;
  }
  return false;
}

}  // namespace

uint32_t Xamo_oacCreate(uint32_t objNo) {
  HostObject obj;
  return CommandObject(__func__, objNo, &obj) ? OacRegister(OacCreate(obj)) : 0;
}

uint32_t Xamo_oacCreateClone(uint32_t objNo, uint32_t oacId) {
  const OacData* source = CommandController(__func__, oacId);
  HostObject obj;
  return source && CommandObject(__func__, objNo, &obj) ? OacRegister(OacClone(obj, source)) : 0;
}

void Xamo_oacDelete(uint32_t oacId) {
  if (DebugLogMayBeOn()) CommandController(__func__, oacId);
  OacRelease(oacId);
}

uint32_t Xamo_oacGetObjectID(uint32_t oacId) {
  const OacData* c = CommandController(__func__, oacId);
  return c ? c->objectNumber : 0;
}

void Xamo_oacSetFrame(uint32_t oacId, uint32_t limb, uint32_t animId, float frame, int32_t exChild) {
  OacData* c = CommandController(__func__, oacId);
  if (!c) return;
  if (!OacSetFrame(c, limb, animId, frame, exChild)) ExplainPlayback(__func__, c, limb, animId);
}

void Xamo_oacPlayAnim(uint32_t oacId, uint32_t limb, uint32_t animId, float start, float current, float end,
                      int32_t loop, int32_t exChild) {
  OacData* c = CommandController(__func__, oacId);
  if (!c) return;
  if (!OacPlayAnim(c, limb, animId, start, current, end, loop, exChild)) ExplainPlayback(__func__, c, limb, animId);
}

void Xamo_oacAnimTransition(uint32_t oacId, uint32_t limb, uint32_t animId, float start, float current, float end,
                            uint32_t transTime, int32_t loop, int32_t exChild) {
  OacData* c = CommandController(__func__, oacId);
  if (!c) return;
  if (!OacAnimTransition(c, limb, animId, start, current, end, transTime, loop, exChild))
    ExplainPlayback(__func__, c, limb, animId);
}

void Xamo_oacSetInterpolFrame(uint32_t oacId, uint32_t limb, uint32_t animIdA, float frameA, uint32_t animIdB,
                              float frameB, float interpol, int32_t exChild) {
  OacData* c = CommandController(__func__, oacId);
  if (!c) return;
  if (!OacSetInterpolFrame(c, limb, animIdA, frameA, animIdB, frameB, interpol, exChild) &&
      !ExplainPlayback(__func__, c, limb, animIdA))
    ExplainPlayback(__func__, c, limb, animIdB);
}

void Xamo_oacUpdate(uint32_t oacId, uint32_t time) {
  if (OacData* c = CommandController(__func__, oacId)) OacUpdate(c, time);
}

void Xamo_oacGlobalRotateLimb(uint32_t oacId, uint32_t limb, float x, float y, float z) {
  OacData* c = CommandController(__func__, oacId);
  if (!c) return;
  if (!OacGlobalRotateLimb(c, limb, x, y, z)) DebugLogLimbBeyond(__func__, "limb", limb, "object", OacLimbBound(c));
}

void Xamo_ObjGlobalRotateLimb(uint32_t objNo, uint32_t limb, float x, float y, float z) {
  HostObject obj;
  if (!CommandObject(__func__, objNo, &obj)) return;
  if (!HostGlobalRotateLimb(obj, limb, x, y, z)) DebugLogLimbBeyond(__func__, "limb", limb, "object", obj.rec->limbCount);
}

void Xamo_oacSave(uint32_t oacId, char* fileName) {
  const OacData* c = CommandController(__func__, oacId);
  if (c && !OacSaveFile(c, fileName)) DebugLogUnwritable(__func__, fileName);
}

uint32_t Xamo_oacLoad(char* fileName, uint32_t objNo) {
  HostObject obj;
  if (!CommandObject(__func__, objNo, &obj)) return 0;
  FileLoadResult why;
  OacData* c = OacLoadFile(obj, fileName, &why);
  DebugLogFileRefused(__func__, fileName, why, "a controller");
  return c ? OacRegister(c) : 0;
}
