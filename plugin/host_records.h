// The host's own records, laid out byte for byte as the host keeps them.
//
// Every record belongs to the host: the plug-in reads and writes them in place and never
// allocates, frees or resizes one. Pointer fields are 32-bit addresses whatever the build: on a
// 64-bit build the host keeps its records below 4 GiB. Fields the plug-in does not touch are
// padding here. Offsets are checked at compile time below.
//
// The four object fields past offset 1160 (boundsChangedA, boundsChangedB, limbsChanged,
// totalAnimFrames) moved between host generations; they are reached only through the accessors
// in host.h, never as struct members.
#pragma once
#include <stddef.h>
#include <stdint.h>

typedef uint32_t HostAddr;  // a 32-bit address of a host record; 0 is null

// Turns a host address into a pointer (null for 0).
template <class T>
inline T* HostPtr(HostAddr a) {
  return reinterpret_cast<T*>(static_cast<uintptr_t>(a));
}
// Turns a pointer to a host record into its 32-bit address.
inline HostAddr HostAddrOf(const void* p) { return static_cast<HostAddr>(reinterpret_cast<uintptr_t>(p)); }

// The record whose address the host hands to ReceiveCoreDataPtr.
struct HostCoreData {
  uint8_t reserved0[100];
  uint32_t hostModule;  // module handle that exports GetObjectA and Save (unused off Windows)
};

// One limb (bone) of an object.
struct sLimb {
  char name[256];             // NUL-terminated when shorter than the field
  uint32_t index;             // the limb's own number, equal to its place in sObject::limbs
  uint8_t reserved260[4];
  HostAddr firstChild;        // sLimb*, or 0
  HostAddr nextSibling;       // sLimb*, or 0
  float localMatrix[16];      // own transform relative to the parent (row-major, row vectors)
  uint8_t reserved336[128];
  float combinedMatrix[16];   // transform combined with all ancestors'
  uint8_t reserved528[80];
  float animMatrix[16];       // written by the plug-in: update and global rotation results
  float limbOffset[3];        // own translation x, y, z
  float limbScale[3];         // own scale factors x, y, z
  float limbRotation[3];      // own rotation about x, y, z, in degrees
};

// One 3D object: the fields at fixed offsets in every host generation.
struct sObject {
  uint8_t reserved0[4];
  uint32_t limbCount;         // a limb number is valid when below this
  uint8_t reserved8[4];
  HostAddr limbs;             // HostAddr[limbCount], each an sLimb*
  uint8_t reserved16[4];
  HostAddr animSet;           // sAnimSet*, followed only when the object carries animation data
};

// The object's own animation data.
struct sAnimSet {
  uint8_t reserved0[256];
  HostAddr firstLimbAnim;     // sLimbAnim*, head of a singly linked list
};

// The keys of one animated limb.
struct sLimbAnim {
  uint8_t reserved0[256];
  HostAddr limb;              // sLimb* driven by these keys
  uint8_t reserved260[8];
  uint32_t positionKeyCount;
  uint32_t rotationKeyCount;
  uint32_t scaleKeyCount;
  uint32_t matrixKeyCount;
  HostAddr positionKeys;      // sPosKey[positionKeyCount]
  HostAddr rotationKeys;      // sRotKey[rotationKeyCount]
  HostAddr scaleKeys;         // sScaleKey[scaleKeyCount]
  HostAddr matrixKeys;        // sMatrixKey[matrixKeyCount]
  uint8_t reserved300[44];
  HostAddr next;              // next sLimbAnim*, or 0 after the last
};

struct sPosKey {              // 28 bytes
  uint32_t time;
  float position[3];
  uint8_t hostData[12];
};
struct sRotKey {              // 20 bytes
  uint32_t time;
  float rotation[4];          // quaternion x, y, z, w
};
struct sScaleKey {            // 28 bytes
  uint32_t time;
  float scale[3];
  uint8_t hostData[12];
};
struct sMatrixKey {           // 132 bytes
  uint32_t time;
  float matrix[16];
  uint8_t hostData[64];
};

static_assert(offsetof(HostCoreData, hostModule) == 100, "HostCoreData layout");
static_assert(offsetof(sObject, limbCount) == 4 && offsetof(sObject, limbs) == 12 &&
                  offsetof(sObject, animSet) == 20,
              "sObject layout");
static_assert(offsetof(sLimb, index) == 256 && offsetof(sLimb, firstChild) == 264 &&
                  offsetof(sLimb, nextSibling) == 268 && offsetof(sLimb, localMatrix) == 272 &&
                  offsetof(sLimb, combinedMatrix) == 464 && offsetof(sLimb, animMatrix) == 608 &&
                  offsetof(sLimb, limbOffset) == 672 && offsetof(sLimb, limbScale) == 684 &&
                  offsetof(sLimb, limbRotation) == 696 && sizeof(sLimb) == 708,
              "sLimb layout");
static_assert(offsetof(sAnimSet, firstLimbAnim) == 256, "sAnimSet layout");
static_assert(offsetof(sLimbAnim, limb) == 256 && offsetof(sLimbAnim, positionKeyCount) == 268 &&
                  offsetof(sLimbAnim, rotationKeyCount) == 272 &&
                  offsetof(sLimbAnim, scaleKeyCount) == 276 &&
                  offsetof(sLimbAnim, matrixKeyCount) == 280 &&
                  offsetof(sLimbAnim, positionKeys) == 284 && offsetof(sLimbAnim, rotationKeys) == 288 &&
                  offsetof(sLimbAnim, scaleKeys) == 292 && offsetof(sLimbAnim, matrixKeys) == 296 &&
                  offsetof(sLimbAnim, next) == 344,
              "sLimbAnim layout");
static_assert(sizeof(sPosKey) == 28 && sizeof(sRotKey) == 20 && sizeof(sScaleKey) == 28 &&
                  sizeof(sMatrixKey) == 132,
              "host key layout");

// Host object record offsets that differ between host generations.
struct ObjectFieldOffsets {
  uint16_t boundsChangedA;    // u8
  uint16_t boundsChangedB;    // u8
  uint16_t limbsChanged;      // u8
  uint16_t totalAnimFrames;   // float
  uint16_t objectNumber;      // u32, the object's own number as the host set it
  uint16_t cameraMask;        // u32, 0xFFFFFFFF by default
};

// The classic generation and the current release.
inline constexpr ObjectFieldOffsets kClassicObjectFields = {1163, 1164, 1238, 1260, 1216, 1220};
inline constexpr ObjectFieldOffsets kCurrentObjectFields = {1175, 1176, 1282, 1304, 1228, 1232};
