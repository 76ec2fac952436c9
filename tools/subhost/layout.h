// The host's record layout as the substitute host writes it: every byte offset and size it uses,
// written down here on its own from the host's documentation and never taken from the plug-in's
// headers, so that a wrong offset in the plug-in cannot agree with the records it is tested on.
#pragma once
#include <stdint.h>

namespace subhost {
namespace layout {

// The core data record handed to ReceiveCoreDataPtr: the host module handle at 100.
const uint32_t kCoreModule = 100, kCoreSize = 104;

// sObject, the fields every generation keeps in one place.
const uint32_t kObjLimbCount = 4;   // u32
const uint32_t kObjLimbs = 12;      // address of a table of limbCount limb addresses
const uint32_t kObjAnimSet = 20;    // address of the sAnimSet, or 0

// sObject, the fields that moved between generations, and the record's size.
struct GenerationFields {
  uint32_t boundsChangedA;   // u8
  uint32_t boundsChangedB;   // u8
  uint32_t limbsChanged;     // u8
  uint32_t totalAnimFrames;  // float
  uint32_t objectNumber;     // u32: the object's own number (generation detection)
  uint32_t cameraMask;       // u32: 0xFFFFFFFF unless set (generation detection)
  uint32_t recordSize;
};
const GenerationFields kClassic = {1163, 1164, 1238, 1260, 1216, 1220, 1280};
const GenerationFields kCurrent = {1175, 1176, 1282, 1304, 1228, 1232, 1320};

// sLimb.
const uint32_t kLimbName = 0, kLimbNameSize = 256;  // NUL-terminated text
const uint32_t kLimbIndex = 256;                    // u32
const uint32_t kLimbFirstChild = 264;               // address
const uint32_t kLimbNextSibling = 268;              // address
const uint32_t kLimbLocalMatrix = 272;              // 16 floats
const uint32_t kLimbCombinedMatrix = 464;           // 16 floats
const uint32_t kLimbAnimMatrix = 608;               // 16 floats
const uint32_t kLimbOffset = 672;                   // 3 floats
const uint32_t kLimbScale = 684;                    // 3 floats
const uint32_t kLimbRotation = 696;                 // 3 floats, degrees
const uint32_t kLimbSize = 708;

// sAnimSet.
const uint32_t kSetFirstLimbAnim = 256, kSetSize = 260;

// sLimbAnim: the limb, then per key kind (position, rotation, scale, matrix) a count and an array.
const uint32_t kAnimLimb = 256;
const uint32_t kAnimCounts = 268;   // 4 u32, in kind order
const uint32_t kAnimArrays = 284;   // 4 addresses, in kind order
const uint32_t kAnimNext = 344;
const uint32_t kAnimSize = 348;

// Key records: time (u32) at 0, the values from 4; sizes in kind order.
enum KeyKind { kPosition = 0, kRotation = 1, kScale = 2, kMatrix = 3 };
const uint32_t kKeyTime = 0, kKeyValues = 4;
const uint32_t kKeySize[4] = {28, 20, 28, 132};

}  // namespace layout
}  // namespace subhost
