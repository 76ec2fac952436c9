#include "plugin/handles.h"

#include <stdlib.h>

namespace {

// Open addressing with linear probing; a slot is empty (handle 0), a tombstone (kind 0) or live.
struct Slot {
  uint32_t handle;
  uint32_t kind;
  void* record;
};

Slot* g_slots = nullptr;
uint32_t g_capacity = 0;  // a power of two, or 0
uint32_t g_used = 0;      // live slots plus tombstones
uint32_t g_releases[3] = {0, 0, 0};
#if UINTPTR_MAX > 0xFFFFFFFFu
uint32_t g_nextHandle = 0x00010000u;
#else
void* g_retired = nullptr;  // retired records, each holding the address of the one retired before
#endif

uint32_t SlotOf(uint32_t handle) { return (handle * 2654435761u) & (g_capacity - 1); }

Slot* Find(uint32_t handle) {
  if (!g_capacity || !handle) return nullptr;
  for (uint32_t i = SlotOf(handle);; i = (i + 1) & (g_capacity - 1)) {
    Slot& s = g_slots[i];
    if (s.handle == 0) return nullptr;
    if (s.handle == handle && s.kind != 0) return &s;
  }
}

void Insert(uint32_t handle, uint32_t kind, void* record) {
  uint32_t i = SlotOf(handle);
  while (g_slots[i].handle != 0 && g_slots[i].kind != 0) i = (i + 1) & (g_capacity - 1);
  if (g_slots[i].handle == 0) ++g_used;
  g_slots[i] = Slot{handle, kind, record};
}

void Grow() {
  Slot* old = g_slots;
  uint32_t oldCapacity = g_capacity;
  uint32_t live = 0;
  for (uint32_t i = 0; i < oldCapacity; ++i) live += old[i].handle != 0 && old[i].kind != 0;
  uint32_t capacity = 64;
  while (capacity < live * 4) capacity *= 2;
  g_slots = static_cast<Slot*>(calloc(capacity, sizeof(Slot)));
  g_capacity = capacity;
  g_used = 0;
  for (uint32_t i = 0; i < oldCapacity; ++i)
    if (old[i].handle != 0 && old[i].kind != 0) Insert(old[i].handle, old[i].kind, old[i].record);
  free(old);
}

}  // namespace

uint32_t HandleRegister(void* record, HandleKind kind) {
  if ((g_used + 1) * 2 > g_capacity) Grow();
#if UINTPTR_MAX > 0xFFFFFFFFu
  uint32_t handle;
  do {
    handle = g_nextHandle;
    g_nextHandle += 16;
    if (g_nextHandle < 0x00010000u) g_nextHandle = 0x00010000u;
  } while (Find(handle));
#else
  uint32_t handle = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(record));
#endif
  Insert(handle, kind, record);
  return handle;
}

void* HandleLookup(uint32_t handle, HandleKind kind) {
  Slot* s = Find(handle);
  return s && s->kind == kind ? s->record : nullptr;
}

void* HandleRelease(uint32_t handle, HandleKind kind) {
  Slot* s = Find(handle);
  if (!s || s->kind != kind) return nullptr;
  void* record = s->record;
  ++g_releases[kind];
  s->kind = 0;  // tombstone: keeps later probes going
  s->record = nullptr;
  return record;
}

uint32_t HandleReleaseCount(HandleKind kind) { return kind < 3 ? g_releases[kind] : 0; }

void HandleRetire(void* record) {
  if (!record) return;
#if UINTPTR_MAX > 0xFFFFFFFFu
  free(record);
#else
  *static_cast<void**>(record) = g_retired;  // every record is larger than a pointer
  g_retired = record;
#endif
}
