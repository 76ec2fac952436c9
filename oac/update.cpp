// The controller update and the playback commands that fill the per-limb states it advances.
//
// The update visits limbs in the controller's order. For each processed limb it advances the play
// frame (wrapping or stopping once at the range ends), samples the play animation, blends a running
// transition into the play pose in the frame of the limb's own localMatrix, multiplies in the limb's
// own transform (scale, rotation, offset) and writes the result into the referenced host limb.
#include <stddef.h>
#include <string.h>

#include "anim/animfile.h"
#include "math/xsimd.h"
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
    OacSetPlayAnim(c, l, c->limbPlay[l].animId ? AnimFromHandle(c->limbPlay[l].animId) : nullptr);
    OacSetTransAnim(c, l, c->limbTrans[l].animId ? AnimFromHandle(c->limbTrans[l].animId) : nullptr);
  }
}

// The advance of a frame in one update, speed x time / 1000 in double precision rounded to
// single, worked out once per distinct speed: the limbs of a controller mostly share their
// animation's speed, and the division is the slowest step of the advance. Likewise the factor.
struct FrameStep {
  explicit FrameStep(uint32_t t) : time(t) {}
  float Of(float speed) {
    uint32_t bits;
    memcpy(&bits, &speed, sizeof bits);
    if (!known || bits != speedBits) {
      speedBits = bits;
      step = static_cast<float>(speed / 1000.0 * static_cast<double>(time));
      known = true;
    }
    return step;
  }
  // The transition factor timeUsed / totalTime in double precision rounded to single, worked out
  // once per distinct pair: limbs that started a transition together share it.
  float Factor(uint32_t used, uint32_t total) {
    if (total == 0) return 1.0f;
    if (!factorKnown || used != factorUsed || total != factorTotal) {
      factorUsed = used;
      factorTotal = total;
      factor = static_cast<float>(static_cast<double>(used) / total);
      factorKnown = true;
    }
    return factor;
  }
  uint32_t time;
  uint32_t speedBits = 0;
  float step = 0.0f;
  bool known = false;
  uint32_t factorUsed = 0, factorTotal = 0;
  float factor = 0.0f;
  bool factorKnown = false;
};

