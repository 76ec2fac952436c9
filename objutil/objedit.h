// Changing a host object through its records: renaming a limb, and having the host save the
// object with its animation cut short.
#pragma once
#include <stdint.h>

#include "plugin/host.h"

// Writes `name` into the limb's 256-byte name field: at most its first 255 characters, then zeros
// to the end of the field (a null name counts as empty). `limb` must be below limbCount.
void RenameLimb(sObject* obj, uint32_t limb, const char* name);

// The host's Save(file name, object number); false when it could not be called.
typedef bool (*HostSaveFn)(const char* fileName, uint32_t objNo);

// Has `save` save the object while every key kind of every animated limb that holds two keys or
// more points at a copy of its first two keys; afterwards every count and key array is put back as
// it was, whatever `save` did. Does nothing when the object's total animation frames are not
// above 0.
void SaveWithoutAnims(const HostObject& obj, const char* fileName, HostSaveFn save);
