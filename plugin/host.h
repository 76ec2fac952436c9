// Reaching the host: its core data, its object records and its two exported functions.
//
// Every command that takes an object number calls HostGetObject, which looks GetObjectA up afresh
// in the host module, calls it and works out which host generation laid out the record. The four
// object fields whose place depends on the generation are read and written only through the
// accessors below; on an object whose generation cannot be told they read as 0 and are never
// written.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "plugin/host_records.h"

// One host object as a command sees it.
struct HostObject {
  sObject* rec;                       // the host's live record; never null after HostGetObject succeeds
  const ObjectFieldOffsets* fields;   // where the moved fields lie; null when the generation is undecided
  uint32_t number;                    // the object number the record was looked up by
};

// Stores the host's core data pointer (ReceiveCoreDataPtr).
void HostSetCoreData(void* coreData);

// Looks up GetObjectA and resolves objNo. False (and *out cleared) when the host has no
// GetObjectA, no core data was handed over, or the host returns no record.
bool HostGetObject(uint32_t objNo, HostObject* out);

// Works out the generation of a record the host returned for objNo (null when undecided).
const ObjectFieldOffsets* HostDetectGeneration(const sObject* rec, uint32_t objNo);

// Calls the host's Save(file name address, object number). False, with nothing called, when the
// host exports no Save.
bool HostCallSave(const char* fileName, uint32_t objNo);

// Zero-filled memory whose address fits a host pointer field (below 4 GiB on 64-bit builds), for
// what the plug-in hands to the host for the length of one command; null when none is left.
void* HostLowAlloc(size_t bytes);
void HostLowFree(void* p, size_t bytes);   // gives back a block of HostLowAlloc (the same size)

// Looks up a host function by its decorated name (as the DLL host exports it); null when absent.
// On ELF hosts the name is looked up with every '@' written '$'.
void* HostFindFunction(const char* decoratedName);

// --- The fields that moved between generations ---------------------------------------------------

float HostTotalAnimFrames(const HostObject& obj);      // totalAnimFrames, or 0 when undecided
void HostMarkLimbsChanged(const HostObject& obj);      // limbsChanged = 1
void HostMarkBoundsChanged(const HostObject& obj);     // boundsChangedA = boundsChangedB = 1

// --- Walking the records ---------------------------------------------------------------------------

// Limb i of an object (i must be below limbCount).
inline sLimb* HostLimb(const sObject* o, uint32_t i) { return HostPtr<sLimb>(HostPtr<HostAddr>(o->limbs)[i]); }

// The first per-limb animation record of an object, or null when it carries none (or no set).
inline sLimbAnim* HostFirstLimbAnim(const sObject* o) {
  const sAnimSet* set = HostPtr<sAnimSet>(o->animSet);
  return set ? HostPtr<sLimbAnim>(set->firstLimbAnim) : nullptr;
}
