// Loading, saving and deleting animations.
#include "anim/animfile.h"
#include "commands.h"

uint32_t Xamo_AnimLoad(char* fileName) { return AnimRegister(AnimLoadFile(fileName)); }

void Xamo_AnimSave(uint32_t animId, char* fileName) {
  const AnimData* anim = AnimFromHandle(animId);
  if (anim) AnimSaveFile(anim, fileName);
}

void Xamo_AnimDelete(uint32_t animId) { AnimRelease(animId); }
