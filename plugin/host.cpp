#include "plugin/host.h"

#include <stdlib.h>
#include <string.h>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#if defined(__x86_64__)
#include <sys/mman.h>
#endif
#endif

namespace {

const HostCoreData* g_core = nullptr;

const char kGetObjectName[] = "?GetObjectA@@YAPAUsObject@@H@Z";
const char kSaveName[] = "?Save@@YAXKH@Z";
// Exported only by the current host generation.
const char kCurrentGenerationMarker[] = "?SetCharacterCreatorTones@@YAXHHMMMM@Z";

typedef sObject* (*GetObjectFn)(int);
typedef void (*SaveFn)(uint32_t, int);

uint32_t ReadU32(const sObject* rec, uint16_t offset) {
  uint32_t v;
  memcpy(&v, reinterpret_cast<const uint8_t*>(rec) + offset, sizeof v);
  return v;
}

void WriteU8(const HostObject& obj, uint16_t offset, uint8_t v) {
  reinterpret_cast<uint8_t*>(obj.rec)[offset] = v;
}

}  // namespace

void HostSetCoreData(void* coreData) { g_core = static_cast<const HostCoreData*>(coreData); }

void* HostFindFunction(const char* decoratedName) {
  if (!g_core) return nullptr;
#if defined(_WIN32)
  HMODULE module = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(g_core->hostModule));
  if (!module) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(module, decoratedName));
#else
  char elfName[128];
  size_t n = strlen(decoratedName);
  if (n >= sizeof elfName) return nullptr;
  for (size_t i = 0; i <= n; ++i) elfName[i] = decoratedName[i] == '@' ? '$' : decoratedName[i];
  return dlsym(RTLD_DEFAULT, elfName);
#endif
}

const ObjectFieldOffsets* HostDetectGeneration(const sObject* rec, uint32_t objNo) {
  const bool classicNumber = ReadU32(rec, kClassicObjectFields.objectNumber) == objNo;
  const bool currentNumber = ReadU32(rec, kCurrentObjectFields.objectNumber) == objNo;
  if (currentNumber && !classicNumber) return &kCurrentObjectFields;
  if (classicNumber && !currentNumber) return &kClassicObjectFields;
  if (classicNumber && currentNumber) {
    if (ReadU32(rec, kCurrentObjectFields.cameraMask) == 0xFFFFFFFFu) return &kCurrentObjectFields;
    if (ReadU32(rec, kClassicObjectFields.cameraMask) == 0xFFFFFFFFu) return &kClassicObjectFields;
  }
  if (HostFindFunction(kCurrentGenerationMarker)) return &kCurrentObjectFields;
  return nullptr;
}

bool HostGetObject(uint32_t objNo, HostObject* out) {
  out->rec = nullptr;
  out->fields = nullptr;
  out->number = objNo;
  GetObjectFn get = reinterpret_cast<GetObjectFn>(HostFindFunction(kGetObjectName));
  if (!get) return false;
  sObject* rec = get(static_cast<int>(objNo));
  if (!rec) return false;
  out->rec = rec;
  out->fields = HostDetectGeneration(rec, objNo);
  return true;
}

void* HostLowAlloc(size_t bytes) {
  if (bytes == 0) bytes = 1;
#if defined(__x86_64__)
  void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT, -1, 0);
  return p == MAP_FAILED ? nullptr : p;
#else
  return calloc(1, bytes);
#endif
}

void HostLowFree(void* p, size_t bytes) {
  if (!p) return;
#if defined(__x86_64__)
  munmap(p, bytes ? bytes : 1);
#else
  (void)bytes;
  free(p);
#endif
}

bool HostCallSave(const char* fileName, uint32_t objNo) {
  SaveFn save = reinterpret_cast<SaveFn>(HostFindFunction(kSaveName));
  if (!save) return false;
  // The host takes the name's address as a 32-bit value: hand it a copy that it can reach.
  const size_t n = strlen(fileName) + 1;
  char* low = static_cast<char*>(HostLowAlloc(n));
  if (!low) return false;
  memcpy(low, fileName, n);
  save(HostAddrOf(low), static_cast<int>(objNo));
  HostLowFree(low, n);
  return true;
}

float HostTotalAnimFrames(const HostObject& obj) {
  if (!obj.fields) return 0.0f;
  float v;
  memcpy(&v, reinterpret_cast<const uint8_t*>(obj.rec) + obj.fields->totalAnimFrames, sizeof v);
  return v;
}

void HostMarkLimbsChanged(const HostObject& obj) {
  if (obj.fields) WriteU8(obj, obj.fields->limbsChanged, 1);
}

void HostMarkBoundsChanged(const HostObject& obj) {
  if (!obj.fields) return;
  WriteU8(obj, obj.fields->boundsChangedA, 1);
  WriteU8(obj, obj.fields->boundsChangedB, 1);
}
