// Loading, saving and deleting animations.
#include "anim/animfile.h"
#include "commands.h"

uint32_t Xamo_AnimLoad(char* fileName) {
  FileLoadResult why;
  const uint32_t animId = AnimRegister(AnimLoadFile(fileName, &why));
  DebugLogFileRefused(__func__, fileName, why, "an animation");
  return animId;
}

void Xamo_AnimSave(uint32_t animId, char* fileName) {
  const AnimData* anim = DebugLogIfMissing(AnimFromHandle(animId), __func__, "animation", animId);
  if (anim && !AnimSaveFile(anim, fileName)) DebugLogUnwritable(__func__, fileName);
}

void Xamo_AnimDelete(uint32_t animId) {
  if (!AnimRelease(animId)) DebugLogNoHandle(__func__, "animation", animId);
}
