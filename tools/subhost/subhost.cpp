#include "subhost/subhost.h"

#include "commands.h"  // XAMO_ASM_NAME

#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#if defined(__x86_64__)
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <map>

#include "subhost/layout.h"

// Poisoning the slack after each host record, where the address sanitizer is built in.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SUBHOST_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(SUBHOST_ASAN)
#include <sanitizer/asan_interface.h>
#else
#define ASAN_POISON_MEMORY_REGION(p, n) ((void)(p), (void)(n))
#define ASAN_UNPOISON_MEMORY_REGION(p, n) ((void)(p), (void)(n))
#endif

namespace subhost {
namespace {

using namespace layout;

struct LowBlock {
  void* p;
  size_t bytes;
};

std::vector<LowBlock> g_blocks;
std::map<uint32_t, sObject*> g_objects;
std::map<const sObject*, Generation> g_generations;
std::vector<SaveCall> g_saves;
void* g_core = nullptr;

// Every field goes through these, at the offsets of layout.h.
uint8_t* Bytes(const void* record) { return static_cast<uint8_t*>(const_cast<void*>(record)); }
uint32_t Addr(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }
uint8_t* At(uint32_t addr) { return reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(addr)); }
uint32_t GetU32(const void* record, uint32_t offset) {
  uint32_t v;
  memcpy(&v, Bytes(record) + offset, 4);
  return v;
}
void PutU32(void* record, uint32_t offset, uint32_t v) { memcpy(Bytes(record) + offset, &v, 4); }
void PutFloats(void* record, uint32_t offset, const float* v, size_t count) {
  memcpy(Bytes(record) + offset, v, count * sizeof(float));
}

const GenerationFields& Fields(const sObject* obj) {
  return GenerationOf(obj) == Generation::Current ? kCurrent : kClassic;
}

std::map<uint32_t, uint32_t> g_capacity;  // room of each key array the host builder grew, by its address

// Appends a key record of `kind` to a limb animation, doubling the array's room when full
// (arrays live in low memory; old ones stay until Reset). Returns the new record.
uint8_t* AppendKey(sLimbAnim* a, KeyKind kind, uint32_t time) {
  const uint32_t size = kKeySize[kind], countAt = kAnimCounts + 4 * kind, arrayAt = kAnimArrays + 4 * kind;
  const uint32_t count = GetU32(a, countAt);
  uint32_t array = GetU32(a, arrayAt);
  uint32_t& room = g_capacity[array];
  if (!array || count >= room) {
    const uint32_t grown = count ? 2 * count : 4;
    uint8_t* bigger = static_cast<uint8_t*>(LowAlloc(static_cast<size_t>(size) * grown));
    if (count) memcpy(bigger, At(array), static_cast<size_t>(size) * count);
    array = Addr(bigger);
    g_capacity[array] = grown;
    PutU32(a, arrayAt, array);
  }
  uint8_t* key = At(array) + static_cast<size_t>(size) * count;
  PutU32(key, kKeyTime, time);
  PutU32(a, countAt, count + 1);
  return key;
}

}  // namespace

void* LowAlloc(size_t bytes) {
  if (bytes == 0) bytes = 1;
#if defined(__x86_64__)
  void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT, -1, 0);
  if (p == MAP_FAILED) abort();
  // The rest of the page is no part of the record: under the address sanitizer a read or write
  // past the record's end is reported.
  const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE)), mapped = (bytes + page - 1) / page * page;
  ASAN_POISON_MEMORY_REGION(static_cast<uint8_t*>(p) + bytes, mapped - bytes);
#else
  void* p = calloc(1, bytes);  // the heap's own red zones mark the record's end
#endif
  g_blocks.push_back({p, bytes});
  return p;
}

void Reset() {
  for (const LowBlock& b : g_blocks) {
#if defined(__x86_64__)
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE)), mapped = (b.bytes + page - 1) / page * page;
    ASAN_UNPOISON_MEMORY_REGION(b.p, mapped);
    munmap(b.p, b.bytes);
#else
    free(b.p);
#endif
  }
  g_blocks.clear();
  g_objects.clear();
  g_generations.clear();
  g_saves.clear();
  g_capacity.clear();
  g_core = nullptr;
}

void* CoreData() {
  if (!g_core) g_core = LowAlloc(kCoreSize);
  return g_core;
}

uint32_t RecordSize(Generation gen) { return (gen == Generation::Current ? kCurrent : kClassic).recordSize; }

Generation GenerationOf(const sObject* obj) {
  auto it = g_generations.find(obj);
  return it == g_generations.end() ? Generation::Classic : it->second;
}