// Moves a frame by d and wraps or stops it once at the range ends. True when a range without
// looping was used up.
bool AdvanceFrame(float* current, float start, float end, float d, uint8_t looping) {
  float f = *current + d;
  bool stopped = false;
  if (XAMO_UNLIKELY(f > end)) {
    if (looping == 1) {
      f = start == end ? end : f - end + start;
    } else {
      f = end;
      stopped = true;
    }
  }
  if (XAMO_UNLIKELY(f < start)) {
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

// The host keeps limbOffset, limbScale and limbRotation as nine floats in a row.
static_assert(offsetof(sLimb, limbScale) == offsetof(sLimb, limbOffset) + 12 &&
                  offsetof(sLimb, limbRotation) == offsetof(sLimb, limbOffset) + 24,
              "limb transform fields are contiguous");

// The limb's own transform U = S x Rx x Ry x Rz x T, rebuilt only when the host's fields changed;
// null when U is the identity (then F = P needs no product).
XAMO_INLINE const Mat4* LimbTransform(OacTransformCache* k, const sLimb* limb) {
  const float* in = limb->limbOffset;
  if (XAMO_UNLIKELY(k->state == kTransformNone || !xsimd::SameBits16(in, k->key) ||
                    !xsimd::SameBits16(in + 4, k->key + 4) || memcmp(in + 8, k->key + 8, sizeof(float)) != 0)) {
    memcpy(k->key, in, sizeof k->key);
    MatCompose(&k->u, limb->limbScale, limb->limbRotation, limb->limbOffset);
    bool identity = true;
    for (int i = 0; i < 16; ++i) identity = identity && k->u.m[i] == kIdentity.m[i];
    k->state = identity ? kTransformIdentity : kTransformBuilt;
  }
  return k->state == kTransformIdentity ? nullptr : &k->u;
}

// What a transition needs to know of the limb's localMatrix M, worked out again only when M's
// bits changed: whether it is rigid, and (for a blend that is not) its inverse.
uint32_t LocalFacts(OacLocalCache* k, const Mat4& m) {
  if (!(k->state & kLocalKnown) || !xsimd::SameBits(k->m, m)) {
    k->m = m;
    k->state = kLocalKnown | (MatIsRigid(m) ? kLocalRigid : 0u);
  }
  return k->state;
}

const Mat4& LocalInverse(OacLocalCache* k) {
  if (!(k->state & kLocalInverse)) {
    MatInverse(&k->inverse, k->m);
    k->state |= kLocalInverse;
  }
  return k->inverse;
}

// The blend of BlendStage with the products and M's inverse written out, for poses or a localMatrix
// with scale or a mirror.
void MatrixBlend(Pose* out, const Pose& p, const Pose& t, float s, bool modelOne, OacLocalCache* k) {
  const Mat4& m = k->m;
  const Mat4& inv = LocalInverse(k);
  Mat4 a, b, blend;
  if (modelOne) {
    MatMultiply(&a, p.m, m);
    MatMultiply(&b, t.m, m);
    BlendMatrices(&blend, a, b, s);
    MatMultiply(&out->m, blend, inv);
  } else {
    MatMultiply(&a, m, p.m);
    MatMultiply(&b, m, t.m);
    BlendMatrices(&blend, a, b, s);
    MatMultiply(&out->m, inv, blend);
  }
  out->rigid = 0;
}

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
  c->playTrack[l] = c->transTrack[l];
}

// Whether the update processes limb l: a limb that is switched off, out of range or refers to a
// host limb beyond the object is left alone.
inline bool Processed(const OacData* c, uint32_t l, uint32_t n, uint32_t hostCount) {
  return l < n && c->limbActive[l] == 1 && static_cast<uint32_t>(c->limbReference[l]) < hostCount;
}

// Slerps waiting to be done four at a time (xsimd::BlendPoses4). What a job points at stays put
// until Flush, and a pose handed to Add is written by the time Flush returns. `withMove`: the
// blends take the correction whose tm waits in each out pose's first row.
struct PoseBatch {
  explicit PoseBatch(bool move) : withMove(move) {}
  void Add(const float* a, const float* b, float s, Pose* out) {
    jobs[count] = xsimd::PoseJob{a, b, out->m.m, s};
    if (++count == 4) Flush();
  }
  // A sampled pose between two keys.
  void AddKeys(const KeyBlend& kb, Pose* out) {
    out->rigid = kb.a->rigid & kb.b->rigid;
    Add(kb.a->matrix.m, kb.b->matrix.m, kb.s, out);
  }
  void Flush() {
    if (count == 0) return;
    for (int k = count; k < 4; ++k) {  // unused lanes repeat job 0 into a scratch pose
      jobs[k] = jobs[0];
      jobs[k].out = spare.m.m;
    }
    if (withMove) xsimd::BlendPoses4<true>(jobs);
    else xsimd::BlendPoses4<false>(jobs);
    count = 0;
  }
  xsimd::PoseJob jobs[4];
  int count = 0;
  bool withMove;
  Pose spare = kIdentityPose;
};
// A job reads a key and a pose alike: the matrix first, the quaternion right after it.
static_assert(offsetof(AnimKey, matrix) == offsetof(Pose, m) && offsetof(AnimKey, rotation) == offsetof(Pose, q) &&
                  offsetof(Pose, q) == 16 * sizeof(float),
              "keys and poses share the layout of a batch job");

// First stage of a limb: advances its play frame and samples the play pose into playPose[l]; for
// a running transition, advances its frame and time and samples its pose into transPose[l]. Works
// on limb l's own records only.
// Returns the pose the limb shows once the stages are done: blendPose[l] when its transition is
// blended in this update (*blends then true) or its animation was deleted mid-way (the limb holds
// the last blend), else playPose[l].
XAMO_INLINE const Pose* AdvanceAndSample(OacData* c, uint32_t l, FrameStep* step, PoseBatch* batch, bool* blends) {
  OacLimbPlay& play = c->limbPlay[l];
  const AnimTrack* playTrack = c->playTrack[l];
  KeyBlend kb;
  if (XAMO_LIKELY(play.active && playTrack)) {
    if (AdvanceFrame(&play.currentFrame, play.startFrame, play.endFrame, step->Of(play.speed), play.looping))
      play.active = 0;
    Pose* out = &c->playPose[l];
    if (SampleKeys(out, playTrack, play.currentFrame, play.speed, &play.keyHint, &kb)) batch->AddKeys(kb, out);
  }
  OacLimbTrans& tr = c->limbTrans[l];
  if (!tr.active) return &c->playPose[l];
  const AnimTrack* transTrack = c->transTrack[l];
  if (!transTrack) return !c->transAnim[l] && tr.blended ? &c->blendPose[l] : &c->playPose[l];
  AdvanceFrame(&tr.currentFrame, tr.startFrame, tr.endFrame, step->Of(tr.speed), tr.looping);
  tr.timeUsed += step->time;
  if (tr.timeUsed > tr.totalTime) tr.timeUsed = tr.totalTime;
  tr.interpol = step->Factor(tr.timeUsed, tr.totalTime);
  Pose* out = &c->transPose[l];
  if (SampleKeys(out, transTrack, tr.currentFrame, tr.speed, &tr.keyHint, &kb)) batch->AddKeys(kb, out);
  *blends = true;
  return &c->blendPose[l];
}

// Second stage of a limb in a transition: blends the sampled transition pose T into the play pose
// P at the factor s in the frame of the limb's localMatrix M, into blendPose[l].
// When P, T and M are rigid (rotation R, translation row t; a point p maps to p R + t) the blend
// needs neither the products with M nor M's inverse. slerp(qa, qb, s) turned by a fixed rotation
// on either side is the slerp of the turned quaternions, and a lerp commutes with an affine map:
//   modelType 1: blend(P M, T M, s) M^-1. P M and T M are P and T turned by R_M and moved by
//     the same affine map x -> x R_M + t_M; M^-1 undoes both, so the result is blend(P, T, s).
//   other types: M^-1 blend(M P, M T, s). M P has rotation R_M R_P and translation t_M R_P + t_P.
//     R_M cancels against M^-1, leaving R_s = slerp(R_P, R_T, s); the lerped translation
//     t_M ((1 - s) R_P + s R_T) + lerp(t_P, t_T, s), taken through M^-1 (which cancels R_M and
//     subtracts t_M R_s), is lerp(t_P + t_M R_P, t_T + t_M R_T, s) - t_M R_s.
// At s <= 0 both give P and at s >= 1 both give T, as the blend itself does.
void BlendStage(OacData* c, uint32_t l, const sLimb* limb, PoseBatch* batch) {
  OacLimbTrans& tr = c->limbTrans[l];
  const Pose& p = c->playPose[l];
  Pose& t = c->transPose[l];
  Pose& out = c->blendPose[l];
  OacLocalCache* k = &c->local[l];
  const float s = tr.interpol;
  const bool modelOne = c->modelType == 1;
  tr.blended = 1;
  if (!((LocalFacts(k, *AsMat4(limb->localMatrix)) & kLocalRigid) && p.rigid && t.rigid)) {
    MatrixBlend(&out, p, t, s, modelOne, k);
    return;
  }
  if (s <= 0.0f) {
    out = p;
    return;
  }
  if (s >= 1.0f) {
    out = t;
    return;
  }
  out.rigid = 1;
  if (modelOne) {
    batch->Add(p.m.m, t.m.m, s, &out);
    return;
  }
  // t_M with a fourth lane of 1 takes a pose's rows to t_M R + t in one row product. Until the
  // batch is flushed, the blend's first pose (P's rotation with t_M R_P + t_P) and t_M wait in the
  // limb's own blend pose, and the second's translation t_M R_T + t_T in T's place: the update
  // reads T no more.
  const float* m = k->m.m;
  const __m128 tm1 = _mm_setr_ps(m[12], m[13], m[14], 1.0f);
  const __m128 rp[4] = {_mm_loadu_ps(p.m.m), _mm_loadu_ps(p.m.m + 4), _mm_loadu_ps(p.m.m + 8), _mm_loadu_ps(p.m.m + 12)};
  const __m128 rt[4] = {_mm_loadu_ps(t.m.m), _mm_loadu_ps(t.m.m + 4), _mm_loadu_ps(t.m.m + 8), _mm_loadu_ps(t.m.m + 12)};
  _mm_storeu_ps(out.m.m, _mm_setr_ps(m[12], m[13], m[14], 0.0f));
  _mm_storeu_ps(out.m.m + 12, xsimd::RowTimes(tm1, rp));
  out.q = p.q;
  _mm_storeu_ps(t.m.m + 12, xsimd::RowTimes(tm1, rt));
  batch->Add(out.m.m, t.m.m, s, &out);
}

// Whether every limb appears at most once in the update order (a controller file may repeat one).
bool OrderIsDistinct(OacData* c) {
  if (c->orderState == kOrderUnknown) {
    uint8_t* seen = c->orderMarks;
    bool distinct = true;
    for (uint32_t i = 0; i < c->limbCount; ++i) {
      const uint32_t l = c->updateOrder[i];
      if (l >= c->limbCount) continue;
      distinct = distinct && !seen[l];
      seen[l] = 1;
    }
    memset(seen, 0, c->limbCount);
    c->orderState = distinct ? kOrderDistinct : kOrderRepeats;
  }
  return c->orderState == kOrderDistinct;
}

// A transition that reached its total time in this update hands over to the play record, which
// goes on from the blend.
void CompleteTransition(OacData* c, uint32_t l) {
  if (c->limbTrans[l].timeUsed != c->limbTrans[l].totalTime) return;
  TakeOverRange(c, l);
  c->limbPlay[l].active = 1;
  c->playPose[l] = c->blendPose[l];
  c->limbTrans[l].active = 0;
}

// Third stage of a limb: writes F = P x U (P the pose the limb shows, U the limb transform) into
// localMatrices[l] and into the animMatrix of the host limb that l refers to.
XAMO_INLINE void WriteStage(OacData* c, uint32_t l, sObject* o, const Pose* pose) {
  sLimb* limb = HostLimb(o, l);
  const Mat4* u = LimbTransform(&c->transform[l], limb);
  __m128 f[4];
  if (u) {
    xsimd::ProductRows(f, pose->m.m, u->m, pose->rigid != 0);
  } else {
    for (int i = 0; i < 4; ++i) f[i] = _mm_loadu_ps(pose->m.m + 4 * i);
  }
  const uint32_t ref = static_cast<uint32_t>(c->limbReference[l]);
  xsimd::StoreRows(c->localMatrices[l].m, f);
  xsimd::StoreRows((ref == l ? limb : HostLimb(o, ref))->animMatrix, f);
}

// Room for what the stages hand on: per listed limb the pose it shows, and the limbs that blend.
struct StageLists {
  const Pose** shown;  // [count]
  uint32_t* blending;  // [count]
};

// The update of the limbs visit[0..count), in that order. A stage of one limb depends on that
// limb's records only, so each stage runs over all the limbs before the next: the slerps go four
// limbs at a time, and the host limbs are still written in update order (two limbs sharing a
// reference: the later one wins). The first stage lists what the later ones need, so that they
// do not ask again.
void RunStages(OacData* c, const uint32_t* visit, uint32_t count, sObject* o, FrameStep* step, StageLists lists) {
  PoseBatch samples(false);
  uint32_t blends = 0;
  for (uint32_t i = 0; i < count; ++i) {
    bool blended = false;
    lists.shown[i] = AdvanceAndSample(c, visit[i], step, &samples, &blended);
    if (blended) lists.blending[blends++] = visit[i];
  }
  samples.Flush();
  PoseBatch mixes(c->modelType != 1);
  for (uint32_t b = 0; b < blends; ++b) BlendStage(c, lists.blending[b], HostLimb(o, lists.blending[b]), &mixes);
  mixes.Flush();
  for (uint32_t b = 0; b < blends; ++b) CompleteTransition(c, lists.blending[b]);
  for (uint32_t i = 0; i < count; ++i) WriteStage(c, visit[i], o, lists.shown[i]);
}

}  // namespace

