// Controller command sequences: create, clone and delete; every playback and setting command;
// updates of 0 to 0xFFFFFFFF ms; every query; animations deleted mid-play and mid-transition and
// keys edited mid-play; dead, foreign and zero handles; objects with broken limb trees; objects
// whose limb count drops below the controller's.
#include <algorithm>

#include "fuzz_support.h"

using namespace fuzz;

namespace {

struct Handles {
  std::vector<uint32_t> live, dead;
  // A handle to pass: live, dead, of the other kind, 0 or anything.
  uint32_t Pick(Input& in, const Handles& foreign) const {
    const uint8_t c = in.U8();
    if (c >= 240) return c < 250 ? 0 : in.U32();
    const std::vector<uint32_t>& from = c < 180 ? live : c < 210 ? dead : foreign.live;
    return from.empty() ? 0 : from[in.Below(static_cast<uint32_t>(from.size()))];
  }
  void Kill(uint32_t h) {
    const auto at = std::find(live.begin(), live.end(), h);
    if (at == live.end()) return;
    live.erase(at);
    dead.push_back(h);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in{data, size};
  FreshHost();
  sObject* objects[2] = {MakeObject(in, 1, 10, in.U8() & 1), MakeObject(in, 2, 10, in.U8() & 1)};
  AddObjectKeys(in, objects[0]);
  Handles anims, oacs;
  for (uint32_t i = in.Below(3) + 1; i; --i) anims.live.push_back(MakeAnim(in, 6, 4));
  for (int steps = 0; in.More() && steps < 96; ++steps) {
    const uint32_t oac = oacs.Pick(in, anims), anim = anims.Pick(in, oacs), limb = in.Pick(12);
    switch (in.Below(10)) {
      case 0:
        if (const uint32_t c = Xamo_oacCreate(1 + in.Below(3))) oacs.live.push_back(c);  // object 3 is missing
        break;
      case 1:
        if (const uint32_t c = Xamo_oacCreateClone(oac, 1 + in.Below(3))) oacs.live.push_back(c);
        break;
      case 2:
        Xamo_oacDelete(oac);
        oacs.Kill(oac);
        break;
      case 3:  // an animation deleted, perhaps while limbs play it or blend into it
        Xamo_AnimDelete(anim);
        anims.Kill(anim);
        if (anims.live.empty() || in.U8() & 1) anims.live.push_back(MakeAnim(in, 6, 4));
        break;
      case 4: EditKey(in, anim, limb, in.Below(4)); break;  // keys edited mid-play
      case 5: {  // the object loses limbs (never below what its table holds)
        sObject* o = objects[in.Below(2)];
        o->limbCount = in.Below(o->limbCount + 1);
        break;
      }
      case 6: QueryController(oac, limb, in.Below(12)); break;
      default: PlaybackCommand(in, oac, limb, anim);
    }
  }
  for (uint32_t oac : oacs.live) Xamo_oacDelete(oac);
  for (uint32_t anim : anims.live) Xamo_AnimDelete(anim);
  return 0;
}
