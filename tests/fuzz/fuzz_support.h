// What the fuzz targets share: edge-biased values from the fuzzer's bytes, substitute-host objects,
// animations through the file loader, controller drivers, and the checks on broken promises.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "anim/anim.h"
#include "commands.h"
#include "subhost/subhost.h"

namespace fuzz {

// The fuzzer's bytes, read front to back; past the end every read gives 0.
struct Input {
  const uint8_t* p;
  size_t n;
  bool More() const { return n > 0; }
  uint8_t U8();
  uint32_t U32();
  uint32_t Below(uint32_t bound);  // 0 .. bound - 1 (0 for a bound of 0)
  uint32_t Pick(uint32_t count);   // mostly below count, sometimes count itself, sometimes anything
  uint32_t Time();                 // a key time, count or millisecond value, often an edge case
  float Float();                   // often NaN, an infinity, -0, huge or negative
  std::string Text(size_t most);   // up to `most` bytes, any value but NUL
};

void Check(bool ok, const char* what);  // aborts with the message unless ok
void FreshHost();                       // every record of the previous input is gone

// Object `number`, 0..maxLimbs limbs of either generation in a tree; with `damage` also loops,
// self-links, a limb outside the table, wrong index fields and odd names.
sObject* MakeObject(Input& in, uint32_t number, uint32_t maxLimbs, bool damage);
// The object's own keys of every kind on some limbs, and total frames (above 0 only with keys).
void AddObjectKeys(Input& in, sObject* obj);

// An animation file image: up to maxTracks tracks of up to maxKeys keys, ascending or not.
std::vector<uint8_t> MakeAnimFile(Input& in, uint32_t maxTracks, uint32_t maxKeys);
uint32_t LoadAnim(const std::vector<uint8_t>& file);  // parsed and registered: the AnimID
std::vector<uint8_t> SaveAnim(uint32_t animId);       // as the save command lays it out
// Saves, loads back (same keys bit for bit, same saved bytes), deletes the original: the new AnimID.
uint32_t Reload(uint32_t animId);

// Limb and key count queries (one past the last limb too) and total frames by the rule, as held.
void CheckCounts(uint32_t animId);
// CheckCounts, then every query on every limb and key up to `most` (one past too); key times as held.
void QueryAnim(uint32_t animId, uint32_t most = UINT32_MAX);
extern double (*const kKeyQueries[9])(uint32_t, uint32_t, uint32_t);  // every per-key value query

// One controller playback or setting command on a limb, its arguments from the input.
void PlaybackCommand(Input& in, uint32_t oac, uint32_t limb, uint32_t anim);
// Every controller query on one limb, and the controller-wide ones.
void QueryController(uint32_t oac, uint32_t limb, uint32_t other);

// A scratch file path of this process (in memory where /dev/shm exists), removed at exit.
std::string ScratchPath(const char* name);
void WriteScratch(const std::string& path, const uint8_t* data, size_t size);

}  // namespace fuzz
