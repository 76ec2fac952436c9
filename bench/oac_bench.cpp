// Controller update cost: one object of 60 limbs, two animations of 100 keys per track, 16 ms per
// update. (a) every limb playing a looping range, (b) every limb in a transition, (c) and (d) 100
// objects as in (a) and (b). Reported per limb: the counter "time_per_limb" (seconds, shown with
// an SI prefix: 50n = 50 ns). Then controller creation on 1,000-limb trees of the two shapes that
// cost most when parents are looked up limb by limb.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <vector>

#include "anim/animfile.h"
#include "oac/controller.h"
#include "plugin/host.h"
#include "subhost/subhost.h"

namespace {

const uint32_t kLimbs = 60;
const uint32_t kKeys = 100;

// Keys at frames 0..99 turning about all three axes and moving, differently per limb.
AnimData* MakeAnim(float phase) {
  AnimData* a = AnimCreateEmpty();
  a->limbCount = kLimbs;
  a->tracks = static_cast<AnimTrack*>(calloc(kLimbs, sizeof(AnimTrack)));
  for (uint32_t l = 0; l < kLimbs; ++l) {
    AnimTrack& t = a->tracks[l];
    t.keyCount = kKeys;
    t.keys = static_cast<AnimKey*>(calloc(kKeys + 1, sizeof(AnimKey)));
    for (uint32_t k = 0; k < kKeys; ++k) {
      const float deg[3] = {phase + 3.0f * k + l, 2.0f * k - l, phase - 1.5f * k};
      const float scale[3] = {1, 1, 1};
      const float offset[3] = {0.1f * k, 1.0f + l, 0.0f};
      Mat4 m;
      MatCompose(&m, scale, deg, offset);
      AnimKeySet(&t.keys[k], m, k);
    }
    AnimTrackKeysChanged(&t);
  }
  a->playSpeed = 30.0f;
  return a;
}

// The substitute host maps every limb record on a page of its own; a host keeps them on its heap,
// a few hundred bytes apart. Moves an object's limbs into one block, as a host's heap would hold
// them, so that the many-object case measures the update rather than the page walks of 6000 pages.
void PackLimbs(sObject* o) {
  const uint32_t n = o->limbCount;
  sLimb* block = static_cast<sLimb*>(subhost::LowAlloc(sizeof(sLimb) * n));
  HostAddr* table = HostPtr<HostAddr>(o->limbs);
  for (uint32_t i = 0; i < n; ++i) block[i] = *HostPtr<sLimb>(table[i]);
  auto moved = [&](HostAddr a) -> HostAddr {
    if (!a) return 0;
    return HostAddrOf(&block[HostPtr<sLimb>(a)->index]);
  };
  for (uint32_t i = 0; i < n; ++i) {
    block[i].firstChild = moved(block[i].firstChild);
    block[i].nextSibling = moved(block[i].nextSibling);
  }
  for (uint32_t i = 0; i < n; ++i) table[i] = HostAddrOf(&block[i]);
}

struct Scene {
  std::vector<OacData*> controllers;
  uint32_t animA, animB;
};

Scene MakeScene(uint32_t objects, bool transition) {
  subhost::Reset();
  HostSetCoreData(subhost::CoreData());
  Scene s;
  s.animA = AnimRegister(MakeAnim(0.0f));
  s.animB = AnimRegister(MakeAnim(40.0f));
  std::vector<int> parents(kLimbs);
  for (uint32_t l = 0; l < kLimbs; ++l) parents[l] = l ? static_cast<int>((l - 1) / 2) : -1;
  for (uint32_t n = 1; n <= objects; ++n) {
    sObject* o = subhost::MakeObject(n, kLimbs);
    subhost::LinkTree(o, parents);
    PackLimbs(o);
    for (uint32_t l = 0; l < kLimbs; ++l) {
      subhost::Limb(o, l)->limbRotation[1] = 5.0f;
      subhost::Limb(o, l)->limbOffset[0] = 0.5f;
      float* m = subhost::Limb(o, l)->localMatrix;
      m[13] = 2.0f;  // a translation, as bones have
    }
    HostObject obj;
    HostGetObject(n, &obj);
    OacData* c = OacCreate(obj);
    for (uint32_t l = 1; l < kLimbs; ++l) OacPlayAnim(c, l, s.animA, 0, static_cast<float>(l % 50), 99, 1, 1);
    // Limb 0 plays too (the commands never give it a range; set its record as they would).
    c->limbPlay[0] = c->limbPlay[1];
    OacSetPlayAnim(c, 0, c->playAnim[1]);
    if (transition) {
      for (uint32_t l = 1; l < kLimbs; ++l) OacAnimTransition(c, l, s.animB, 0, 0, 99, 0xFFFFFFFFu, 1, 1);
      c->limbTrans[0] = c->limbTrans[1];
      OacSetTransAnim(c, 0, c->transAnim[1]);
    }
    s.controllers.push_back(c);
  }
  return s;
}

void Run(benchmark::State& state, uint32_t objects, bool transition) {
  Scene s = MakeScene(objects, transition);
  for (auto _ : state)
    for (OacData* c : s.controllers) OacUpdate(c, 16);
  state.counters["time_per_limb"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * objects * kLimbs,
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  for (OacData* c : s.controllers) OacFree(c);
  AnimRelease(s.animA);
  AnimRelease(s.animB);
}

void BM_UpdatePlaying(benchmark::State& state) { Run(state, 1, false); }
void BM_UpdateTransition(benchmark::State& state) { Run(state, 1, true); }
void BM_UpdatePlaying100Objects(benchmark::State& state) { Run(state, 100, false); }

void BM_UpdateTransition100Objects(benchmark::State& state) { Run(state, 100, true); }

// Xamo_oacCreate's work on an object of 1,000 limbs: (a) limb 0 over 999 children linked as
// siblings in descending order, (b) one chain 1,000 limbs deep.
void CreateOn(benchmark::State& state, bool chain) {
  subhost::Reset();
  HostSetCoreData(subhost::CoreData());
  const uint32_t n = 1000;
  sObject* o = subhost::MakeObject(1, n);
  if (chain) {
    std::vector<int> parents(n);
    for (uint32_t l = 0; l < n; ++l) parents[l] = static_cast<int>(l) - 1;
    subhost::LinkTree(o, parents);
  } else {
    subhost::Limb(o, 0)->firstChild = HostAddrOf(subhost::Limb(o, n - 1));
    for (uint32_t l = n - 1; l > 1; --l) subhost::Limb(o, l)->nextSibling = HostAddrOf(subhost::Limb(o, l - 1));
  }
  HostObject obj;
  HostGetObject(1, &obj);
  for (auto _ : state) OacFree(OacCreate(obj));
}

void BM_Create1000DescendingSiblings(benchmark::State& state) { CreateOn(state, false); }
void BM_Create1000Chain(benchmark::State& state) { CreateOn(state, true); }

BENCHMARK(BM_UpdatePlaying);
BENCHMARK(BM_UpdateTransition);
BENCHMARK(BM_UpdatePlaying100Objects);
BENCHMARK(BM_UpdateTransition100Objects);
BENCHMARK(BM_Create1000DescendingSiblings)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Create1000Chain)->Unit(benchmark::kMillisecond);

}  // namespace
