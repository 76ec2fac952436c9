#include "objutil/limbtree.h"

#include <gtest/gtest.h>

#include "subhost/subhost.h"

namespace {

// Six limbs:      0
//                 |
//                 1
//               / | \            (2, 3, 4 are one sibling chain)
//              2  3  4
//                    |
//                    5
TEST(LimbTree, ParentsAndDescendantsAtAnyDepthButNeverOfLimb0) {
  subhost::Reset();
  sObject* o = subhost::MakeObject(1, 6);
  subhost::LinkTree(o, {-1, 0, 1, 1, 1, 4});
  const uint32_t want[] = {0, 0, 1, 1, 1, 4};
  uint32_t parents[6];
  for (uint32_t i = 0; i < 6; ++i) EXPECT_EQ(parents[i] = FindLimbParent(o, i), want[i]) << "limb " << i;
  EXPECT_EQ(FindLimbParent(o, 6), 0u);
  // Limb 1 is over 2..5 (5 a grandchild), 4 over 5; limb 0 over none, and limb 6 does not exist.
  for (uint32_t p = 0; p < 7; ++p)
    for (uint32_t d = 0; d < 7; ++d) {
      const uint32_t is = (p == 1 && d >= 2 && d < 6) || (p == 4 && d == 5);
      EXPECT_EQ(IsLimbDescendant(o, p, d), is) << p << " over " << d;
      EXPECT_EQ(IsLimbDescendantIn(parents, 6, p, d), is) << p << " over " << d;
    }
}

TEST(LimbTree, BrokenRecordsNeitherHangNorFault) {
  subhost::Reset();
  sObject* o = subhost::MakeObject(1, 4);
  subhost::Link(o, 0, 1);
  // A sibling chain that loops: 2 -> 3 -> 2, neither reachable from a first child.
  subhost::Limb(o, 2)->nextSibling = HostAddrOf(subhost::Limb(o, 3));
  subhost::Limb(o, 3)->nextSibling = HostAddrOf(subhost::Limb(o, 2));
  EXPECT_EQ(FindLimbParent(o, 3), 0u);
  EXPECT_EQ(IsLimbDescendant(o, 2, 3), 0u);
  // An index outside the table is ignored.
  subhost::Limb(o, 1)->index = 99;
  subhost::Limb(o, 0)->nextSibling = HostAddrOf(subhost::Limb(o, 1));
  EXPECT_EQ(FindLimbParent(o, 1), 0u);
}

}  // namespace