sObject* MakeObject(uint32_t number, uint32_t limbCount, Generation gen) {
  const GenerationFields& f = gen == Generation::Current ? kCurrent : kClassic;
  sObject* obj = static_cast<sObject*>(LowAlloc(f.recordSize));
  uint8_t* bytes = Bytes(obj);
  for (uint32_t i = 0; i < f.recordSize; ++i) bytes[i] = static_cast<uint8_t>(0xA5 ^ (i * 7));
  PutU32(obj, kObjLimbCount, limbCount);
  uint8_t* table = static_cast<uint8_t*>(LowAlloc(4 * static_cast<size_t>(limbCount ? limbCount : 1)));
  PutU32(obj, kObjLimbs, Addr(table));
  PutU32(obj, kObjAnimSet, 0);
  static const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  static const float kZero[3] = {0, 0, 0}, kOne[3] = {1, 1, 1};
  for (uint32_t i = 0; i < limbCount; ++i) {
    uint8_t* l = static_cast<uint8_t*>(LowAlloc(kLimbSize));
    snprintf(reinterpret_cast<char*>(l + kLimbName), kLimbNameSize, "limb%u", i);
    PutU32(l, kLimbIndex, i);
    for (uint32_t m : {kLimbLocalMatrix, kLimbCombinedMatrix, kLimbAnimMatrix}) PutFloats(l, m, kIdentity, 16);
    PutFloats(l, kLimbOffset, kZero, 3);
    PutFloats(l, kLimbScale, kOne, 3);
    PutFloats(l, kLimbRotation, kZero, 3);
    PutU32(table, 4 * i, Addr(l));
  }
  g_generations[obj] = gen;
  PutU32(obj, f.objectNumber, number);
  PutU32(obj, f.cameraMask, 0xFFFFFFFFu);
  bytes[f.boundsChangedA] = bytes[f.boundsChangedB] = bytes[f.limbsChanged] = 0;
  SetTotalAnimFrames(obj, 0.0f);
  g_objects[number] = obj;
  return obj;
}

sObject* Object(uint32_t number) {
  auto it = g_objects.find(number);
  return it == g_objects.end() ? nullptr : it->second;
}

void RemoveObject(uint32_t number) { g_objects.erase(number); }

sLimb* Limb(const sObject* obj, uint32_t i) {
  return reinterpret_cast<sLimb*>(At(GetU32(At(GetU32(obj, kObjLimbs)), 4 * i)));
}

void Link(sObject* obj, uint32_t parent, uint32_t child) {
  uint8_t* p = Bytes(Limb(obj, parent));
  const uint32_t c = Addr(Limb(obj, child));
  if (!GetU32(p, kLimbFirstChild)) {
    PutU32(p, kLimbFirstChild, c);
    return;
  }
  uint8_t* s = At(GetU32(p, kLimbFirstChild));
  while (GetU32(s, kLimbNextSibling)) s = At(GetU32(s, kLimbNextSibling));
  PutU32(s, kLimbNextSibling, c);
}

void LinkTree(sObject* obj, const std::vector<int>& parents) {
  for (size_t i = 1; i < parents.size(); ++i)
    if (parents[i] >= 0) Link(obj, static_cast<uint32_t>(parents[i]), static_cast<uint32_t>(i));
}

uint32_t Word(const sObject* obj, uint32_t offset) { return GetU32(obj, offset); }

void SetWord(sObject* obj, uint32_t offset, uint32_t value) { PutU32(obj, offset, value); }

float TotalAnimFrames(const sObject* obj) {
  float v;
  memcpy(&v, Bytes(obj) + Fields(obj).totalAnimFrames, 4);
  return v;
}

void SetTotalAnimFrames(sObject* obj, float frames) { memcpy(Bytes(obj) + Fields(obj).totalAnimFrames, &frames, 4); }
uint8_t LimbsChanged(const sObject* obj) { return Bytes(obj)[Fields(obj).limbsChanged]; }
uint8_t BoundsChangedA(const sObject* obj) { return Bytes(obj)[Fields(obj).boundsChangedA]; }
uint8_t BoundsChangedB(const sObject* obj) { return Bytes(obj)[Fields(obj).boundsChangedB]; }

void ClearChangeFlags(sObject* obj) {
  const GenerationFields& f = Fields(obj);
  Bytes(obj)[f.limbsChanged] = Bytes(obj)[f.boundsChangedA] = Bytes(obj)[f.boundsChangedB] = 0;
}

