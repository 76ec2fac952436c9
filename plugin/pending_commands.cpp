// Commands not built yet: each answers its quiet result (0, 0.0 or nothing done).
// Every command listed here is a gap; the section of a family goes when the family is built.
#include "commands.h"

// ---- The object animation controller and global limb rotation ------------------------------------
uint32_t Xamo_oacGetParentLimb(uint32_t, uint32_t) { return 0; }
uint32_t Xamo_oacIsLimbChild(uint32_t, uint32_t, uint32_t) { return 0; }
double Xamo_oacGetCurrentFrame(uint32_t, uint32_t) { return 0.0; }
void Xamo_oacDelete(uint32_t) {}
void Xamo_oacAnimTransition(uint32_t, uint32_t, uint32_t, float, float, float, uint32_t, int32_t, int32_t) {}
void Xamo_oacSetLimbPlayAnimSpeed(uint32_t, uint32_t, float, int32_t) {}
void Xamo_oacSetLimbTransAnimSpeed(uint32_t, uint32_t, float, int32_t) {}
double Xamo_oacGetLimbPlayAnimSpeed(uint32_t, uint32_t) { return 0.0; }
double Xamo_oacGetLimbTransAnimSpeed(uint32_t, uint32_t) { return 0.0; }
double Xamo_oacGetLimbStartFrame(uint32_t, uint32_t) { return 0.0; }
uint32_t Xamo_oacCreate(uint32_t) { return 0; }
void Xamo_oacSetFrame(uint32_t, uint32_t, uint32_t, float, int32_t) {}
void Xamo_oacPlayAnim(uint32_t, uint32_t, uint32_t, float, float, float, int32_t, int32_t) {}
void Xamo_oacSetInterpolFrame(uint32_t, uint32_t, uint32_t, float, uint32_t, float, float, int32_t) {}
void Xamo_oacUpdate(uint32_t, uint32_t) {}
double Xamo_oacGetLimbEndFrame(uint32_t, uint32_t) { return 0.0; }
int32_t Xamo_oacGetLimbIsLooping(uint32_t, uint32_t) { return 0; }
int32_t Xamo_oacGetLimbIsActive(uint32_t, uint32_t) { return 0; }
double Xamo_oacGetLimbTransStartFrame(uint32_t, uint32_t) { return 0.0; }
double Xamo_oacGetLimbTransEndFrame(uint32_t, uint32_t) { return 0.0; }
int32_t Xamo_oacGetLimbTransIsLooping(uint32_t, uint32_t) { return 0; }
int32_t Xamo_oacGetLimbTransIsActive(uint32_t, uint32_t) { return 0; }
uint32_t Xamo_oacGetLimbTransTotalTime(uint32_t, uint32_t) { return 0; }
uint32_t Xamo_oacGetLimbTransTimeUsed(uint32_t, uint32_t) { return 0; }
uint32_t Xamo_oacGetObjectID(uint32_t) { return 0; }
uint32_t Xamo_oacGetLimbPlayAnimID(uint32_t, uint32_t) { return 0; }
uint32_t Xamo_oacGetLimbTransAnimID(uint32_t, uint32_t) { return 0; }
void Xamo_ObjGlobalRotateLimb(uint32_t, uint32_t, float, float, float) {}
double Xamo_oacGetLimbTransInterpol(uint32_t, uint32_t) { return 0.0; }
uint32_t Xamo_oacGetLimbTransCurrentFrame(uint32_t, uint32_t) { return 0; }
double Xamo_oacGetLimbRotX(uint32_t, uint32_t) { return 0.0; }
double Xamo_oacGetLimbRotY(uint32_t, uint32_t) { return 0.0; }
double Xamo_oacGetLimbRotZ(uint32_t, uint32_t) { return 0.0; }
double Xamo_oacGetLimbPosX(uint32_t, uint32_t) { return 0.0; }
double Xamo_oacGetLimbPosY(uint32_t, uint32_t) { return 0.0; }
double Xamo_oacGetLimbPosZ(uint32_t, uint32_t) { return 0.0; }
double Xamo_oacGetLimbScaleX(uint32_t, uint32_t) { return 0.0; }
double Xamo_oacGetLimbScaleY(uint32_t, uint32_t) { return 0.0; }
double Xamo_oacGetLimbScaleZ(uint32_t, uint32_t) { return 0.0; }
void Xamo_oacGlobalRotateLimb(uint32_t, uint32_t, float, float, float) {}
uint32_t Xamo_oacGetUpdateOrder(uint32_t, uint32_t) { return 0; }
uint32_t Xamo_oacGetModelType(uint32_t) { return 0; }
void Xamo_oacSetModelType(uint32_t, uint32_t) {}
void Xamo_oacSetUpdateBounds(uint32_t, uint32_t) {}
uint32_t Xamo_oacGetUpdateBounds(uint32_t) { return 0; }
void Xamo_oacSetLimbActive(uint32_t, uint32_t, uint32_t) {}
uint32_t Xamo_oacGetLimbActive(uint32_t, uint32_t) { return 0; }
uint32_t Xamo_oacCreateClone(uint32_t, uint32_t) { return 0; }
double Xamo_oacGetLimbGlobalRotX(uint32_t, uint32_t) { return 0.0; }
double Xamo_oacGetLimbGlobalRotY(uint32_t, uint32_t) { return 0.0; }
double Xamo_oacGetLimbGlobalRotZ(uint32_t, uint32_t) { return 0.0; }
double Xamo_oacGetLimbGlobalPosX(uint32_t, uint32_t) { return 0.0; }
double Xamo_oacGetLimbGlobalPosY(uint32_t, uint32_t) { return 0.0; }
double Xamo_oacGetLimbGlobalPosZ(uint32_t, uint32_t) { return 0.0; }
void Xamo_oacSetLimbReference(uint32_t, uint32_t, int32_t) {}
int32_t Xamo_oacGetLimbReference(uint32_t, uint32_t) { return 0; }
void Xamo_oacSave(uint32_t, char*) {}
uint32_t Xamo_oacLoad(char*, uint32_t) { return 0; }
