// The blank animation file for an object.
#include "commands.h"
#include "objutil/newanim.h"
#include "plugin/host.h"

void Xamo_ObjMakeNewAnimation(uint32_t objNo, char* fileName) {
  HostObject obj;
  if (!HostGetObject(objNo, &obj)) return;
  const BlankAnimation blank = {obj.rec->limbCount, HostTotalAnimFrames(obj)};
  WriteBlankAnimation(fileName, &blank);
}
