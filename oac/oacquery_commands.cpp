// Controller queries and limb settings: guarded reads and writes of single fields.
#include "anim/euler.h"
#include "commands.h"
#include "oac/oac_commands.h"

namespace {

// The controller of a live handle when `limb` is valid for it, else null (logged).
OacData* WithLimb(const char* command, uint32_t oacId, uint32_t limb, const char* item = "limb") {
  OacData* c = CommandController(command, oacId);
  if (!c || OacLimbValid(c, limb)) return c;
  DebugLogLimbBeyond(command, item, limb, "object", OacLimbBound(c));
  return nullptr;
}
const OacLimbPlay* Play(const char* command, uint32_t oacId, uint32_t limb) {
  const OacData* c = WithLimb(command, oacId, limb);
  return c ? &c->limbPlay[limb] : nullptr;
}
const OacLimbTrans* Trans(const char* command, uint32_t oacId, uint32_t limb) {
  const OacData* c = WithLimb(command, oacId, limb);
  return c ? &c->limbTrans[limb] : nullptr;
}

const Mat4* Local(const char* command, uint32_t oacId, uint32_t limb) {
  const OacData* c = WithLimb(command, oacId, limb);
  return c ? &c->localMatrices[limb] : nullptr;
}
double Angle(const Mat4* m, int axis) {
  if (!m) return 0.0;
  const EulerAngles e = MatrixToEuler(*m);
  return axis == 0 ? e.x : axis == 1 ? e.y : e.z;
}
double Position(const Mat4* m, int axis) { return m ? m->m[12 + axis] : 0.0; }
double Scale(const Mat4* m, int row) { return m ? MatRowLength(*m, row) * 100.0 : 0.0; }

// The global matrix of a valid limb (computed when asked), or false.
bool Global(const char* command, uint32_t oacId, uint32_t limb, Mat4* out) {
  const OacData* c = WithLimb(command, oacId, limb);
  if (c) OacGlobalMatrix(c, limb, out);
  return c != nullptr;
}
double GlobalAngle(const char* command, uint32_t oacId, uint32_t limb, int axis) {
  Mat4 g;
  return Global(command, oacId, limb, &g) ? Angle(&g, axis) : 0.0;
}
double GlobalPosition(const char* command, uint32_t oacId, uint32_t limb, int axis) {
  Mat4 g;
  return Global(command, oacId, limb, &g) ? Position(&g, axis) : 0.0;
}

}  // namespace

// --- Play state ----------------------------------------------------------------------------------
double Xamo_oacGetCurrentFrame(uint32_t id, uint32_t limb) { const OacLimbPlay* p = Play(__func__, id, limb); return p ? p->currentFrame : 0.0; }
double Xamo_oacGetLimbStartFrame(uint32_t id, uint32_t limb) { const OacLimbPlay* p = Play(__func__, id, limb); return p ? p->startFrame : 0.0; }
double Xamo_oacGetLimbEndFrame(uint32_t id, uint32_t limb) { const OacLimbPlay* p = Play(__func__, id, limb); return p ? p->endFrame : 0.0; }
double Xamo_oacGetLimbPlayAnimSpeed(uint32_t id, uint32_t limb) { const OacLimbPlay* p = Play(__func__, id, limb); return p ? p->speed : 0.0; }
int32_t Xamo_oacGetLimbIsLooping(uint32_t id, uint32_t limb) { const OacLimbPlay* p = Play(__func__, id, limb); return p ? p->looping : 0; }
int32_t Xamo_oacGetLimbIsActive(uint32_t id, uint32_t limb) { const OacLimbPlay* p = Play(__func__, id, limb); return p ? p->active : 0; }
uint32_t Xamo_oacGetLimbPlayAnimID(uint32_t id, uint32_t limb) { const OacLimbPlay* p = Play(__func__, id, limb); return p ? p->animId : 0; }

