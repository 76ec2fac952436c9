// The controller file ("OACOBJ"): a controller's limb tree and limb settings, no playback.
//
// Layout (little-endian 32-bit fields, no padding): magic length L, L magic bytes, 1000, 0, 0,
// limb count n, model type, n update-order entries, n links of {parent, n child flags}, n active
// flags, n references. With L = 6: 30 + 16n + 4n^2 bytes.
#include <stdlib.h>

#include "oac/controller.h"
#include "plugin/filebuf.h"

namespace {
const char kMagic[] = "OACOBJ";
const uint32_t kMagicLength = 6;
}  // namespace

void SerializeController(uint8_t** cursor, const OacData* c, uint32_t* bytes) {
  const uint32_t n = c->limbCount;
  PutU32(cursor, bytes, kMagicLength);
  PutBytes(cursor, bytes, kMagic, kMagicLength);
  PutU32(cursor, bytes, 1000);
  PutU32(cursor, bytes, 0);
  PutU32(cursor, bytes, 0);
  PutU32(cursor, bytes, n);
  PutU32(cursor, bytes, c->modelType);
  for (uint32_t i = 0; i < n; ++i) PutU32(cursor, bytes, c->updateOrder[i]);
  for (uint32_t i = 0; i < n; ++i) {
    PutU32(cursor, bytes, c->limbLinks[i].parent);
    for (uint32_t j = 0; j < n; ++j) PutU32(cursor, bytes, c->limbLinks[i].childFlags[j]);
  }
  for (uint32_t i = 0; i < n; ++i) PutU32(cursor, bytes, c->limbActive[i]);
  for (uint32_t i = 0; i < n; ++i) PutU32(cursor, bytes, static_cast<uint32_t>(c->limbReference[i]));
}

bool OacSaveFile(const OacData* c, const char* fileName) {
  return WriteLaidOutFile(fileName, [](uint8_t** cursor, uint32_t* bytes, const void* what) {
    SerializeController(cursor, static_cast<const OacData*>(what), bytes);
  }, c);
}

OacData* OacParse(const HostObject& obj, const uint8_t* data, size_t size, FileLoadResult* why) {
  FileLoadResult ignored;
  if (!why) why = &ignored;
  ByteReader r = MakeReader(data, size);
  *why = kFileForeign;
  if (!ReadMagic(&r, kMagic)) return nullptr;
  Skip(&r, 12);
  const uint32_t n = GetU32(&r);
  const uint32_t modelType = GetU32(&r);
  *why = kFileOtherLimbs;
  if (r.ok && n != obj.rec->limbCount) return nullptr;
  *why = kFileTruncated;
  // Everything after the counts, n + 4 words per limb: its order entry, parent, n child flags,
  // active flag and reference. Asked as n records of that size, so nothing can wrap.
  if (!r.ok || !Fits(&r, n, 4 * (static_cast<uint64_t>(n) + 4))) return nullptr;
  *why = kFileLoaded;
  OacData* c = OacAlloc(obj, n);
  c->modelType = modelType;
  for (uint32_t i = 0; i < n; ++i) c->updateOrder[i] = GetU32(&r);
  for (uint32_t i = 0; i < n; ++i) {
    c->limbLinks[i].parent = GetU32(&r);
    for (uint32_t j = 0; j < n; ++j) c->limbLinks[i].childFlags[j] = GetU32(&r);
  }
  for (uint32_t i = 0; i < n; ++i) c->limbActive[i] = GetU32(&r) != 0 ? 1 : 0;
  for (uint32_t i = 0; i < n; ++i) c->limbReference[i] = static_cast<int32_t>(GetU32(&r));
  return c;
}

OacData* OacLoadFile(const HostObject& obj, const char* fileName, FileLoadResult* why) {
  uint8_t* data;
  size_t size;
  if (!ReadWholeFile(fileName, &data, &size)) {
    if (why) *why = kFileUnreadable;
    return nullptr;
  }
  OacData* c = OacParse(obj, data, size, why);
  free(data);
  return c;
}
