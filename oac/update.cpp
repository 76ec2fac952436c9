// The controller update and the playback commands that fill the per-limb states it advances.
//
// The update visits limbs in the controller's order. For each processed limb it advances the play
// frame (wrapping or stopping once at the range ends), samples the play animation, blends a running
// transition into the play pose in the frame of the limb's own localMatrix, multiplies in the limb's
// own transform (scale, rotation, offset) and writes the result into the referenced host limb.
#include <string.h>

#include "anim/animfile.h"
#include "oac/controller.h"
#include "oac/sample.h"
#include "plugin/handles.h"

namespace {

// Re-resolves the records' animations when an animation was deleted since the last look: a deleted
// one resolves to null and its record is treated as idle from then on.
void RefreshAnims(OacData* c) {
  const uint32_t releases = HandleReleaseCount(kHandleAnim);
  if (releases == c->animReleases) return;
  c->animReleases = releases;
  for (uint32_t l = 0; l < c->limbCount; ++l) {
    c->playAnim[l] = c->limbPlay[l].animId ? AnimFromHandle(c->limbPlay[l].animId) : nullptr;
    c->transAnim[l] = c->limbTrans[l].animId ? AnimFromHandle(c->limbTrans[l].animId) : nullptr;
  }
}

// Moves a frame by speed x time / 1000 and wraps or stops it once at the range ends. True when a
// range without looping was used up.
bool AdvanceFrame(float* current, float start, float end, float speed, uint8_t looping, uint32_t time) {
  const float d = static_cast<float>(speed / 1000.0 * static_cast<double>(time));
  float f = *current + d;
  bool stopped = false;
  if (f > end) {
    if (looping == 1) {
      f = start == end ? end : f - end + start;
    } else {
      f = end;
      stopped = true;
    }
  }
  if (f < start) {
    if (looping == 1) {
      f = f - start + end;
    } else {
      f = start;
      stopped = true;
    }
  }
  *current = f;
  return stopped;
}

// The limb's own transform S x Rx x Ry x Rz x T, rebuilt only when its inputs changed.
const Mat4& LimbTransform(OacLimbCache* k, const sLimb* limb) {
  float key[9];
  memcpy(key, limb->limbScale, sizeof(float) * 3);
  memcpy(key + 3, limb->limbRotation, sizeof(float) * 3);
  memcpy(key + 6, limb->limbOffset, sizeof(float) * 3);
  if (!k->transformValid || memcmp(key, k->transformKey, sizeof key) != 0) {
    MatCompose(&k->transform, limb->limbScale, limb->limbRotation, limb->limbOffset);
    memcpy(k->transformKey, key, sizeof key);
    k->transformValid = 1;
  }
  return k->transform;
}

// Inverse of the limb's localMatrix, recomputed only when that matrix changed.
const Mat4& LocalInverse(OacLimbCache* k, const Mat4& m) {
  if (!k->inverseValid || memcmp(&k->inverseKey, &m, sizeof m) != 0) {
    k->inverseKey = m;
    MatInverse(&k->inverse, m);
    k->inverseValid = 1;
  }
  return k->inverse;
}

// Transition stage of limb l: advances the transition, blends its pose into *pose in the frame of
// the limb's localMatrix m and hands a completed transition over to the play record. Returns the
// blended pose.
// The play record takes over the transition's animation, range, frame and speed (when a
// transition completes, or is cut short by a new one); the caller settles the flags and the pose.
void TakeOverRange(OacData* c, uint32_t l) {
  OacLimbPlay& play = c->limbPlay[l];
  const OacLimbTrans& tr = c->limbTrans[l];
  play.animId = tr.animId;
  play.speed = tr.speed;
  play.startFrame = tr.startFrame;
  play.endFrame = tr.endFrame;
  play.currentFrame = tr.currentFrame;
  play.looping = tr.looping;
  c->playAnim[l] = c->transAnim[l];
}

const Mat4* BlendTransition(OacData* c, uint32_t l, const AnimData* anim, const Mat4* pose, const Mat4& m,
                            uint32_t time) {
  OacLimbTrans& tr = c->limbTrans[l];
  AdvanceFrame(&tr.currentFrame, tr.startFrame, tr.endFrame, tr.speed, tr.looping, time);
  tr.timeUsed += time;
  if (tr.timeUsed > tr.totalTime) tr.timeUsed = tr.totalTime;
  tr.interpol = tr.totalTime == 0 ? 1.0f : static_cast<float>(static_cast<double>(tr.timeUsed) / tr.totalTime);
  Mat4 target, a, b, blend;
  SampleMatrixTrack(&target, anim, l, tr.currentFrame, tr.speed, &tr.keyHint);
  tr.fromPose = *pose;
  const Mat4& inv = LocalInverse(&c->cache[l], m);
  if (c->modelType == 1) {
    MatMultiply(&a, *pose, m);
    MatMultiply(&b, target, m);
    BlendMatrices(&blend, a, b, tr.interpol);
    MatMultiply(&tr.blendPose, blend, inv);
  } else {
    MatMultiply(&a, m, *pose);
    MatMultiply(&b, m, target);
    BlendMatrices(&blend, a, b, tr.interpol);
    MatMultiply(&tr.blendPose, inv, blend);
  }
  tr.blended = 1;
  if (tr.timeUsed == tr.totalTime) {
    OacLimbPlay& play = c->limbPlay[l];
    TakeOverRange(c, l);
    play.active = 1;
    play.pose = tr.blendPose;
    tr.active = 0;
  }
  return &tr.blendPose;
}

}  // namespace

