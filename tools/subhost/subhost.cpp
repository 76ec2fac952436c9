#include "subhost/subhost.h"

#include "commands.h"  // XAMO_ASM_NAME

#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#if defined(__x86_64__)
#include <sys/mman.h>
#endif

#include <map>

namespace subhost {
namespace {

struct LowBlock {
  void* p;
  size_t bytes;
};

std::vector<LowBlock> g_blocks;
std::map<uint32_t, sObject*> g_objects;
std::map<const sObject*, Generation> g_generations;
std::vector<SaveCall> g_saves;
HostCoreData* g_core = nullptr;

const ObjectFieldOffsets& Fields(const sObject* obj) {
  return GenerationOf(obj) == Generation::Current ? kCurrentObjectFields : kClassicObjectFields;
}

uint8_t* Bytes(const sObject* obj) { return reinterpret_cast<uint8_t*>(const_cast<sObject*>(obj)); }

std::map<const HostAddr*, uint32_t> g_capacity;  // room of each key array the host builder grew

// Grows a host key array by one key, doubling its room when full (arrays live in low memory; old
// ones stay until Reset).
template <class Key>
Key* Append(HostAddr* array, uint32_t* count) {
  uint32_t& room = g_capacity[array];
  if (*count >= room || !*array) {
    room = *count ? 2 * *count : 4;
    Key* grown = static_cast<Key*>(LowAlloc(sizeof(Key) * room));
    if (*count) memcpy(grown, HostPtr<Key>(*array), sizeof(Key) * *count);
    *array = HostAddrOf(grown);
  }
  Key* k = &HostPtr<Key>(*array)[*count];
  ++*count;
  return k;
}

}  // namespace

void* LowAlloc(size_t bytes) {
  if (bytes == 0) bytes = 1;
#if defined(__x86_64__)
  void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT, -1, 0);
  if (p == MAP_FAILED) abort();
#else
  void* p = calloc(1, bytes);
#endif
  g_blocks.push_back({p, bytes});
  return p;
}

