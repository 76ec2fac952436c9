#include "objutil/newanim.h"

#include "anim/animfile.h"
#include "plugin/filebuf.h"

void SerializeBlankAnimation(uint8_t** cursor, const BlankAnimation* blank, uint32_t* bytes) {
  PutAnimFileHeader(cursor, bytes, blank->limbCount, blank->totalFrames);
  for (uint32_t i = 0; i < blank->limbCount; ++i) PutAnimFileStillTrack(cursor, bytes);
  PutAnimFileEnd(cursor, bytes);
}

bool WriteBlankAnimation(const char* fileName, const BlankAnimation* blank) {
  return WriteLaidOutFile(fileName, [](uint8_t** cursor, uint32_t* bytes, const void* what) {
    SerializeBlankAnimation(cursor, static_cast<const BlankAnimation*>(what), bytes);
  }, blank);
}
