// Extraction of an animation file from a host object's own animation.
#include "anim/extract.h"
#include "commands.h"

void Xamo_ObjExtractAnimation(uint32_t objNo, char* fileName, uint32_t start, int32_t end) {
  HostObject obj;
  if (!HostGetObject(objNo, &obj)) return;
  ExtractAnimationToFile(obj, fileName, start, end);
}
