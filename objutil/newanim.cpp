#include "objutil/newanim.h"

#include "anim/animfile.h"
#include "plugin/filebuf.h"

void SerializeBlankAnimation(uint8_t** cursor, const BlankAnimation* blank, uint32_t* bytes) {
  static const AnimKey kBlankKeys[2] = {{kIdentity, 0, {}}, {kIdentity, 1, {}}};
  SerializeAnimHeader(cursor, blank->limbCount, blank->totalFrames, bytes);
  for (uint32_t i = 0; i < blank->limbCount; ++i) SerializeAnimTrack(cursor, kIdentity, kBlankKeys, 2, bytes);
  SerializeAnimEnd(cursor, bytes);
}

bool WriteBlankAnimation(const char* fileName, const BlankAnimation* blank) {
  return WriteLaidOutFile(fileName, [](uint8_t** cursor, const void* what, uint32_t* bytes) {
    SerializeBlankAnimation(cursor, static_cast<const BlankAnimation*>(what), bytes);
  }, blank);
}
