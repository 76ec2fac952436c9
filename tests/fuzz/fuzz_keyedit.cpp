// Key-editing command sequences on an animation built from the input: insert, delete, modify,
// retime, queries, save and reload, with odd limbs, keys, times and floats. After every command:
// a track whose keys ascended still ascends, the counts agree with the result codes, and the
// total frames follow the rule.
#include "fuzz_support.h"

using namespace fuzz;

// Each track's key count and whether its times ascend.
static std::vector<std::pair<uint32_t, bool>> State(const AnimData* anim) {
  std::vector<std::pair<uint32_t, bool>> s;
  for (uint32_t l = 0; l < anim->limbCount; ++l) {
    const AnimTrack& t = anim->tracks[l];
    bool up = true;
    for (uint32_t k = 1; k < t.keyCount; ++k) up = up && t.keys[k - 1].time <= t.keys[k].time;
    s.push_back({t.keyCount, up});
  }
  return s;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in{data, size};
  uint32_t id = MakeAnim(in, 4, 6);
  for (int steps = 0; in.More() && steps < 64; ++steps) {
    const AnimData* anim = AnimFromHandle(id);
    const auto before = State(anim);
    const uint32_t limb = in.Pick(anim->limbCount);
    const uint32_t key = in.Pick(limb < anim->limbCount ? anim->tracks[limb].keyCount : 0);
    int change = 0;  // the change of the limb's key count that the result calls for
    if (in.Below(8) == 7) id = Reload(id);
    else change = EditKey(in, id, limb, key);
    const auto after = State(AnimFromHandle(id));
    Check(after.size() == before.size(), "no command changes the track count");
    for (uint32_t l = 0; l < after.size(); ++l) {
      if (before[l].second) Check(after[l].second, "keys that ascended still ascend");
      const int delta = static_cast<int>(after[l].first) - static_cast<int>(before[l].first);
      if (l != limb) Check(delta == 0, "other tracks keep their keys");
      else if (change == kOneOrNone) Check(delta == 0 || delta == 1, "an insert adds one key or none");
      else Check(delta == change, "the key count follows the result code");
    }
    CheckCounts(id);
  }
  Xamo_AnimDelete(id);
  return 0;
}
