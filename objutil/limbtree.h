// The limb tree of a host object, worked out from each limb's first-child and next-sibling links.
// Limb 0 doubles as "no parent": a root limb and a child of limb 0 both have parent 0.
#pragma once
#include <stdint.h>

#include "plugin/host_records.h"

// Parent of limb L (L below limbCount), or 0 when it has none. A limb that is limb i's first
// child has parent i; a limb down a chain of next-sibling links has the parent of the chain's head.
// Broken records (an index out of range, a looping sibling chain) never hang or fault: a limb whose
// chain of previous siblings loops keeps the answer of the first-child links alone.
uint32_t FindLimbParent(const sObject* obj, uint32_t limb);

// FindLimbParent of every limb at once (parents: limbCount entries), in time linear in the
// number of limbs whatever the shape of the tree.
void LimbParents(const sObject* obj, uint32_t* parents);

// 1 when P is an ancestor of D at any depth, else 0. Limb 0 is never an ancestor, and a limb
// whose parent is 0 is never a descendant. P and D are checked against limbCount.
uint32_t IsLimbDescendant(const sObject* obj, uint32_t ancestor, uint32_t limb);

// The same question answered on a table of parents (parents[i] = FindLimbParent(obj, i)), as a
// controller keeps it, for n limbs.
uint32_t IsLimbDescendantIn(const uint32_t* parents, uint32_t n, uint32_t ancestor, uint32_t limb);

// Depth of every limb on a table of parents: 0 when its parent is 0, else one more than its
// parent's; n for a limb whose chain of parents loops. Linear in n.
void LimbDepths(const uint32_t* parents, uint32_t n, uint32_t* depths);

// Descendant flags on a table of parents: sets rows[P][D] to 1 wherever IsLimbDescendantIn(parents,
// n, P, D) is 1 (rows: n rows of n entries, cleared by the caller). One walk up from each limb.
void LimbDescendantFlags(const uint32_t* parents, uint32_t n, uint32_t* const* rows);
