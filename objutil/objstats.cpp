#include "objutil/objstats.h"

const sLimbAnim* FindLimbAnim(const sObject* obj, uint32_t limb) {
  for (const sLimbAnim* a = HostFirstLimbAnim(obj); a; a = HostPtr<sLimbAnim>(a->next)) {
    const sLimb* l = HostPtr<sLimb>(a->limb);
    if (l && l->index == limb) return a;
  }
  return nullptr;
}

uint32_t HostLimbKeyCount(const HostObject& obj, uint32_t limb, HostKeyKind kind) {
  if (!(HostTotalAnimFrames(obj) > 0.0f)) return 0;
  const sLimbAnim* a = FindLimbAnim(obj.rec, limb);
  if (!a) return 0;
  switch (kind) {
    case kHostMatrixKeys: return a->matrixKeyCount;
    case kHostRotationKeys: return a->rotationKeyCount;
    case kHostPositionKeys: return a->positionKeyCount;
    case kHostScaleKeys: return a->scaleKeyCount;
  }
  return 0;
}
