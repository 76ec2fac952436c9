// A substitute for the host runtime, for tests, benchmarks and the demo.
//
// It builds host objects in the host's exact record layout (either host generation), in memory
// that lies below 4 GiB so that 32-bit addresses reach it on 64-bit builds too, and exports the
// host functions the plug-in looks up: GetObjectA and Save, under their ELF names. The program
// that links it must export its symbols (-rdynamic; CMake ENABLE_EXPORTS).
//
// Typical use:
//   subhost::Reset();
//   ReceiveCoreDataPtr(subhost::CoreData());
//   sObject* o = subhost::MakeObject(1, 4);     // object 1, limbs 0..3, no links yet
//   subhost::Link(o, 0, 1);                     // limb 1 is a child of limb 0
//   subhost::Link(o, 1, 2);  subhost::Link(o, 1, 3);   // 2 and 3 are children of 1 (siblings)
#pragma once
#include <stdint.h>

#include <string>
#include <vector>

#include "plugin/host_records.h"

namespace subhost {

enum class Generation { Classic, Current };

// Frees every object and forgets every Save call. Objects and keys made before are gone.
void Reset();

// The host core data record to hand to ReceiveCoreDataPtr.
void* CoreData();

// Makes object `number` with `limbCount` limbs named "limb0", "limb1", ...: identity local,
// combined and anim matrices, offset 0, scale 1, rotation 0, index = position, no links, no
// animation data (total animation frames 0). The object number and camera mask are set where
// the generation keeps them; every other byte of the record is filled with a marker pattern.
// Replaces an object of that number.
sObject* MakeObject(uint32_t number, uint32_t limbCount, Generation gen = Generation::Classic);
// The object of that number, or null. Also what GetObjectA answers.
sObject* Object(uint32_t number);
// Removes an object: GetObjectA answers null for its number afterwards.
void RemoveObject(uint32_t number);
// Size in bytes of an object record of a generation.
uint32_t RecordSize(Generation gen);
Generation GenerationOf(const sObject* obj);

sLimb* Limb(const sObject* obj, uint32_t i);
// Makes `child` the last child of `parent` (first child, or the next sibling of the last one).
void Link(sObject* obj, uint32_t parent, uint32_t child);
// Links limbs by a parent table: parents[i] for i >= 1 (-1 for a root); children in ascending order.
void LinkTree(sObject* obj, const std::vector<int>& parents);

// The fields whose place depends on the generation.
float TotalAnimFrames(const sObject* obj);
void SetTotalAnimFrames(sObject* obj, float frames);
uint8_t LimbsChanged(const sObject* obj);
uint8_t BoundsChangedA(const sObject* obj);
uint8_t BoundsChangedB(const sObject* obj);
void ClearChangeFlags(sObject* obj);
// Raw 32-bit word at a byte offset of the record (for detection tests).
uint32_t Word(const sObject* obj, uint32_t offset);
void SetWord(sObject* obj, uint32_t offset, uint32_t value);

// The object's own animation data: one record per animated limb, appended to the list.
sLimbAnim* AddLimbAnim(sObject* obj, uint32_t limb);
void AddPositionKey(sLimbAnim* a, uint32_t time, float x, float y, float z);
void AddRotationKey(sLimbAnim* a, uint32_t time, float x, float y, float z, float w);
void AddScaleKey(sLimbAnim* a, uint32_t time, float x, float y, float z);
void AddMatrixKey(sLimbAnim* a, uint32_t time, const float matrix[16]);

// Memory below 4 GiB that lives until Reset (zero-filled).
void* LowAlloc(size_t bytes);

// What the host's Save saw, per call.
struct SavedTrack {
  uint32_t limb;
  uint32_t counts[4];                 // position, rotation, scale, matrix
  std::vector<uint32_t> times[4];     // key times of each kind as Save saw them
};
struct SaveCall {
  std::string fileName;
  int objectNumber;
  std::vector<SavedTrack> tracks;
};
const std::vector<SaveCall>& SaveCalls();

// Gives the host the current generation's marker export (as the current release does).
// Loads a small library once; there is no way back within the process.
bool ExportCurrentGenerationMarker();

}  // namespace subhost
