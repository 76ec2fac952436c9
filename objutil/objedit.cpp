#include "objutil/objedit.h"

#include <stddef.h>
#include <stdlib.h>
#include <string.h>

namespace {

// One key kind of an sLimbAnim as the save handles it, in the order it handles them: where its
// count and array lie, the size of a key, and how much of a key is its time and values (the rest
// is host data that belongs with the key's place in its array).
struct KindFields {
  size_t count;
  size_t array;
  size_t keySize;
  size_t valueSize;
};

const KindFields kKinds[4] = {
    {offsetof(sLimbAnim, matrixKeyCount), offsetof(sLimbAnim, matrixKeys), sizeof(sMatrixKey),
     offsetof(sMatrixKey, hostData)},
    {offsetof(sLimbAnim, rotationKeyCount), offsetof(sLimbAnim, rotationKeys), sizeof(sRotKey), sizeof(sRotKey)},
    {offsetof(sLimbAnim, positionKeyCount), offsetof(sLimbAnim, positionKeys), sizeof(sPosKey),
     offsetof(sPosKey, hostData)},
    {offsetof(sLimbAnim, scaleKeyCount), offsetof(sLimbAnim, scaleKeys), sizeof(sScaleKey),
     offsetof(sScaleKey, hostData)},
};

uint32_t* Field(sLimbAnim* a, size_t offset) {
  return reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(a) + offset);
}

// A record's counts and arrays as they stood before the save.
struct PreviousKeys {
  sLimbAnim* rec;
  uint32_t counts[4];
  HostAddr arrays[4];
};

bool IsCut(const PreviousKeys& p, int kind) { return p.counts[kind] > 1 && p.arrays[kind] != 0; }

}  // namespace

void RenameLimb(sObject* obj, uint32_t limb, const char* name) {
  char* field = HostLimb(obj, limb)->name;
  const size_t room = sizeof(sLimb::name);
  size_t n = 0;
  while (name && n < room - 1 && name[n]) ++n;
  if (n) memcpy(field, name, n);
  memset(field + n, 0, room - n);
}

void SaveWithoutAnims(const HostObject& obj, const char* fileName, HostSaveFn save) {
  if (!(HostTotalAnimFrames(obj) > 0.0f)) return;
  uint32_t records = 0;
  for (sLimbAnim* a = HostFirstLimbAnim(obj.rec); a; a = HostPtr<sLimbAnim>(a->next)) ++records;

  PreviousKeys* prev = static_cast<PreviousKeys*>(calloc(records ? records : 1, sizeof(PreviousKeys)));
  size_t shortBytes = 0;
  uint32_t r = 0;
  for (sLimbAnim* a = HostFirstLimbAnim(obj.rec); a; a = HostPtr<sLimbAnim>(a->next), ++r) {
    prev[r].rec = a;
    for (int k = 0; k < 4; ++k) {
      prev[r].counts[k] = *Field(a, kKinds[k].count);
      prev[r].arrays[k] = *Field(a, kKinds[k].array);
      if (IsCut(prev[r], k)) shortBytes += 2 * kKinds[k].keySize;
    }
  }
  // All two-key arrays in one zero-filled block the host can address.
  uint8_t* block = shortBytes ? static_cast<uint8_t*>(HostLowAlloc(shortBytes)) : nullptr;
  if (shortBytes && !block) {
    free(prev);
    return;
  }

  uint8_t* next = block;
  for (r = 0; r < records; ++r) {
    for (int k = 0; k < 4; ++k) {
      if (!IsCut(prev[r], k)) continue;
      const KindFields& f = kKinds[k];
      const uint8_t* old = HostPtr<const uint8_t>(prev[r].arrays[k]);
      // Key 0 whole: its host data still leads to key 1, which stays its next. Key 1: time and
      // values; its host data stays zero.
      memcpy(next, old, f.keySize);
      memcpy(next + f.keySize, old + f.keySize, f.valueSize);
      *Field(prev[r].rec, f.array) = HostAddrOf(next);
      *Field(prev[r].rec, f.count) = 2;
      next += 2 * f.keySize;
    }
  }

  save(fileName, obj.number);

  for (r = 0; r < records; ++r) {
    for (int k = 0; k < 4; ++k) {
      *Field(prev[r].rec, kKinds[k].count) = prev[r].counts[k];
      *Field(prev[r].rec, kKinds[k].array) = prev[r].arrays[k];
    }
  }
  HostLowFree(block, shortBytes);
  free(prev);
}
