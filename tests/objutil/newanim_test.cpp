// The blank animation file written for a host object, on both host generations.
#include "support/anim_builders.h"
#include "support/plugin_fixture.h"

namespace {

using namespace testanim;
using subhost::Generation;

// Header, then per limb: identity reference, 2 keys (0: identity, 1: identity), then 723.
std::vector<uint8_t> Expected(uint32_t limbs, float total) {
  Bytes b;
  b.header(limbs, total);
  for (uint32_t i = 0; i < limbs; ++i) b.matrix(kIdentity).u32(2).u32(0).matrix(kIdentity).u32(1).matrix(kIdentity);
  return b.u32(723).b;
}

class NewAnimation : public PluginTest, public ::testing::WithParamInterface<Generation> {};
INSTANTIATE_TEST_SUITE_P(BothGenerations, NewAnimation, ::testing::Values(Generation::Classic, Generation::Current));

// The object's own total frames go into the header; loaded, the keys give total frames 1. No limbs
// and no animation: 36 bytes with total frames 0. A missing object writes nothing.
TEST_P(NewAnimation, FileFitsTheObjectAndLoadsBack) {
  subhost::SetTotalAnimFrames(subhost::MakeObject(5, 3, GetParam()), 40.0f);
  subhost::MakeObject(6, 0, GetParam());
  const std::string path = TempPath("blank.xamo"), none = TempPath("none.xamo");
  WriteFile(path, std::vector<uint8_t>(5000, 0xAB));  // replaced, not appended to
  x.Xamo_ObjMakeNewAnimation(5, const_cast<char*>(path.c_str()));
  EXPECT_EQ(ReadFile(path), Expected(3, 40.0f));
  const uint32_t id = x.Xamo_AnimLoad(const_cast<char*>(path.c_str()));
  EXPECT_EQ(x.Xamo_AnimGetTotalLimbs(id), 3u);
  EXPECT_EQ(x.Xamo_AnimGetTotalFrames(id), 1u);
  x.Xamo_AnimDelete(id);
  x.Xamo_ObjMakeNewAnimation(6, const_cast<char*>(path.c_str()));
  EXPECT_EQ(ReadFile(path), Expected(0, 0.0f));
  x.Xamo_ObjMakeNewAnimation(77, const_cast<char*>(none.c_str()));
  EXPECT_TRUE(ReadFile(none).empty());
  x.Xamo_ObjMakeNewAnimation(5, const_cast<char*>("/nonexistent-folder/blank.xamo"));
}

}  // namespace