void OacUpdate(OacData* c, uint32_t time) {
  RefreshAnims(c);
  sObject* o = c->object.rec;
  const uint32_t hostCount = o->limbCount;
  const uint32_t n = OacLimbBound(c);
  // The list of processed limbs holds until the host's limb count or a limb's switch or
  // reference changes.
  uint32_t* visit = c->visit;
  if (c->visitFor != hostCount + 1) {
    uint32_t count = 0;
    for (uint32_t i = 0; i < n; ++i)
      if (Processed(c, c->updateOrder[i], n, hostCount)) visit[count++] = c->updateOrder[i];
    c->visitCount = count;
    c->visitFor = hostCount + 1;
  }
  const uint32_t count = c->visitCount;
  FrameStep step(time);
  if (OrderIsDistinct(c)) {
    RunStages(c, visit, count, o, &step, StageLists{c->shown, c->blending});
  } else {
    // A limb visited twice sees its own first visit: the stages run limb by limb.
    for (uint32_t i = 0; i < count; ++i) RunStages(c, visit + i, 1, o, &step, StageLists{c->shown, c->blending});
  }
  if (count > 0) {
    HostMarkLimbsChanged(c->object);
    if (c->updateBounds == 1) HostMarkBoundsChanged(c->object);
  }
}

void OacSetPlayAnim(OacData* c, uint32_t l, const AnimData* a) {
  c->playAnim[l] = a;
  c->playTrack[l] = a && l < a->limbCount ? &a->tracks[l] : nullptr;
}

