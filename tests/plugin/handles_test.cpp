#include "plugin/handles.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "support/plugin_fixture.h"

namespace {

TEST(Handles, LiveHandlesRoundTripAndDeadOnesAnswerNull) {
  int records[300];
  std::vector<uint32_t> handles;
  for (int& r : records) handles.push_back(HandleRegister(&r, kHandleAnim));
  for (size_t i = 0; i < handles.size(); ++i) {
    ASSERT_NE(handles[i], 0u);
    EXPECT_EQ(HandleLookup(handles[i], kHandleAnim), &records[i]);
    EXPECT_EQ(HandleLookup(handles[i], kHandleOac), nullptr);  // wrong kind
  }
  const uint32_t before = HandleReleaseCount(kHandleAnim);
  for (size_t i = 0; i < handles.size(); i += 2) HandleRelease(handles[i], kHandleAnim);
  EXPECT_EQ(HandleReleaseCount(kHandleAnim), before + 150);
  for (size_t i = 0; i < handles.size(); ++i)
    EXPECT_EQ(HandleLookup(handles[i], kHandleAnim), i % 2 ? &records[i] : nullptr);
  for (size_t i = 1; i < handles.size(); i += 2) HandleRelease(handles[i], kHandleAnim);
  EXPECT_EQ(HandleLookup(0, kHandleAnim), nullptr);
  EXPECT_EQ(HandleLookup(12345, kHandleAnim), nullptr);
}

// Deleting and making records over and over never hands out a dead handle again: on 32-bit
// builds, where a handle is the record's address, the deleted records are retired, not reused.
using StaleHandles = PluginTest;
TEST_F(StaleHandles, DeletedAnimationsAndControllersStayDead) {
  subhost::MakeObject(1, 3);
  char* file = const_cast<char*>(XAMO_TEST_DATA "/two_tracks_three_keys.xamo");
  std::set<uint32_t> dead[2];
  for (int round = 0; round < 200; ++round) {
    const uint32_t anim = x.Xamo_AnimLoad(file), oac = x.Xamo_oacCreate(1);
    ASSERT_EQ(dead[0].count(anim) + dead[1].count(oac), 0u) << "round " << round;
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