sLimbAnim* AddLimbAnim(sObject* obj, uint32_t limb) {
  uint8_t* set = At(GetU32(obj, kObjAnimSet));
  if (!set) {
    set = static_cast<uint8_t*>(LowAlloc(kSetSize));
    PutU32(obj, kObjAnimSet, Addr(set));
  }
  uint8_t* a = static_cast<uint8_t*>(LowAlloc(kAnimSize));
  PutU32(a, kAnimLimb, Addr(Limb(obj, limb)));
  if (!GetU32(set, kSetFirstLimbAnim)) {
    PutU32(set, kSetFirstLimbAnim, Addr(a));
  } else {
    uint8_t* last = At(GetU32(set, kSetFirstLimbAnim));
    while (GetU32(last, kAnimNext)) last = At(GetU32(last, kAnimNext));
    PutU32(last, kAnimNext, Addr(a));
  }
  return reinterpret_cast<sLimbAnim*>(a);
}

void AddPositionKey(sLimbAnim* a, uint32_t time, float x, float y, float z) {
  const float v[3] = {x, y, z};
  PutFloats(AppendKey(a, kPosition, time), kKeyValues, v, 3);
}

void AddRotationKey(sLimbAnim* a, uint32_t time, float x, float y, float z, float w) {
  const float v[4] = {x, y, z, w};
  PutFloats(AppendKey(a, kRotation, time), kKeyValues, v, 4);
}

void AddScaleKey(sLimbAnim* a, uint32_t time, float x, float y, float z) {
  const float v[3] = {x, y, z};
  PutFloats(AppendKey(a, kScale, time), kKeyValues, v, 3);
}

void AddMatrixKey(sLimbAnim* a, uint32_t time, const float matrix[16]) {
  uint8_t* k = AppendKey(a, kMatrix, time);
  PutFloats(k, kKeyValues, matrix, 16);
  memset(k + kKeyValues + 64, 0x3C, kKeySize[kMatrix] - kKeyValues - 64);  // the host's own data
}

const std::vector<SaveCall>& SaveCalls() { return g_saves; }

bool ExportCurrentGenerationMarker() {
#ifdef SUBHOST_MARKER_LIBRARY
  return dlopen(SUBHOST_MARKER_LIBRARY, RTLD_NOW | RTLD_GLOBAL) != nullptr;
#else
  return false;
#endif
}

// The host's Save: records what it sees and writes a small text file of the object's key times.
void HostSave(uint32_t fileNameAddr, int objectNumber) {
  SaveCall call;
  call.fileName = reinterpret_cast<const char*>(At(fileNameAddr));
  call.objectNumber = objectNumber;
  const sObject* obj = Object(static_cast<uint32_t>(objectNumber));
  FILE* f = fopen(call.fileName.c_str(), "wb");
  const uint8_t* set = obj ? At(GetU32(obj, kObjAnimSet)) : nullptr;
  for (const uint8_t* a = set ? At(GetU32(set, kSetFirstLimbAnim)) : nullptr; a; a = At(GetU32(a, kAnimNext))) {
    SavedTrack t;
    t.limb = GetU32(At(GetU32(a, kAnimLimb)), kLimbIndex);
    for (int kind = 0; kind < 4; ++kind) {
      t.counts[kind] = GetU32(a, kAnimCounts + 4 * kind);
      const uint8_t* keys = At(GetU32(a, kAnimArrays + 4 * kind));
      for (uint32_t i = 0; i < t.counts[kind]; ++i) t.times[kind].push_back(GetU32(keys + kKeySize[kind] * i, kKeyTime));
    }
    if (f) fprintf(f, "limb %u: %u %u %u %u\n", t.limb, t.counts[0], t.counts[1], t.counts[2], t.counts[3]);
    call.tracks.push_back(t);
  }
  if (f) fclose(f);
  g_saves.push_back(call);
}

}  // namespace subhost

// The two host functions, under the names the plug-in looks up on ELF systems.
extern "C" __attribute__((visibility("default"))) sObject* SubhostGetObjectA(int number)
    XAMO_ASM_NAME("?GetObjectA$$YAPAUsObject$$H$Z");
extern "C" __attribute__((visibility("default"))) void SubhostSave(uint32_t fileName, int number)
    XAMO_ASM_NAME("?Save$$YAXKH$Z");

sObject* SubhostGetObjectA(int number) { return subhost::Object(static_cast<uint32_t>(number)); }
void SubhostSave(uint32_t fileName, int number) { subhost::HostSave(fileName, number); }
