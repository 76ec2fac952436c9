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

namespace {

// Follows `next` links from every entry to the end of its chain, in one pass over all chains:
// result[j] = value[end of j's chain], or `loop` when the chain runs into a loop. `next[j]` is
// kNone at the end of a chain. `walk` is scratch room for n entries.
void ResolveChains(const uint32_t* next, const uint32_t* value, uint32_t loop, uint32_t n, uint32_t* result,
                   uint32_t* walk) {
  const uint32_t kUnseen = 0xFFFFFFFEu, kOnWalk = 0xFFFFFFFDu;
  for (uint32_t i = 0; i < n; ++i) result[i] = kUnseen;
  for (uint32_t j = 0; j < n; ++j) {
    uint32_t depth = 0, k = j, answer;
    for (;;) {
      if (result[k] == kOnWalk) {  // back on this walk: a loop
        answer = loop;
        break;
      }
      if (result[k] != kUnseen) {  // joins a chain resolved before
        answer = result[k];
        break;
      }
      if (next[k] == kNone) {
        answer = result[k] = value[k];
        break;
      }
      result[k] = kOnWalk;
      walk[depth++] = k;
      k = next[k];
    }
    while (depth > 0) result[walk[--depth]] = answer;
  }
}

}  // namespace

void LimbParents(const sObject* obj, uint32_t* parents) {
  const uint32_t n = obj->limbCount;
  if (n == 0) return;
  const HostAddr* limbs = HostPtr<HostAddr>(obj->limbs);
  uint32_t* tables = static_cast<uint32_t*>(malloc(4 * static_cast<size_t>(n) * sizeof(uint32_t)));
  uint32_t* firstOwner = tables;        // the first limb naming each limb as its first child, or kNone
  uint32_t* lastOwner = tables + n;     // the last such limb, or 0
  uint32_t* previous = tables + 2 * n;  // the last limb naming each limb as its next sibling, or kNone
  uint32_t* walk = tables + 3 * n;
  for (uint32_t i = 0; i < n; ++i) {
    firstOwner[i] = kNone;
    lastOwner[i] = 0;
    previous[i] = kNone;
  }
  for (uint32_t i = 0; i < n; ++i) {
    const sLimb* l = HostPtr<sLimb>(limbs[i]);
    if (!l) continue;
    const uint32_t c = LinkIndex(l->firstChild, n);
    if (c != kNone) {
      if (firstOwner[c] == kNone) firstOwner[c] = i;
      lastOwner[c] = i;
    }
    const uint32_t s = LinkIndex(l->nextSibling, n);
    if (s != kNone) previous[s] = i;
  }
  // A limb down a chain of next-sibling links takes the parent that the head of its chain has
  // from the first-child links (the last limb naming the head as its first child, else 0); a
  // limb whose chain of previous siblings loops never settles and keeps 0.
  ResolveChains(previous, lastOwner, 0, n, parents, walk);
  // A limb named as a first child has the first limb naming it as its parent, whatever its
  // siblings say.
  for (uint32_t i = 0; i < n; ++i)
    if (firstOwner[i] != kNone) parents[i] = firstOwner[i];
  free(tables);
}

uint32_t FindLimbParent(const sObject* obj, uint32_t limb) {
  const uint32_t n = obj->limbCount;
  if (limb >= n) return 0;
  uint32_t* parents = static_cast<uint32_t*>(malloc(n * sizeof(uint32_t)));
  LimbParents(obj, parents);
  const uint32_t result = parents[limb];
  free(parents);
  return result;
}

uint32_t IsLimbDescendant(const sObject* obj, uint32_t ancestor, uint32_t limb) {
  const uint32_t n = obj->limbCount;
  if (ancestor == 0 || ancestor >= n || limb >= n) return 0;
  uint32_t* parents = static_cast<uint32_t*>(malloc(n * sizeof(uint32_t)));
  LimbParents(obj, parents);
  const uint32_t result = IsLimbDescendantIn(parents, n, ancestor, limb);
  free(parents);
  return result;
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

void LimbDepths(const uint32_t* parents, uint32_t n, uint32_t* depths) {
  // d(l) = 0 when parents[l] is 0, else 1 + d(parents[l]), at most n (a loop never reaches 0):
  // each limb walks up until it meets a limb already known, counting on the way back.
  const uint32_t kUnseen = 0xFFFFFFFFu, kOnWalk = 0xFFFFFFFEu;
  for (uint32_t i = 0; i < n; ++i) depths[i] = kUnseen;
  uint32_t* walk = static_cast<uint32_t*>(malloc((n ? n : 1) * sizeof(uint32_t)));
  for (uint32_t j = 0; j < n; ++j) {
    uint32_t count = 0, k = j, d;
    for (;;) {
      if (depths[k] == kOnWalk) {
        d = n;
        break;
      }
      if (depths[k] != kUnseen) {
        d = depths[k];
        break;
      }
      if (parents[k] == 0 || parents[k] >= n) {
        d = depths[k] = 0;
        break;
      }
      depths[k] = kOnWalk;
      walk[count++] = k;
      k = parents[k];
    }
    while (count > 0) {
      d = d < n ? d + 1 : n;
      depths[walk[--count]] = d;
    }
  }
  free(walk);
}

void LimbDescendantFlags(const uint32_t* parents, uint32_t n, uint32_t* const* rows) {
  // Each limb walks up its ancestors once and marks itself in their rows, stopping where
  // IsLimbDescendantIn stops: at parent 0, past n steps, or at a number outside the table.
  for (uint32_t d = 0; d < n; ++d) {
    uint32_t p = parents[d];
    for (uint32_t steps = 0; p != 0;) {
      if (p < n) rows[p][d] = 1;
      if (++steps > n || p >= n) break;
      p = parents[p];
    }
  }
}
