// The blank animation file written for a host object, on both host generations.
#include "plugin/host.h"
#include "support/anim_builders.h"
#include "support/plugin_fixture.h"

namespace {

using namespace testanim;
using subhost::Generation;

// Header, then per limb: identity reference, 2 keys (0: identity, 1: identity), then 723.
std::vector<uint8_t> Expected(uint32_t limbs, float total) {
  Bytes b;
  b.u32(8).text("XAMOVELN").u32(1000).u32(0).u32(0).u32(limbs).f32(total);
  for (uint32_t i = 0; i < limbs; ++i) b.matrix(kIdentity).u32(2).u32(0).matrix(kIdentity).u32(1).matrix(kIdentity);
  b.u32(723);
  return b.b;
}

class NewAnimation : public PluginTest, public ::testing::WithParamInterface<Generation> {};

TEST_P(NewAnimation, FileFitsTheObjectAndLoadsBack) {
  subhost::MakeObject(5, 3, GetParam());
  subhost::SetTotalAnimFrames(subhost::Object(5), 40.0f);
  const std::string path = TempPath("blank.xamo");
  WriteFile(path, std::vector<uint8_t>(5000, 0xAB));  // replaced, not appended to
  x.Xamo_ObjMakeNewAnimation(5, const_cast<char*>(path.c_str()));
  EXPECT_EQ(ReadFile(path), Expected(3, 40.0f));
  const uint32_t id = x.Xamo_AnimLoad(const_cast<char*>(path.c_str()));
  EXPECT_EQ(x.Xamo_AnimGetTotalLimbs(id), 3u);
  EXPECT_EQ(x.Xamo_AnimGetTotalFrames(id), 1u);  // recomputed from the keys on load
  for (uint32_t limb = 0; limb < 3; ++limb) {
    EXPECT_EQ(x.Xamo_AnimGetLimbKeys(id, limb), 2u);
    EXPECT_EQ(x.Xamo_AnimGetLimbKeyTime(id, limb, 1), 1u);
    EXPECT_EQ(x.Xamo_AnimGetKeyScaleZ(id, limb, 1), 1.0);
  }
  x.Xamo_AnimDelete(id);
  // No limbs and no animation: 36 bytes with total frames 0.
  subhost::MakeObject(6, 0, GetParam());
  x.Xamo_ObjMakeNewAnimation(6, const_cast<char*>(path.c_str()));
  EXPECT_EQ(ReadFile(path), Expected(0, 0.0f));
}

INSTANTIATE_TEST_SUITE_P(BothGenerations, NewAnimation, ::testing::Values(Generation::Classic, Generation::Current));

using NewAnimationHost = PluginTest;

TEST_F(NewAnimationHost, MissingOrUndecidedObject) {
  const std::string path = TempPath("none.xamo");
  x.Xamo_ObjMakeNewAnimation(77, const_cast<char*>(path.c_str()));
  EXPECT_TRUE(ReadFile(path).empty());
  // Neither object number word matches: the generation is undecided and total frames read 0.
  sObject* o = subhost::MakeObject(20, 2, Generation::Current);
  subhost::SetTotalAnimFrames(o, 9.0f);
  subhost::SetWord(o, kCurrentObjectFields.objectNumber, 999);
  HostObject obj;
  ASSERT_TRUE(HostGetObject(20, &obj));
  if (obj.fields) GTEST_SKIP() << "the host shows its generation marker in this process";
  x.Xamo_ObjMakeNewAnimation(20, const_cast<char*>(path.c_str()));
  EXPECT_EQ(ReadFile(path), Expected(2, 0.0f));
  x.Xamo_ObjMakeNewAnimation(20, const_cast<char*>("/nonexistent-folder/blank.xamo"));
}

}  // namespace
