// What the fuzz targets share: reading values from the fuzzer's bytes (biased toward the edges:
// times past 2^31 and 0xFFFFFFFF, NaN, infinities, -0, 1e30), a fresh substitute host per input,
// host objects with odd limb trees and keys, animations built through the file loader, driving
// controllers, and checks that stop the fuzzer with a message when the plug-in breaks a promise.
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
  float Float();                   // a float, often NaN, an infinity, -0, huge or negative
  std::string Text(size_t most);   // up to `most` bytes, any value but NUL
};

// Stops the fuzzer (abort) with the message when `ok` is false.
void Check(bool ok, const char* what);

// A fresh substitute host, handed to the plug-in; every record of the previous input is gone.
void FreshHost();

// Object `number` with 0..maxLimbs limbs from the input: either generation, a tree from a parent
// table, and with `damage` also broken links (loops, self-links, a limb outside the table, wrong
// index fields), odd names and total frames.
sObject* MakeObject(Input& in, uint32_t number, uint32_t maxLimbs, bool damage);
// The object's own animation data: records for some limbs, keys of every kind with odd times and
// values, and total frames to match (greater than 0 only when a record is there).
void AddObjectKeys(Input& in, sObject* obj);

// An animation file image from the input: up to maxTracks tracks of up to maxKeys keys, times
// ascending or not, matrices with odd values.
std::vector<uint8_t> MakeAnimFile(Input& in, uint32_t maxTracks, uint32_t maxKeys);
// Loads an image as the plug-in does and registers it: the AnimID.
uint32_t LoadAnim(const std::vector<uint8_t>& file);
// The animation's file image as the save command lays it out.
std::vector<uint8_t> SaveAnim(uint32_t animId);
// Saves, loads the image back and deletes the original: the new AnimID. The reload holds the same
// keys bit for bit and saves the same bytes.
uint32_t Reload(uint32_t animId);

// The limb and key count queries (one past the last limb too) and the total frames agree with
// what the animation holds and the total-frames rule.
void CheckCounts(uint32_t animId);
// CheckCounts, then every query on every limb and key (up to `most` of each) and one past the
// last; key times as held.
void QueryAnim(uint32_t animId, uint32_t most = UINT32_MAX);
// Every per-key value query.
extern double (*const kKeyQueries[9])(uint32_t, uint32_t, uint32_t);

// One controller playback or setting command on a limb, its arguments from the input.
void PlaybackCommand(Input& in, uint32_t oac, uint32_t limb, uint32_t anim);
// Every controller query on one limb, and the controller-wide ones.
void QueryController(uint32_t oac, uint32_t limb, uint32_t other);

// A scratch file path of this process (in memory where /dev/shm exists), removed at exit.
std::string ScratchPath(const char* name);
void WriteScratch(const std::string& path, const uint8_t* data, size_t size);

}  // namespace fuzz
