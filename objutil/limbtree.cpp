#include "objutil/limbtree.h"

#include <stdlib.h>

#include "plugin/host.h"

namespace {

const uint32_t kNone = 0xFFFFFFFFu;

// Index of the limb a link points at, or kNone for no link or one outside the table.
uint32_t LinkIndex(HostAddr link, uint32_t n) {
  const sLimb* l = HostPtr<sLimb>(link);
  if (!l) return kNone;
  return l->index < n ? l->index : kNone;
}

}  // namespace

uint32_t FindLimbParent(const sObject* obj, uint32_t limb) {
  const uint32_t n = obj->limbCount;
  if (limb >= n) return 0;
  const HostAddr* limbs = HostPtr<HostAddr>(obj->limbs);
  // First-child pass: a limb named as a first child has its parent at once.
  for (uint32_t i = 0; i < n; ++i) {
    const sLimb* l = HostPtr<sLimb>(limbs[i]);
    if (l && LinkIndex(l->firstChild, n) == limb) return i;
  }

  uint32_t stackTables[2 * 64];
  uint32_t* tables = n <= 64 ? stackTables : static_cast<uint32_t*>(malloc(2 * n * sizeof(uint32_t)));
  uint32_t* parent = tables;
  uint32_t* previous = tables + n;
  for (uint32_t i = 0; i < n; ++i) {
    parent[i] = 0;
    previous[i] = kNone;
  }
  for (uint32_t i = 0; i < n; ++i) {
    const sLimb* l = HostPtr<sLimb>(limbs[i]);
    if (!l) continue;
    const uint32_t c = LinkIndex(l->firstChild, n);
    if (c != kNone) parent[c] = i;
  }
  // Sibling passes: a limb takes the parent of the limb whose next sibling it is, once that
  // limb is settled; the chain's head is settled from the start.
  int32_t pending = 0;
  for (uint32_t i = 0; i < n; ++i) {
    const sLimb* l = HostPtr<sLimb>(limbs[i]);
    if (!l) continue;
    const uint32_t s = LinkIndex(l->nextSibling, n);
    if (s != kNone) previous[s] = i;
  }
  for (uint32_t i = 0; i < n; ++i) pending += previous[i] != kNone;
  for (uint32_t pass = 0; pending > 0 && pass < n; ++pass) {
    for (uint32_t j = 0; j < n; ++j) {
      const uint32_t s = previous[j];
      if (s != kNone && previous[s] == kNone) {
        parent[j] = parent[s];
        previous[j] = kNone;
        --pending;
      }
    }
  }
  const uint32_t result = parent[limb];
  if (tables != stackTables) free(tables);
  return result;
}

uint32_t IsLimbDescendant(const sObject* obj, uint32_t ancestor, uint32_t limb) {
  const uint32_t n = obj->limbCount;
  if (ancestor == 0) return 0;
  if (ancestor >= n || limb >= n) return 0;
  uint32_t p = FindLimbParent(obj, limb);
  if (p == 0) return 0;
  for (int32_t steps = 0;;) {
    if (p == ancestor) return 1;
    limb = p;
    if (++steps > static_cast<int32_t>(n)) return 0;
    p = FindLimbParent(obj, limb);
    if (p == 0) return 0;
  }
}

uint32_t IsLimbDescendantIn(const uint32_t* parents, uint32_t n, uint32_t ancestor, uint32_t limb) {
  if (ancestor == 0) return 0;
  if (ancestor >= n || limb >= n) return 0;
  uint32_t p = parents[limb];
  if (p == 0) return 0;
  for (int32_t steps = 0;;) {
    if (p == ancestor) return 1;
    if (++steps > static_cast<int32_t>(n) || p >= n) return 0;
    p = parents[p];
    if (p == 0) return 0;
  }
}
