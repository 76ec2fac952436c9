// Extraction of an animation file from a host object's own animation.
#include "anim/extract.h"
#include "commands.h"
#include "plugin/debuglog.h"

void Xamo_ObjExtractAnimation(uint32_t objNo, char* fileName, uint32_t start, int32_t end) {
  HostObject obj;
  if (!CommandObject(__func__, objNo, &obj)) return;
  if (!ExtractAnimationToFile(obj, fileName, start, end)) DebugLogUnwritable(__func__, fileName);
  else DebugLogIfNotAnimated(__func__, obj, "the file holds no tracks");
}
