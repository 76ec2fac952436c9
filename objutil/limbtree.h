// The limb tree of a host object, worked out from each limb's first-child and next-sibling links.
// Limb 0 doubles as "no parent": a root limb and a child of limb 0 both have parent 0.
#pragma once
#include <stdint.h>

#include "plugin/host_records.h"

// Parent of limb L (L below limbCount), or 0 when it has none. A limb that is limb i's first
// child has parent i; a limb down a chain of next-sibling links has the parent of the chain's head.
// Broken records (an index out of range, a looping sibling chain) never hang or fault: the
// sibling passes stop after limbCount rounds.
uint32_t FindLimbParent(const sObject* obj, uint32_t limb);

// 1 when P is an ancestor of D at any depth, else 0. Limb 0 is never an ancestor, and a limb
// whose parent is 0 is never a descendant. P and D are checked against limbCount.
uint32_t IsLimbDescendant(const sObject* obj, uint32_t ancestor, uint32_t limb);

// The same question answered on a table of parents (parents[i] = FindLimbParent(obj, i)), as a
// controller keeps it, for n limbs.
uint32_t IsLimbDescendantIn(const uint32_t* parents, uint32_t n, uint32_t ancestor, uint32_t limb);