void OacUpdate(OacData* c, uint32_t time) {
  RefreshAnims(c);
  sObject* o = c->object.rec;
  const uint32_t hostCount = o->limbCount;
  const uint32_t n = OacLimbBound(c);
  bool wrote = false;
  for (uint32_t i = 0; i < n; ++i) {
    const uint32_t l = c->updateOrder[i];
    if (l >= n || c->limbActive[l] != 1) continue;
    const uint32_t ref = static_cast<uint32_t>(c->limbReference[l]);
    if (ref >= hostCount) continue;
    const sLimb* limb = HostLimb(o, l);

    OacLimbPlay& play = c->limbPlay[l];
    const AnimData* playAnim = c->playAnim[l];
    if (play.active && playAnim && l < playAnim->limbCount) {
      if (AdvanceFrame(&play.currentFrame, play.startFrame, play.endFrame, play.speed, play.looping, time))
        play.active = 0;
      SampleMatrixTrack(&play.pose, playAnim, l, play.currentFrame, play.speed, &play.keyHint);
    }
    const Mat4* pose = &play.pose;

    const AnimData* transAnim = c->transAnim[l];
    const OacLimbTrans& tr = c->limbTrans[l];
    if (tr.active) {
      if (transAnim && l < transAnim->limbCount)
        pose = BlendTransition(c, l, transAnim, pose, *AsMat4(limb->localMatrix), time);
      else if (!transAnim && tr.blended)
        pose = &tr.blendPose;  // its animation was deleted mid-way: hold the last blend
    }

    Mat4& out = c->localMatrices[l];
    MatMultiply(&out, *pose, LimbTransform(&c->cache[l], limb));
    *AsMat4(HostLimb(o, ref)->animMatrix) = out;
    wrote = true;
  }
  if (wrote) {
    HostMarkLimbsChanged(c->object);
    if (c->updateBounds == 1) HostMarkBoundsChanged(c->object);
  }
}

// --- Playback commands -----------------------------------------------------------------------------

namespace {

// Time of the last matrix key of a limb's track; 0 for a track without keys.
float LastKeyTime(const AnimData* anim, uint32_t limb) {
  const AnimTrack& t = anim->tracks[limb];
  return t.keyCount ? static_cast<float>(t.keys[t.keyCount - 1].time) : 0.0f;
}

float Clamp(float frame, float last) { return frame > last ? last : frame; }

// The animation of a playback command, or null when the handle is dead or the limb is out of range
// for the controller or the animation.
const AnimData* GuardedAnim(OacData* c, uint32_t limb, uint32_t animId) {
  const AnimData* a = AnimFromHandle(animId);
  return a && OacLimbValid(c, limb) && limb < a->limbCount ? a : nullptr;
}

bool Selected(const OacData* c, uint32_t limb, uint32_t i, int32_t exChild) {
  return i == limb || (exChild == 0 && c->limbLinks[limb].childFlags[i] != 0);
}

uint32_t SelectionBound(const OacData* c, const AnimData* a) {
  const uint32_t n = OacLimbBound(c);
  return a && a->limbCount < n ? a->limbCount : n;
}

// Starts a playback command: the animation (null: do nothing) and the last key time of the
// commanded limb's track, which bounds every frame argument.
const AnimData* BeginPlayback(OacData* c, uint32_t limb, uint32_t animId, float* last) {
  RefreshAnims(c);
  const AnimData* a = GuardedAnim(c, limb, animId);
  if (a) *last = LastKeyTime(a, limb);
  return a;
}

// An end frame below 0 stands for the last key time of limb i's own track.
float OpenEnd(const AnimData* a, uint32_t i, float end) { return end < 0.0f ? LastKeyTime(a, i) : end; }

// Fills the range fields shared by play and transition records.
template <class Rec>
void FillRange(Rec* r, uint32_t animId, const AnimData* a, float start, float current, float end, int32_t loop) {
  r->animId = animId;
  r->startFrame = start;
  r->endFrame = end;
  r->currentFrame = current;
  r->looping = loop == 1 ? 1 : 0;
  r->speed = a->playSpeed;
  r->active = 1;
}

}  // namespace

