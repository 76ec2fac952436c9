// The object commands on substitute-host objects with odd key counts, times, names and limb
// trees: extraction, the blank animation, renaming, saving without animations, global rotation,
// the limb hierarchy and the statistics. Saving without animations puts every key back.
#include "fuzz_support.h"

using namespace fuzz;

namespace {

std::vector<uint32_t> KeyCounts(uint32_t obj, uint32_t limbs) {
  std::vector<uint32_t> counts;
  for (uint32_t l = 0; l <= limbs; ++l)
    for (auto q : {Xamo_ObjTotalRotationKeys, Xamo_ObjTotalPositionKeys, Xamo_ObjTotalScaleKeys,
                   Xamo_ObjTotalMatrixKeys})
      counts.push_back(q(obj, l));
  return counts;
}

// Loads a file the plug-in wrote, reads it through the animation commands and saves it again.
void ReadBack(const std::string& path) {
  if (const uint32_t id = Xamo_AnimLoad(const_cast<char*>(path.c_str()))) QueryReloadDelete(id, 16);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in{data, size};
  FreshHost();
  sObject* o = MakeObject(in, 1, 12, true);
  AddObjectKeys(in, o);
  const uint32_t limbs = o->limbCount;
  static const std::string file = ScratchPath("objects.xamo"), saved = ScratchPath("objects.x");
  char* const path = const_cast<char*>(file.c_str());
  for (int steps = 0; in.More() && steps < 24; ++steps) {
    const uint32_t obj = in.U8() < 240 ? 1 : in.Time();  // sometimes an object that is not there
    const uint32_t limb = in.U8() < 220 ? in.Below(limbs + 1) : in.Time();
    switch (in.Below(7)) {
      case 0:
        Xamo_ObjExtractAnimation(obj, path, in.Time(), static_cast<int32_t>(in.Time()));
        ReadBack(file);
        break;
      case 1:
        Xamo_ObjMakeNewAnimation(obj, path);
        ReadBack(file);
        break;
      case 2: {
        std::string name = in.Text(300);
        Xamo_ObjRenameLimb(obj, limb, &name[0]);
        break;
      }
      case 3: {
        const std::vector<uint32_t> before = KeyCounts(obj, limbs);
        Xamo_ObjSaveNoAnims(obj, const_cast<char*>(saved.c_str()));
        Check(KeyCounts(obj, limbs) == before, "saving without animations puts every key back");
        break;
      }
      case 4: Xamo_ObjGlobalRotateLimb(obj, limb, in.Float(), in.Float(), in.Float()); break;
      case 5:
        Xamo_ObjFindLimbParent(obj, limb);
        Xamo_ObjIsLimbChild(obj, limb, in.Below(limbs + 1));
        Check(Xamo_ObjTotalLimbs(obj) == (obj == 1 ? limbs : 0), "limb count");
        break;
      default:
        Xamo_ObjTotalAnimFrames(obj);
        KeyCounts(obj, limbs);
    }
  }
  return 0;
}
