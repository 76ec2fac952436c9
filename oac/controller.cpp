// Controller records: creation from a host object, cloning, freeing, handles, limb settings and the
// global limb matrices.
#include "oac/controller.h"

#include <stdlib.h>
#include <string.h>

#include <new>

#include "objutil/limbtree.h"
#include "plugin/handles.h"

namespace {

template <class T>
T* AllocArray(uint32_t n) {
  return static_cast<T*>(calloc(n ? n : 1, sizeof(T)));
}

// Arrays the update walks limb by limb start on a cache line, so no record straddles one needlessly.
const std::align_val_t kLineAlign{64};

template <class T>
T* AllocLines(uint32_t n) {
  const size_t bytes = static_cast<size_t>(n ? n : 1) * sizeof(T);
  void* p = ::operator new[](bytes, kLineAlign);
  memset(p, 0, bytes);
  return static_cast<T*>(p);
}

void FreeLines(void* p) {
  if (p) ::operator delete[](p, kLineAlign);
}

}  // namespace

OacData* OacAlloc(const HostObject& obj, uint32_t n) {
  OacData* c = static_cast<OacData*>(calloc(1, sizeof(OacData)));
  c->objectNumber = obj.number;
  c->object = obj;
  c->limbCount = n;
  c->limbPlay = AllocArray<OacLimbPlay>(n);
  c->limbTrans = AllocArray<OacLimbTrans>(n);
  c->updateOrder = AllocArray<uint32_t>(n);
  c->localMatrices = AllocLines<Mat4>(n);
  c->limbLinks = AllocArray<LimbLink>(n);
  c->limbActive = AllocArray<uint8_t>(n);
  c->limbReference = AllocArray<int32_t>(n);
  c->playAnim = AllocArray<const AnimData*>(n);
  c->transAnim = AllocArray<const AnimData*>(n);
  c->playTrack = AllocArray<const AnimTrack*>(n);
  c->transTrack = AllocArray<const AnimTrack*>(n);
  c->playPose = AllocLines<Pose>(n);
  c->transPose = AllocLines<Pose>(n);
  c->blendPose = AllocLines<Pose>(n);
  c->orderMarks = AllocArray<uint8_t>(n);
  c->visit = AllocArray<uint32_t>(n);
  c->blending = AllocArray<uint32_t>(n);
  c->shown = AllocArray<const Pose*>(n);
  c->transform = AllocLines<OacTransformCache>(n);
  c->local = AllocLines<OacLocalCache>(n);
  for (uint32_t i = 0; i < n; ++i) {
    c->playPose[i] = kIdentityPose;
    c->localMatrices[i] = kIdentity;
    c->limbLinks[i].childFlags = AllocArray<uint32_t>(n);
    c->limbActive[i] = 1;
    c->limbReference[i] = static_cast<int32_t>(i);
    c->updateOrder[i] = i;
  }
  c->animReleases = HandleReleaseCount(kHandleAnim);
  return c;
}

namespace {

// 1 when any per-limb animation of the object carries rotation keys.
uint32_t ModelTypeOf(const sObject* o) {
  for (const sLimbAnim* a = HostFirstLimbAnim(o); a; a = HostPtr<sLimbAnim>(a->next))
    if (a->rotationKeyCount > 0) return 1;
  return 0;
}

// The limb that has `limb` as its first child or in the sibling chain below its first child, or
// -1 when no limb does (a root). Follows at most limbCount links per chain.
int64_t HostParentOrNone(const sObject* o, uint32_t limb) {
  const uint32_t n = o->limbCount;
  for (uint32_t p = 0; p < n; ++p) {
    const sLimb* s = HostPtr<sLimb>(HostLimb(o, p)->firstChild);
    for (uint32_t steps = 0; s && steps < n; ++steps, s = HostPtr<sLimb>(s->nextSibling))
      if (s->index == limb) return p;
  }
  return -1;
}

}  // namespace