void OacSetFrame(OacData* c, uint32_t limb, uint32_t animId, float frame, int32_t exChild) {
  float last;
  const AnimData* a = BeginPlayback(c, limb, animId, &last);
  if (!a) return;
  const float f = Clamp(frame, last);
  for (uint32_t i = 1; i < SelectionBound(c, a); ++i) {
    if (!Selected(c, limb, i, exChild)) continue;
    FillRange(&c->limbPlay[i], animId, a, f, f, f, 0);
    c->playAnim[i] = a;
  }
}

void OacPlayAnim(OacData* c, uint32_t limb, uint32_t animId, float start, float current, float end,
                 int32_t loop, int32_t exChild) {
  float last;
  const AnimData* a = BeginPlayback(c, limb, animId, &last);
  if (!a) return;
  for (uint32_t i = 1; i < SelectionBound(c, a); ++i) {
    if (!Selected(c, limb, i, exChild)) continue;
    FillRange(&c->limbPlay[i], animId, a, Clamp(start, last), Clamp(current, last), OpenEnd(a, i, Clamp(end, last)),
              loop);
    c->playAnim[i] = a;
  }
}

void OacAnimTransition(OacData* c, uint32_t limb, uint32_t animId, float start, float current, float end,
                       uint32_t transTime, int32_t loop, int32_t exChild) {
  float last;
  const AnimData* a = BeginPlayback(c, limb, animId, &last);
  if (!a) return;
  for (uint32_t i = 1; i < SelectionBound(c, a); ++i) {
    if (!Selected(c, limb, i, exChild)) continue;
    OacLimbTrans& tr = c->limbTrans[i];
    if (tr.animId == animId) continue;
    if (tr.active) {
      // Cut short: the limb goes on from the pose it showed, without its own transform, so the
      // limb transform is multiplied in once, as before the command.
      OacLimbPlay& play = c->limbPlay[i];
      TakeOverRange(c, i);
      play.active = 0;
      if (tr.blended) play.pose = tr.blendPose;
      tr.active = 0;
    }
    FillRange(&tr, animId, a, Clamp(start, last), Clamp(current, last), OpenEnd(a, i, Clamp(end, last)), loop);
    tr.totalTime = transTime;
    tr.timeUsed = 0;
    tr.blended = 0;
    c->transAnim[i] = a;
  }
  OacUpdate(c, 0);
}

uint32_t TruncLow32(double v) {
  if (!(v > -9.2e18 && v < 9.2e18)) return 0;
  return static_cast<uint32_t>(static_cast<int64_t>(v));
}

void OacSetInterpolFrame(OacData* c, uint32_t limb, uint32_t animIdA, float frameA, uint32_t animIdB,
                         float frameB, float interpol, int32_t exChild) {
  RefreshAnims(c);
  const AnimData* a = GuardedAnim(c, limb, animIdA);
  const AnimData* b = GuardedAnim(c, limb, animIdB);
  if (!a || !b) return;
  const float fa = Clamp(frameA, LastKeyTime(a, limb));
  const float fb = Clamp(frameB, LastKeyTime(b, limb));
  const uint32_t used = TruncLow32(interpol * 1000.0);
  for (uint32_t i = 1; i < OacLimbBound(c); ++i) {
    if (!Selected(c, limb, i, exChild)) continue;
    OacLimbPlay& play = c->limbPlay[i];
    OacLimbTrans& tr = c->limbTrans[i];
    FillRange(&play, animIdA, a, fa, fa, fa, 0);
    c->playAnim[i] = a;
    FillRange(&tr, animIdB, b, fb, fb, fb, 0);
    tr.totalTime = 1000;
    tr.timeUsed = used;
    tr.blended = 0;
    c->transAnim[i] = b;
    OacUpdate(c, 0);
    // The limb holds the blend it shows now (before its own transform is multiplied in).
    if (tr.blended) play.pose = tr.blendPose;
    play.active = 0;
    tr.active = 0;
  }
}
