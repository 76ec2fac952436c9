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
sObject* SixLimbs() {
  subhost::Reset();
  sObject* o = subhost::MakeObject(1, 6);
  subhost::LinkTree(o, {-1, 0, 1, 1, 1, 4});
  return o;
}

TEST(LimbTree, ParentsComeFromFirstChildAndSiblingChains) {
  const sObject* o = SixLimbs();
  const uint32_t want[] = {0, 0, 1, 1, 1, 4};
  for (uint32_t i = 0; i < 6; ++i) EXPECT_EQ(FindLimbParent(o, i), want[i]) << "limb " << i;
  EXPECT_EQ(FindLimbParent(o, 6), 0u);
}

TEST(LimbTree, DescendantsAtAnyDepthButNeverOfLimb0) {
  const sObject* o = SixLimbs();
  EXPECT_EQ(IsLimbDescendant(o, 1, 5), 1u);  // grandchild
  EXPECT_EQ(IsLimbDescendant(o, 4, 5), 1u);
  EXPECT_EQ(IsLimbDescendant(o, 0, 1), 0u);  // limb 0 is never an ancestor
  EXPECT_EQ(IsLimbDescendant(o, 3, 4), 0u);  // siblings
  EXPECT_EQ(IsLimbDescendant(o, 2, 2), 0u);
  EXPECT_EQ(IsLimbDescendant(o, 5, 1), 0u);
  EXPECT_EQ(IsLimbDescendant(o, 6, 1), 0u);
  uint32_t parents[6];
  for (uint32_t i = 0; i < 6; ++i) parents[i] = FindLimbParent(o, i);
  for (uint32_t p = 0; p < 7; ++p)
    for (uint32_t d = 0; d < 7; ++d)
      EXPECT_EQ(IsLimbDescendantIn(parents, 6, p, d), IsLimbDescendant(o, p, d)) << p << "," << d;
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