OacData* OacCreate(const HostObject& obj) {
  const sObject* o = obj.rec;
  const uint32_t n = o->limbCount;
  OacData* c = OacAlloc(obj, n);
  uint32_t* parents = AllocArray<uint32_t>(n);
  uint32_t* depth = AllocArray<uint32_t>(n);
  LimbParents(o, parents);
  LimbDepths(parents, n, depth);
  uint32_t maxDepth = 0;
  for (uint32_t l = 0; l < n; ++l)
    if (depth[l] > maxDepth) maxDepth = depth[l];
  // Limb 0 first, then by depth and, within a depth, by number: a counting sort over the depths.
  if (n > 0) {
    uint32_t* start = AllocArray<uint32_t>(maxDepth + 2);
    for (uint32_t l = 1; l < n; ++l) ++start[depth[l] + 1];
    for (uint32_t d = 0; d <= maxDepth; ++d) start[d + 1] += start[d];
    for (uint32_t l = 1; l < n; ++l) c->updateOrder[1 + start[depth[l]]++] = l;
    free(start);
  }
  uint32_t** rows = AllocArray<uint32_t*>(n);
  for (uint32_t l = 0; l < n; ++l) {
    c->limbLinks[l].parent = parents[l];
    rows[l] = c->limbLinks[l].childFlags;
  }
  LimbDescendantFlags(parents, n, rows);
  free(rows);
  c->modelType = ModelTypeOf(o);
  free(parents);
  free(depth);
  return c;
}

OacData* OacClone(const HostObject& obj, const OacData* source) {
  // The clone reads the source's arrays up to its own count: never past their end.
  uint32_t n = obj.rec->limbCount;
  if (n > source->limbCount) n = source->limbCount;
  OacData* c = OacAlloc(obj, n);
  for (uint32_t l = 0; l < n; ++l) {
    c->updateOrder[l] = source->updateOrder[l];
    c->limbActive[l] = source->limbActive[l];
    c->limbReference[l] = source->limbReference[l];
    c->limbLinks[l].parent = source->limbLinks[l].parent;
    memcpy(c->limbLinks[l].childFlags, source->limbLinks[l].childFlags, n * sizeof(uint32_t));
  }
  c->modelType = source->modelType;
  return c;
}

void OacFree(OacData* c) {
  if (!c) return;
  for (uint32_t l = 0; l < c->limbCount; ++l) free(c->limbLinks[l].childFlags);
  free(c->limbLinks);
  free(c->updateOrder);
  free(c->limbPlay);
  free(c->limbTrans);
  FreeLines(c->localMatrices);
  free(c->limbReference);
  free(c->limbActive);
  free(c->playAnim);
  free(c->transAnim);
  free(c->playTrack);
  free(c->transTrack);
  FreeLines(c->playPose);
  FreeLines(c->transPose);
  FreeLines(c->blendPose);
  free(c->orderMarks);
  free(c->visit);
  free(c->blending);
  free(c->shown);
  FreeLines(c->transform);
  FreeLines(c->local);
  HandleRetire(c);  // on 32-bit builds the record's address, a handle, is never handed out again
}

uint32_t OacRegister(OacData* c) { return HandleRegister(c, kHandleOac); }

OacData* OacFromHandle(uint32_t oacId) { return static_cast<OacData*>(HandleLookup(oacId, kHandleOac)); }

void OacRelease(uint32_t oacId) { OacFree(static_cast<OacData*>(HandleRelease(oacId, kHandleOac))); }

void OacSetLimbActive(OacData* c, uint32_t limb, uint8_t active) {
  c->limbActive[limb] = active;
  c->visitFor = 0;
}

void OacSetLimbReference(OacData* c, uint32_t limb, int32_t ref) {
  c->limbReference[limb] = ref;
  c->visitFor = 0;
}

uint32_t OacLimbBound(const OacData* c) {
  const uint32_t live = c->object.rec->limbCount;
  return live < c->limbCount ? live : c->limbCount;
}

