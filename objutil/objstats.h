// The host object's own animation data: finding a limb's keys.
#pragma once
#include <stdint.h>

#include "plugin/host.h"

// The first per-limb animation record whose limb has index `limb`, walking the whole list;
// null when the object has no animation set or no record drives that limb.
const sLimbAnim* FindLimbAnim(const sObject* obj, uint32_t limb);

enum HostKeyKind { kHostMatrixKeys, kHostRotationKeys, kHostPositionKeys, kHostScaleKeys };

// The number of keys of one kind that the host stores for a limb: 0 when the object carries no
// animation data (total animation frames not above 0) or the limb has no record.
uint32_t HostLimbKeyCount(const HostObject& obj, uint32_t limb, HostKeyKind kind);
