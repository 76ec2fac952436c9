#include "objutil/limbtree.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <random>
#include <vector>

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
  EXPECT_EQ(FindLimbParent(o, 6), 0u);  // past the end; the parents of real limbs: random trees below
  // Limb 1 is over 2..5 (5 a grandchild), 4 over 5; limb 0 over none, and limb 6 does not exist.
  for (uint32_t p = 0; p < 7; ++p)
    for (uint32_t d = 0; d < 7; ++d) {
      const uint32_t is = (p == 1 && d >= 2 && d < 6) || (p == 4 && d == 5);
      EXPECT_EQ(IsLimbDescendant(o, p, d), is) << p << " over " << d;
    }
}

// The parent of one limb by the letter of the rule: a first-child pass that answers at once, then
// sibling passes in which a limb settles once the limb before it has, at most n of them.
uint32_t ParentByRule(const sObject* obj, uint32_t limb) {
  const uint32_t n = obj->limbCount, none = 0xFFFFFFFFu;
  auto index = [&](HostAddr a) {
    const sLimb* l = HostPtr<sLimb>(a);
    return l && l->index < n ? l->index : none;
  };
  for (uint32_t i = 0; i < n; ++i)
    if (index(subhost::Limb(obj, i)->firstChild) == limb) return i;
  std::vector<uint32_t> parent(n, 0), previous(n, none);
  for (uint32_t i = 0; i < n; ++i) {
    const uint32_t c = index(subhost::Limb(obj, i)->firstChild);
    if (c != none) parent[c] = i;
    const uint32_t s = index(subhost::Limb(obj, i)->nextSibling);
    if (s != none) previous[s] = i;
  }
  for (uint32_t pass = 0; pass < n; ++pass)
    for (uint32_t j = 0; j < n; ++j) {
      const uint32_t s = previous[j];
      if (s != none && previous[s] == none) {
        parent[j] = parent[s];
        previous[j] = none;
      }
    }
  return parent[limb];
}

// Random trees, broken ones too (self-links, sibling loops, links claimed twice, an index outside
// the table, each in dozens of the rounds): every parent, depth and descendant flag as the
// per-limb rules give them, and nothing hangs.
TEST(LimbTree, WholeTreeAnswersMatchThePerLimbRules) {
  std::mt19937 rng(7);
  for (int round = 0; round < 300; ++round) {
    subhost::Reset();
    const uint32_t n = 1 + rng() % 24;
    sObject* o = subhost::MakeObject(1, n);
    const bool broken = round % 2 == 1;
    for (uint32_t i = 0; i < n; ++i) {
      sLimb* l = subhost::Limb(o, i);
      // A proper tree links only forward; a broken one anywhere, itself included.
      const uint32_t lo = broken ? 0 : i + 1;
      if (lo < n && rng() % 3 == 0) l->firstChild = HostAddrOf(subhost::Limb(o, lo + rng() % (n - lo)));
      if (lo < n && rng() % 2 == 0) l->nextSibling = HostAddrOf(subhost::Limb(o, lo + rng() % (n - lo)));
    }
    if (broken && rng() % 4 == 0) subhost::Limb(o, rng() % n)->index = n + 5;
    std::vector<uint32_t> parents(n), depths(n);
    LimbParents(o, parents.data());
    for (uint32_t l = 0; l < n; ++l) ASSERT_EQ(parents[l], ParentByRule(o, l)) << "round " << round << " limb " << l;
    LimbDepths(parents.data(), n, depths.data());
    std::vector<std::vector<uint32_t>> flags(n, std::vector<uint32_t>(n, 0));
    std::vector<uint32_t*> rows(n);
    for (uint32_t l = 0; l < n; ++l) rows[l] = flags[l].data();
    LimbDescendantFlags(parents.data(), n, rows.data());
    for (uint32_t l = 0; l < n; ++l) {
      uint32_t d = 0;
      for (uint32_t p = parents[l]; p != 0 && d < n; p = parents[p]) ++d;
      EXPECT_EQ(depths[l], d) << "round " << round << " limb " << l;
      for (uint32_t j = 0; j < n; ++j)
        EXPECT_EQ(flags[l][j], IsLimbDescendantIn(parents.data(), n, l, j)) << round << ": " << l << " over " << j;
    }
  }
}

}  // namespace