void OacSetTransAnim(OacData* c, uint32_t l, const AnimData* a) {
  c->transAnim[l] = a;
  c->transTrack[l] = a && l < a->limbCount ? &a->tracks[l] : nullptr;
}

// --- Playback commands -----------------------------------------------------------------------------

PlaybackCheck OacCheckPlayback(const OacData* c, uint32_t limb, uint32_t animId, const AnimData** anim) {
  const AnimData* a = *anim = AnimFromHandle(animId);
  if (!a) return kPlaybackNoAnimation;
  if (!OacLimbValid(c, limb)) return kPlaybackLimbBeyondObject;
  return limb < a->limbCount ? kPlaybackOk : kPlaybackLimbBeyondAnimation;
}

namespace {

// Time of the last matrix key of a limb's track; 0 for a track without keys.
float LastKeyTime(const AnimData* anim, uint32_t limb) {
  const AnimTrack& t = anim->tracks[limb];
  return t.keyCount ? static_cast<float>(t.keys[t.keyCount - 1].time) : 0.0f;
}

float Clamp(float frame, float last) { return frame > last ? last : frame; }

// The animation of a playback command, or null when OacCheckPlayback refuses it.
const AnimData* GuardedAnim(const OacData* c, uint32_t limb, uint32_t animId) {
  const AnimData* a;
  return OacCheckPlayback(c, limb, animId, &a) == kPlaybackOk ? a : nullptr;
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

bool OacSetFrame(OacData* c, uint32_t limb, uint32_t animId, float frame, int32_t exChild) {
  float last;
  const AnimData* a = BeginPlayback(c, limb, animId, &last);
  if (!a) return false;
  const float f = Clamp(frame, last);
  for (uint32_t i = 1; i < SelectionBound(c, a); ++i) {
    if (!Selected(c, limb, i, exChild)) continue;
    FillRange(&c->limbPlay[i], animId, a, f, f, f, 0);
    OacSetPlayAnim(c, i, a);
  }
  return true;
}

bool OacPlayAnim(OacData* c, uint32_t limb, uint32_t animId, float start, float current, float end,
                 int32_t loop, int32_t exChild) {
  float last;
  const AnimData* a = BeginPlayback(c, limb, animId, &last);
  if (!a) return false;
  for (uint32_t i = 1; i < SelectionBound(c, a); ++i) {
    if (!Selected(c, limb, i, exChild)) continue;
    FillRange(&c->limbPlay[i], animId, a, Clamp(start, last), Clamp(current, last), OpenEnd(a, i, Clamp(end, last)),
              loop);
    OacSetPlayAnim(c, i, a);
  }
  return true;
}

bool OacAnimTransition(OacData* c, uint32_t limb, uint32_t animId, float start, float current, float end,
                       uint32_t transTime, int32_t loop, int32_t exChild) {
  float last;
  const AnimData* a = BeginPlayback(c, limb, animId, &last);
  if (!a) return false;
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
      if (tr.blended) c->playPose[i] = c->blendPose[i];
      tr.active = 0;
    }
    FillRange(&tr, animId, a, Clamp(start, last), Clamp(current, last), OpenEnd(a, i, Clamp(end, last)), loop);
    tr.totalTime = transTime;
    tr.timeUsed = 0;
    tr.blended = 0;
    OacSetTransAnim(c, i, a);
  }
  OacUpdate(c, 0);
  return true;
}