// --- Transition state ----------------------------------------------------------------------------
double Xamo_oacGetLimbTransStartFrame(uint32_t id, uint32_t limb) { const OacLimbTrans* t = Trans(__func__, id, limb); return t ? t->startFrame : 0.0; }
double Xamo_oacGetLimbTransEndFrame(uint32_t id, uint32_t limb) { const OacLimbTrans* t = Trans(__func__, id, limb); return t ? t->endFrame : 0.0; }
uint32_t Xamo_oacGetLimbTransCurrentFrame(uint32_t id, uint32_t limb) { const OacLimbTrans* t = Trans(__func__, id, limb); return t ? TruncLow32(t->currentFrame) : 0; }
double Xamo_oacGetLimbTransAnimSpeed(uint32_t id, uint32_t limb) { const OacLimbTrans* t = Trans(__func__, id, limb); return t ? t->speed : 0.0; }
int32_t Xamo_oacGetLimbTransIsLooping(uint32_t id, uint32_t limb) { const OacLimbTrans* t = Trans(__func__, id, limb); return t ? t->looping : 0; }
int32_t Xamo_oacGetLimbTransIsActive(uint32_t id, uint32_t limb) { const OacLimbTrans* t = Trans(__func__, id, limb); return t ? t->active : 0; }
uint32_t Xamo_oacGetLimbTransTotalTime(uint32_t id, uint32_t limb) { const OacLimbTrans* t = Trans(__func__, id, limb); return t ? t->totalTime : 0; }
uint32_t Xamo_oacGetLimbTransTimeUsed(uint32_t id, uint32_t limb) { const OacLimbTrans* t = Trans(__func__, id, limb); return t ? t->timeUsed : 0; }
uint32_t Xamo_oacGetLimbTransAnimID(uint32_t id, uint32_t limb) { const OacLimbTrans* t = Trans(__func__, id, limb); return t ? t->animId : 0; }
double Xamo_oacGetLimbTransInterpol(uint32_t id, uint32_t limb) { const OacLimbTrans* t = Trans(__func__, id, limb); return t ? t->interpol : 0.0; }

// --- Limb matrices -------------------------------------------------------------------------------
double Xamo_oacGetLimbRotX(uint32_t id, uint32_t limb) { return Angle(Local(__func__, id, limb), 0); }
double Xamo_oacGetLimbRotY(uint32_t id, uint32_t limb) { return Angle(Local(__func__, id, limb), 1); }
double Xamo_oacGetLimbRotZ(uint32_t id, uint32_t limb) { return Angle(Local(__func__, id, limb), 2); }
double Xamo_oacGetLimbPosX(uint32_t id, uint32_t limb) { return Position(Local(__func__, id, limb), 0); }
double Xamo_oacGetLimbPosY(uint32_t id, uint32_t limb) { return Position(Local(__func__, id, limb), 1); }
double Xamo_oacGetLimbPosZ(uint32_t id, uint32_t limb) { return Position(Local(__func__, id, limb), 2); }
double Xamo_oacGetLimbScaleX(uint32_t id, uint32_t limb) { return Scale(Local(__func__, id, limb), 0); }
double Xamo_oacGetLimbScaleY(uint32_t id, uint32_t limb) { return Scale(Local(__func__, id, limb), 1); }
double Xamo_oacGetLimbScaleZ(uint32_t id, uint32_t limb) { return Scale(Local(__func__, id, limb), 2); }
double Xamo_oacGetLimbGlobalRotX(uint32_t id, uint32_t limb) { return GlobalAngle(__func__, id, limb, 0); }
double Xamo_oacGetLimbGlobalRotY(uint32_t id, uint32_t limb) { return GlobalAngle(__func__, id, limb, 1); }
double Xamo_oacGetLimbGlobalRotZ(uint32_t id, uint32_t limb) { return GlobalAngle(__func__, id, limb, 2); }
double Xamo_oacGetLimbGlobalPosX(uint32_t id, uint32_t limb) { return GlobalPosition(__func__, id, limb, 0); }
double Xamo_oacGetLimbGlobalPosY(uint32_t id, uint32_t limb) { return GlobalPosition(__func__, id, limb, 1); }
double Xamo_oacGetLimbGlobalPosZ(uint32_t id, uint32_t limb) { return GlobalPosition(__func__, id, limb, 2); }

