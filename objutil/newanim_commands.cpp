// The blank animation file for an object.
#include "commands.h"
#include "objutil/newanim.h"
#include "plugin/debuglog.h"

void Xamo_ObjMakeNewAnimation(uint32_t objNo, char* fileName) {
  HostObject obj;
  if (!CommandObject(__func__, objNo, &obj)) return;
  const BlankAnimation blank = {obj.rec->limbCount, HostTotalAnimFrames(obj)};
  if (!WriteBlankAnimation(fileName, &blank)) DebugLogUnwritable(__func__, fileName);
}
