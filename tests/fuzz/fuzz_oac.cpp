// Controller command sequences: create, clone and delete; every playback and setting command;
// updates of 0 to 0xFFFFFFFF ms; every query; animations deleted mid-play and mid-transition and
// keys edited mid-play; dead, foreign and zero handles; objects with broken limb trees; objects
// whose limb count drops below the controller's.
#include "fuzz_oac_common.h"

using namespace fuzz;

namespace {

// A handle to pass: live, dead, of the other kind, 0 or anything.
uint32_t PickHandle(Input& in, const std::vector<uint32_t>& live, const std::vector<uint32_t>& dead,
                    const std::vector<uint32_t>& foreign) {
  const uint8_t c = in.U8();
  const std::vector<uint32_t>& from = c < 180 ? live : c < 210 ? dead : foreign;
  if (c >= 240) return c < 250 ? 0 : in.U32();
  return from.empty() ? 0 : from[in.Below(static_cast<uint32_t>(from.size()))];
}

void Forget(std::vector<uint32_t>* from, std::vector<uint32_t>* to, uint32_t h) {
  for (size_t i = 0; i < from->size(); ++i)
    if ((*from)[i] == h) {
      (*from)[i] = from->back();
      from->pop_back();
      to->push_back(h);
      return;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in{data, size};
  FreshHost();
  sObject* objects[2] = {MakeObject(in, 1, 10, in.U8() & 1), MakeObject(in, 2, 10, in.U8() & 1)};
  AddObjectKeys(in, objects[0]);
  std::vector<uint32_t> anims, deadAnims, oacs, deadOacs;
  for (uint32_t i = in.Below(3) + 1; i; --i) anims.push_back(LoadAnim(MakeAnimFile(in, 6, 4)));
  for (int steps = 0; in.More() && steps < 96; ++steps) {
    const uint32_t oac = PickHandle(in, oacs, deadOacs, anims);
    const uint32_t anim = PickHandle(in, anims, deadAnims, oacs);
    const uint32_t limb = in.U8() < 230 ? in.Below(12) : in.Time();
    switch (in.Below(10)) {
      case 0:
        if (const uint32_t c = Xamo_oacCreate(1 + in.Below(3))) oacs.push_back(c);  // object 3 is missing
        break;
      case 1:
        if (const uint32_t c = Xamo_oacCreateClone(oac, 1 + in.Below(3))) oacs.push_back(c);
        break;
      case 2:
        Xamo_oacDelete(oac);
        Forget(&oacs, &deadOacs, oac);
        break;
      case 3:  // an animation deleted, perhaps while limbs play it or blend into it
        Xamo_AnimDelete(anim);
        Forget(&anims, &deadAnims, anim);
        if (anims.empty() || in.U8() & 1) anims.push_back(LoadAnim(MakeAnimFile(in, 6, 4)));
        break;
      case 4:  // keys edited mid-play
        switch (in.Below(3)) {
          case 0: Xamo_AnimInsertKey(anim, limb, in.Time()); break;
          case 1: Xamo_AnimDeleteKey(anim, limb, in.Below(4)); break;
          default: Xamo_AnimModifyKeyTime(anim, limb, in.Below(4), in.Time());
        }
        break;
      case 5: {  // the object loses limbs (never below what its table holds)
        sObject* o = objects[in.Below(2)];
        o->limbCount = in.Below(o->limbCount + 1);
        break;
      }
      case 6: QueryEverything(oac, limb, in.Below(12)); break;
      default: PlaybackCommand(in, oac, limb, anim);
    }
  }
  for (uint32_t oac : oacs) Xamo_oacDelete(oac);
  for (uint32_t anim : anims) Xamo_AnimDelete(anim);
  return 0;
}
