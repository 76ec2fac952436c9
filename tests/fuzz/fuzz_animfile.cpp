// The animation file loader on arbitrary bytes: every query on what loaded, then save, load and
// save again: the two saves are byte-identical and the reloaded keys are the keys as loaded.
#include <string.h>

#include "anim/animfile.h"
#include "fuzz_support.h"

using namespace fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const uint32_t id = AnimRegister(AnimParse(data, size));
  const AnimData* anim = AnimFromHandle(id);
  const uint32_t limbs = Xamo_AnimGetTotalLimbs(id);
  Check(limbs == anim->limbCount, "limb count query");
  Check(Xamo_AnimGetTotalFrames(id) == TotalFramesByRule(anim), "total frames follow the rule");
  Xamo_AnimGetPlaySpeed(id);
  typedef double (*KeyQuery)(uint32_t, uint32_t, uint32_t);
  static const KeyQuery kQueries[] = {Xamo_AnimGetKeyRotX,   Xamo_AnimGetKeyRotY,   Xamo_AnimGetKeyRotZ,
                                      Xamo_AnimGetKeyPosX,   Xamo_AnimGetKeyPosY,   Xamo_AnimGetKeyPosZ,
                                      Xamo_AnimGetKeyScaleX, Xamo_AnimGetKeyScaleY, Xamo_AnimGetKeyScaleZ};
  for (uint32_t l = 0; l <= limbs; ++l) {  // one past the last limb too
    const uint32_t keys = Xamo_AnimGetLimbKeys(id, l);
    Check(keys == (l < limbs ? anim->tracks[l].keyCount : 0), "key count query");
    for (uint32_t k = 0; k <= keys; ++k) {
      const uint32_t time = Xamo_AnimGetLimbKeyTime(id, l, k);
      Check(time == (k < keys ? anim->tracks[l].keys[k].time : 0), "key time query");
      for (KeyQuery q : kQueries) q(id, l, k);
    }
  }
  const std::vector<uint8_t> first = SaveAnim(id);
  const uint32_t again = LoadAnim(first);
  const AnimData* back = AnimFromHandle(again);
  Check(back->limbCount == anim->limbCount, "reload keeps the tracks");
  for (uint32_t l = 0; l < anim->limbCount; ++l) {
    const AnimTrack &a = anim->tracks[l], &b = back->tracks[l];
    Check(a.keyCount == b.keyCount, "reload keeps the key counts");
    Check(memcmp(&a.referenceMatrix, &b.referenceMatrix, sizeof a.referenceMatrix) == 0, "reference matrix");
    for (uint32_t k = 0; k < a.keyCount; ++k)
      Check(a.keys[k].time == b.keys[k].time &&
                memcmp(&a.keys[k].matrix, &b.keys[k].matrix, sizeof a.keys[k].matrix) == 0,
            "reload keeps every key's time and matrix bits");
  }
  Check(SaveAnim(again) == first, "save, load, save is byte-identical");
  Xamo_AnimDelete(again);
  Xamo_AnimDelete(id);
  return 0;
}