uint32_t TruncLow32(double v) {
  if (!(v > -9.2e18 && v < 9.2e18)) return 0;
  return static_cast<uint32_t>(static_cast<int64_t>(v));
}

bool OacSetInterpolFrame(OacData* c, uint32_t limb, uint32_t animIdA, float frameA, uint32_t animIdB,
                         float frameB, float interpol, int32_t exChild) {
  RefreshAnims(c);
  const AnimData* a = GuardedAnim(c, limb, animIdA);
  const AnimData* b = GuardedAnim(c, limb, animIdB);
  if (!a || !b) return false;
  const float fa = Clamp(frameA, LastKeyTime(a, limb));
  const float fb = Clamp(frameB, LastKeyTime(b, limb));
  const uint32_t used = TruncLow32(interpol * 1000.0);
  for (uint32_t i = 1; i < OacLimbBound(c); ++i) {
    if (!Selected(c, limb, i, exChild)) continue;
    OacLimbPlay& play = c->limbPlay[i];
    OacLimbTrans& tr = c->limbTrans[i];
    FillRange(&play, animIdA, a, fa, fa, fa, 0);
    OacSetPlayAnim(c, i, a);
    FillRange(&tr, animIdB, b, fb, fb, fb, 0);
    tr.totalTime = 1000;
    tr.timeUsed = used;
    tr.blended = 0;
    OacSetTransAnim(c, i, b);
    OacUpdate(c, 0);
    // The limb holds the blend it shows now (before its own transform is multiplied in).
    if (tr.blended) c->playPose[i] = c->blendPose[i];
    play.active = 0;
    tr.active = 0;
  }
  return true;
}
