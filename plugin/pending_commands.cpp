// Commands not built yet: each answers its quiet result (0, 0.0 or nothing done).
// Every command listed here is a gap; the section of a family goes when the family is built.
#include "commands.h"

// ---- The animation library: files, queries, key editing, the blank animation ---------------------
uint32_t Xamo_AnimGetTotalFrames(uint32_t) { return 0; }
uint32_t Xamo_AnimGetTotalLimbs(uint32_t) { return 0; }
uint32_t Xamo_AnimGetLimbKeyTime(uint32_t, uint32_t, uint32_t) { return 0; }
uint32_t Xamo_AnimGetLimbKeys(uint32_t, uint32_t) { return 0; }
void Xamo_AnimSetPlaySpeed(uint32_t, float) {}
double Xamo_AnimGetPlaySpeed(uint32_t) { return 0.0; }
int32_t Xamo_AnimDeleteKey(uint32_t, uint32_t, uint32_t) { return 0; }
int32_t Xamo_AnimInsertKey(uint32_t, uint32_t, uint32_t) { return 0; }
double Xamo_AnimGetKeyRotX(uint32_t, uint32_t, uint32_t) { return 0.0; }
double Xamo_AnimGetKeyRotY(uint32_t, uint32_t, uint32_t) { return 0.0; }
double Xamo_AnimGetKeyRotZ(uint32_t, uint32_t, uint32_t) { return 0.0; }
double Xamo_AnimGetKeyPosX(uint32_t, uint32_t, uint32_t) { return 0.0; }
double Xamo_AnimGetKeyPosY(uint32_t, uint32_t, uint32_t) { return 0.0; }
double Xamo_AnimGetKeyPosZ(uint32_t, uint32_t, uint32_t) { return 0.0; }
double Xamo_AnimGetKeyScaleX(uint32_t, uint32_t, uint32_t) { return 0.0; }
double Xamo_AnimGetKeyScaleY(uint32_t, uint32_t, uint32_t) { return 0.0; }
double Xamo_AnimGetKeyScaleZ(uint32_t, uint32_t, uint32_t) { return 0.0; }
void Xamo_AnimModifyKeyRot(uint32_t, uint32_t, uint32_t, float, float, float) {}
void Xamo_AnimModifyKeyPos(uint32_t, uint32_t, uint32_t, float, float, float) {}
void Xamo_AnimModifyKeyScale(uint32_t, uint32_t, uint32_t, float, float, float) {}
void Xamo_ObjMakeNewAnimation(uint32_t, char*) {}
int32_t Xamo_AnimModifyKeyTime(uint32_t, uint32_t, uint32_t, uint32_t) { return 0; }

// ---- Host-object tools: extraction, renaming, saving without animations --------------------------
void Xamo_ObjExtractAnimation(uint32_t, char*, uint32_t, int32_t) {}
void Xamo_ObjRenameLimb(uint32_t, uint32_t, char*) {}
void Xamo_ObjSaveNoAnims(uint32_t, char*) {}