void Reset() {
  for (const LowBlock& b : g_blocks) {
#if defined(__x86_64__)
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
  if (!g_core) g_core = static_cast<HostCoreData*>(LowAlloc(sizeof(HostCoreData)));
  return g_core;
}

uint32_t RecordSize(Generation gen) { return gen == Generation::Current ? 1320 : 1280; }

Generation GenerationOf(const sObject* obj) {
  auto it = g_generations.find(obj);
  return it == g_generations.end() ? Generation::Classic : it->second;
}

sObject* MakeObject(uint32_t number, uint32_t limbCount, Generation gen) {
  const uint32_t size = RecordSize(gen);
  sObject* obj = static_cast<sObject*>(LowAlloc(size));
  uint8_t* bytes = Bytes(obj);
  for (uint32_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(0xA5 ^ (i * 7));
  obj->limbCount = limbCount;
  HostAddr* table = static_cast<HostAddr*>(LowAlloc(sizeof(HostAddr) * (limbCount ? limbCount : 1)));
  obj->limbs = HostAddrOf(table);
  obj->animSet = 0;
  for (uint32_t i = 0; i < limbCount; ++i) {
    sLimb* l = static_cast<sLimb*>(LowAlloc(sizeof(sLimb)));
    snprintf(l->name, sizeof l->name, "limb%u", i);
    l->index = i;
    for (int k = 0; k < 16; ++k) {
      const float v = (k % 5 == 0) ? 1.0f : 0.0f;
      l->localMatrix[k] = l->combinedMatrix[k] = l->animMatrix[k] = v;
    }
    for (int k = 0; k < 3; ++k) {
      l->limbOffset[k] = 0.0f;
      l->limbScale[k] = 1.0f;
      l->limbRotation[k] = 0.0f;
    }
    table[i] = HostAddrOf(l);
  }
  g_generations[obj] = gen;
  const ObjectFieldOffsets& f = Fields(obj);
  SetWord(obj, f.objectNumber, number);
  SetWord(obj, f.cameraMask, 0xFFFFFFFFu);
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

sLimb* Limb(const sObject* obj, uint32_t i) { return HostPtr<sLimb>(HostPtr<HostAddr>(obj->limbs)[i]); }

void Link(sObject* obj, uint32_t parent, uint32_t child) {
  sLimb* p = Limb(obj, parent);
  sLimb* c = Limb(obj, child);
  if (!p->firstChild) {
    p->firstChild = HostAddrOf(c);
    return;
  }
  sLimb* s = HostPtr<sLimb>(p->firstChild);
  while (s->nextSibling) s = HostPtr<sLimb>(s->nextSibling);
  s->nextSibling = HostAddrOf(c);
}

void LinkTree(sObject* obj, const std::vector<int>& parents) {
  for (size_t i = 1; i < parents.size(); ++i)
    if (parents[i] >= 0) Link(obj, static_cast<uint32_t>(parents[i]), static_cast<uint32_t>(i));
}

uint32_t Word(const sObject* obj, uint32_t offset) {
  uint32_t v;
  memcpy(&v, Bytes(obj) + offset, 4);
  return v;
}

void SetWord(sObject* obj, uint32_t offset, uint32_t value) { memcpy(Bytes(obj) + offset, &value, 4); }

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
  const ObjectFieldOffsets& f = Fields(obj);
  Bytes(obj)[f.limbsChanged] = Bytes(obj)[f.boundsChangedA] = Bytes(obj)[f.boundsChangedB] = 0;
}

sLimbAnim* AddLimbAnim(sObject* obj, uint32_t limb) {
  sAnimSet* set = HostPtr<sAnimSet>(obj->animSet);
  if (!set) {
    set = static_cast<sAnimSet*>(LowAlloc(sizeof(sAnimSet)));
    obj->animSet = HostAddrOf(set);
  }
  sLimbAnim* a = static_cast<sLimbAnim*>(LowAlloc(sizeof(sLimbAnim)));
  a->limb = HostAddrOf(Limb(obj, limb));
  if (!set->firstLimbAnim) {
    set->firstLimbAnim = HostAddrOf(a);
  } else {
    sLimbAnim* last = HostPtr<sLimbAnim>(set->firstLimbAnim);
    while (last->next) last = HostPtr<sLimbAnim>(last->next);
    last->next = HostAddrOf(a);
  }
  return a;
}

void AddPositionKey(sLimbAnim* a, uint32_t time, float x, float y, float z) {
  sPosKey* k = Append<sPosKey>(&a->positionKeys, &a->positionKeyCount);
  *k = sPosKey{time, {x, y, z}, {}};
}

void AddRotationKey(sLimbAnim* a, uint32_t time, float x, float y, float z, float w) {
  sRotKey* k = Append<sRotKey>(&a->rotationKeys, &a->rotationKeyCount);
  *k = sRotKey{time, {x, y, z, w}};
}

void AddScaleKey(sLimbAnim* a, uint32_t time, float x, float y, float z) {
  sScaleKey* k = Append<sScaleKey>(&a->scaleKeys, &a->scaleKeyCount);
  *k = sScaleKey{time, {x, y, z}, {}};
}

void AddMatrixKey(sLimbAnim* a, uint32_t time, const float matrix[16]) {
  sMatrixKey* k = Append<sMatrixKey>(&a->matrixKeys, &a->matrixKeyCount);
  k->time = time;
  memcpy(k->matrix, matrix, sizeof k->matrix);
  memset(k->hostData, 0x3C, sizeof k->hostData);
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
  call.fileName = HostPtr<const char>(fileNameAddr);
  call.objectNumber = objectNumber;
  const sObject* obj = Object(static_cast<uint32_t>(objectNumber));
  FILE* f = fopen(call.fileName.c_str(), "wb");
  if (obj) {
    const sAnimSet* set = HostPtr<sAnimSet>(obj->animSet);
    for (const sLimbAnim* a = set ? HostPtr<sLimbAnim>(set->firstLimbAnim) : nullptr; a;
         a = HostPtr<sLimbAnim>(a->next)) {
      SavedTrack t;
      t.limb = HostPtr<sLimb>(a->limb)->index;
      t.counts[0] = a->positionKeyCount;
      t.counts[1] = a->rotationKeyCount;
      t.counts[2] = a->scaleKeyCount;
      t.counts[3] = a->matrixKeyCount;
      for (uint32_t i = 0; i < a->positionKeyCount; ++i) t.times[0].push_back(HostPtr<sPosKey>(a->positionKeys)[i].time);
      for (uint32_t i = 0; i < a->rotationKeyCount; ++i) t.times[1].push_back(HostPtr<sRotKey>(a->rotationKeys)[i].time);
      for (uint32_t i = 0; i < a->scaleKeyCount; ++i) t.times[2].push_back(HostPtr<sScaleKey>(a->scaleKeys)[i].time);
      for (uint32_t i = 0; i < a->matrixKeyCount; ++i) t.times[3].push_back(HostPtr<sMatrixKey>(a->matrixKeys)[i].time);
      if (f) fprintf(f, "limb %u: %u %u %u %u\n", t.limb, t.counts[0], t.counts[1], t.counts[2], t.counts[3]);
      call.tracks.push_back(t);
    }
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