// --- Tree, order and settings --------------------------------------------------------------------
uint32_t Xamo_oacGetParentLimb(uint32_t id, uint32_t limb) {
  const OacData* c = WithLimb(__func__, id, limb);
  return c ? c->limbLinks[limb].parent : 0;
}

uint32_t Xamo_oacIsLimbChild(uint32_t id, uint32_t parent, uint32_t child) {
  const OacData* c = WithLimb(__func__, id, parent, "parent");
  if (!c) return 0;
  if (OacLimbValid(c, child)) return c->limbLinks[parent].childFlags[child];
  DebugLogLimbBeyond(__func__, "child", child, "object", OacLimbBound(c));
  return 0;
}

uint32_t Xamo_oacGetUpdateOrder(uint32_t id, uint32_t order) {
  const OacData* c = WithLimb(__func__, id, order, "order");
  return c ? c->updateOrder[order] : 0;
}

uint32_t Xamo_oacGetModelType(uint32_t id) {
  const OacData* c = CommandController(__func__, id);
  return c ? c->modelType : 0;
}

void Xamo_oacSetModelType(uint32_t id, uint32_t type) {
  if (OacData* c = CommandController(__func__, id)) c->modelType = type;
}

uint32_t Xamo_oacGetUpdateBounds(uint32_t id) {
  const OacData* c = CommandController(__func__, id);
  return c ? c->updateBounds : 0;
}

void Xamo_oacSetUpdateBounds(uint32_t id, uint32_t flag) {
  if (OacData* c = CommandController(__func__, id)) c->updateBounds = flag == 1 ? 1 : 0;
}

uint32_t Xamo_oacGetLimbActive(uint32_t id, uint32_t limb) {
  const OacData* c = WithLimb(__func__, id, limb);
  return c ? c->limbActive[limb] : 0;
}

void Xamo_oacSetLimbActive(uint32_t id, uint32_t limb, uint32_t flag) {
  if (OacData* c = WithLimb(__func__, id, limb)) OacSetLimbActive(c, limb, flag == 1 ? 1 : 0);
}

int32_t Xamo_oacGetLimbReference(uint32_t id, uint32_t limb) {
  const OacData* c = WithLimb(__func__, id, limb);
  return c ? c->limbReference[limb] : 0;
}

void Xamo_oacSetLimbReference(uint32_t id, uint32_t limb, int32_t refLimb) {
  OacData* c = WithLimb(__func__, id, limb);
  if (!c) return;
  if (static_cast<int64_t>(refLimb) < static_cast<int64_t>(OacLimbBound(c))) OacSetLimbReference(c, limb, refLimb);
  else DebugLogLimbBeyond(__func__, "reference limb", static_cast<uint32_t>(refLimb), "object", OacLimbBound(c));
}

namespace {
void SetSpeed(const char* command, uint32_t id, uint32_t limb, float speed, int32_t exChild, bool trans) {
  OacData* c = CommandController(command, id);
  if (!c) return;
  if (!OacSetLimbSpeed(c, limb, speed, exChild, trans)) DebugLogLimbBeyond(command, "limb", limb, "object", OacLimbBound(c));
}
}  // namespace

void Xamo_oacSetLimbPlayAnimSpeed(uint32_t id, uint32_t limb, float speed, int32_t exChild) {
  SetSpeed(__func__, id, limb, speed, exChild, false);
}

void Xamo_oacSetLimbTransAnimSpeed(uint32_t id, uint32_t limb, float speed, int32_t exChild) {
  SetSpeed(__func__, id, limb, speed, exChild, true);
}
