#include "plugin/handles.h"

#include <gtest/gtest.h>

#include <vector>

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

}  // namespace
