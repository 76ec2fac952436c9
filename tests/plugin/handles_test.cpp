// Handles through the commands. The registry's own answers (wrong kind, dead, never handed out)
// are seen by every command test; what needs many rounds is here.
#include <set>

#include "support/plugin_fixture.h"

namespace {

// Deleting and making records over and over never hands out a dead handle again: on 32-bit
// builds, where a handle is the record's address, the deleted records are retired, not reused.
// A handle of the other kind deletes nothing.
using StaleHandles = PluginTest;
TEST_F(StaleHandles, DeletedAnimationsAndControllersStayDead) {
  subhost::MakeObject(1, 3);
  char* file = const_cast<char*>(XAMO_TEST_DATA "/two_tracks_three_keys.xamo");
  std::set<uint32_t> dead[2];
  for (int round = 0; round < 200; ++round) {
    const uint32_t anim = x.Xamo_AnimLoad(file), oac = x.Xamo_oacCreate(1);
    ASSERT_EQ(dead[0].count(anim) + dead[1].count(oac), 0u) << "round " << round;
    x.Xamo_AnimDelete(oac);
    x.Xamo_oacDelete(anim);
    ASSERT_EQ(x.Xamo_AnimGetTotalLimbs(anim), 2u);
    ASSERT_EQ(x.Xamo_oacGetObjectID(oac), 1u);
    x.Xamo_AnimDelete(anim);
    x.Xamo_oacDelete(oac);
    dead[0].insert(anim);
    dead[1].insert(oac);
  }
  for (uint32_t h : dead[0]) ASSERT_EQ(x.Xamo_AnimGetTotalLimbs(h), 0u);
  for (uint32_t h : dead[1]) ASSERT_EQ(x.Xamo_oacGetObjectID(h), 0u);
}

}  // namespace