bool OacSetLimbSpeed(OacData* c, uint32_t limb, float speed, int32_t exChild, bool trans) {
  const uint32_t n = OacLimbBound(c);
  if (limb >= n) return false;
  if (n < 2) return true;
  const sObject* o = c->object.rec;
  const uint32_t hostCount = o->limbCount;
  uint32_t* parents = AllocArray<uint32_t>(hostCount);
  LimbParents(o, parents);
  for (uint32_t i = 1; i < n; ++i) {
    if (i != limb && (exChild || !IsLimbDescendantIn(parents, hostCount, limb, i))) continue;
    if (trans) c->limbTrans[i].speed = speed;
    else c->limbPlay[i].speed = speed;
  }
  free(parents);
  return true;
}

void OacGlobalMatrix(const OacData* c, uint32_t limb, Mat4* out) {
  const sObject* o = c->object.rec;
  const uint32_t n = OacLimbBound(c);
  // Chain from the limb up to its root, then combined from the root down.
  uint32_t* chain = AllocArray<uint32_t>(n);
  uint32_t count = 0;
  for (int64_t l = limb; l >= 0 && static_cast<uint32_t>(l) < n && count < n; l = HostParentOrNone(o, static_cast<uint32_t>(l)))
    chain[count++] = static_cast<uint32_t>(l);
  *out = kIdentity;
  for (uint32_t k = count; k-- > 0;) {
    const uint32_t l = chain[k];
    Mat4 own;
    MatMultiply(&own, c->localMatrices[l], *AsMat4(HostLimb(o, l)->localMatrix));
    if (k + 1 == count) *out = own;
    else MatMultiply(out, own, *out);
  }
  free(chain);
}

namespace {

// I x Rx x Ry x Rz of three angles in degrees.
void GlobalRotation(Mat4* r, float x, float y, float z) {
  Mat4 t;
  MatRotationX(&t, DegToRad(x));
  MatMultiply(r, kIdentity, t);
  MatRotationY(&t, DegToRad(y));
  MatMultiply(r, *r, t);
  MatRotationZ(&t, DegToRad(z));
  MatMultiply(r, *r, t);
}

void ClearTranslation(Mat4* m) { m->m[12] = m->m[13] = m->m[14] = 0.0f; }

}  // namespace

bool OacGlobalRotateLimb(OacData* c, uint32_t limb, float x, float y, float z) {
  if (!OacLimbValid(c, limb)) return false;
  const sObject* o = c->object.rec;
  uint32_t p = c->limbLinks[limb].parent;
  if (p >= o->limbCount) p = 0;  // a loaded file may name any number
  Mat4 r, q;
  GlobalRotation(&r, x, y, z);
  MatInverse(&q, *AsMat4(HostLimb(o, p)->combinedMatrix));
  ClearTranslation(&q);
  MatMultiply(&r, r, q);
  MatInverse(&q, *AsMat4(HostLimb(o, limb)->localMatrix));
  ClearTranslation(&q);
  MatMultiply(&r, r, q);
  PoseFromMatrix(&c->playPose[limb], r);
  return true;
}

bool HostGlobalRotateLimb(const HostObject& obj, uint32_t limb, float x, float y, float z) {
  const sObject* o = obj.rec;
  if (limb >= o->limbCount) return false;
  const uint32_t p = FindLimbParent(o, limb);
  Mat4 r, q;
  GlobalRotation(&r, x, y, z);
  MatInverse(&q, *AsMat4(HostLimb(o, p)->combinedMatrix));
  MatMultiply(&r, r, q);
  MatInverse(&q, *AsMat4(HostLimb(o, limb)->localMatrix));
  MatMultiply(AsMat4(HostLimb(o, limb)->animMatrix), q, r);
  HostMarkLimbsChanged(obj);
  HostMarkBoundsChanged(obj);
  return true;
}
