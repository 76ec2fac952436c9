#include "fuzz_support.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "anim/animfile.h"
#include "plugin/filebuf.h"
#include "plugin/handles.h"

namespace fuzz {

uint8_t Input::U8() { return n ? (--n, *p++) : 0; }

uint32_t Input::U32() {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(U8()) << (8 * i);
  return v;
}

uint32_t Input::Below(uint32_t bound) { return bound ? U8() % bound : 0; }

uint32_t Input::Pick(uint32_t count) {
  const uint8_t c = U8();
  if (c < 200) return count ? c % count : 0;
  return c < 230 ? count : Time();
}

uint32_t Input::Time() {
  static const uint32_t kEdges[] = {0, 1, 2, 10, 1000, 16777217, 0x7FFFFFFFu, 0x80000000u, 0x80000001u, 0xFFFFFF80u,
                                    0xFFFFFFF0u, 0xFFFFFFFEu, 0xFFFFFFFFu, 0x10000u, 40};
  const uint8_t c = U8();
  if (c < 128) return c;
  return c < 240 ? kEdges[c % (sizeof kEdges / sizeof kEdges[0])] : U32();
}

float Input::Float() {
  static const float kEdges[] = {0.0f, -0.0f, 1.0f, -1.0f, 0.5f, 90.0f, -270.0f, 1e30f, -1e30f, 3e38f, INFINITY,
                                 -INFINITY, NAN, 1e-40f, -1e-30f, 4294967296.0f, 2147483648.0f, 1000.0f};
  const uint8_t c = U8();
  if (c < 64) return static_cast<float>(static_cast<int>(c) - 32);
  if (c < 240) return kEdges[c % (sizeof kEdges / sizeof kEdges[0])];
  const uint32_t u = U32();
  float f;
  memcpy(&f, &u, 4);
  return f;
}

std::string Input::Text(size_t most) {
  std::string s;
  for (size_t i = U8() % (most + 1); i && More(); --i) {
    const char c = static_cast<char>(U8());
    s += c ? c : 'x';
  }
  return s;
}

void Check(bool ok, const char* what) {
  if (ok) return;
  fprintf(stderr, "broken promise: %s\n", what);
  abort();
}

void FreshHost() {
  subhost::Reset();
  ReceiveCoreDataPtr(subhost::CoreData());
}

sObject* MakeObject(Input& in, uint32_t number, uint32_t maxLimbs, bool damage) {
  const uint32_t limbs = in.Below(maxLimbs + 1);
  const subhost::Generation gen = in.U8() & 1 ? subhost::Generation::Current : subhost::Generation::Classic;
  sObject* obj = subhost::MakeObject(number, limbs, gen);
  std::vector<int> parents(limbs, -1);
  for (uint32_t i = 1; i < limbs; ++i) parents[i] = static_cast<int>(in.Below(i + 1)) - 1;  // -1: a root
  subhost::LinkTree(obj, parents);
  if (!damage || !limbs) return obj;
  // A limb record outside the table, reachable only through links.
  sLimb* stray = static_cast<sLimb*>(subhost::LowAlloc(sizeof(sLimb)));
  stray->index = in.U8() & 1 ? limbs : 0xFFFFFFFFu;
  for (uint32_t h = in.Below(4); h; --h) {
    sLimb* l = subhost::Limb(obj, in.Below(limbs));
    const uint32_t target = in.Below(limbs + 1);
    const HostAddr to = HostAddrOf(target == limbs ? stray : subhost::Limb(obj, target));
    switch (in.Below(4)) {
      case 0: l->firstChild = to; break;   // loops and self-links
      case 1: l->nextSibling = to; break;
      case 2: l->index = in.Time(); break;  // an index that is not the limb's place
      default: {
        const std::string name = in.Text(300);  // up to the whole field, unterminated
        memset(l->name, 'n', sizeof l->name);
        memcpy(l->name, name.c_str(), name.size() < sizeof l->name ? name.size() + 1 : sizeof l->name);
      }
    }
  }
  return obj;
}

void AddObjectKeys(Input& in, sObject* obj) {
  const uint32_t records = obj->limbCount ? in.Below(4) : 0;
  for (uint32_t r = 0; r < records; ++r) {
    sLimbAnim* a = subhost::AddLimbAnim(obj, in.Below(obj->limbCount));
    for (uint32_t k = in.Below(5); k; --k) subhost::AddRotationKey(a, in.Time(), in.Float(), in.Float(), in.Float(), in.Float());
    for (uint32_t k = in.Below(5); k; --k) subhost::AddPositionKey(a, in.Time(), in.Float(), in.Float(), in.Float());
    for (uint32_t k = in.Below(5); k; --k) subhost::AddScaleKey(a, in.Time(), in.Float(), in.Float(), in.Float());
    for (uint32_t k = in.Below(5); k; --k) {
      float m[16];
      for (float& v : m) v = in.U8() & 1 ? in.Float() : 0.0f;
      m[0] = m[5] = m[10] = m[15] = 1.0f;
      subhost::AddMatrixKey(a, in.Time(), m);
    }
  }
  const float total = in.Float();
  subhost::SetTotalAnimFrames(obj, records ? total : (total > 0.0f ? -total : total));
}

// Runs `write` once to measure and once to fill: the bytes it writes.
template <class Write>
static std::vector<uint8_t> Image(Write write) {
  uint32_t size = 0, written = 0;
  write(nullptr, &size);
  std::vector<uint8_t> file(size);
  uint8_t* cursor = file.data();
  write(&cursor, &written);
  Check(written == size, "a writer fills exactly the size it measured");
  return file;
}

std::vector<uint8_t> MakeAnimFile(Input& in, uint32_t maxTracks, uint32_t maxKeys) {
  std::vector<std::vector<std::pair<uint32_t, Mat4>>> keys(in.Below(maxTracks + 1));
  for (auto& track : keys) {
    const uint32_t count = in.Below(maxKeys + 1);
    const bool ascending = in.U8() % 4 != 0;
    uint32_t time = in.Time();
    for (uint32_t k = 0; k < count; ++k) {
      Mat4 m = kIdentity;
      for (uint32_t e = in.Below(4); e; --e) m.m[in.Below(16)] = in.Float();
      track.push_back({time, m});
      const uint32_t step = in.Time();
      time = ascending ? (time > UINT32_MAX - step ? UINT32_MAX : time + step) : in.Time();
    }
  }
  return Image([&](uint8_t** c, uint32_t* bytes) {
    PutAnimFileHeader(c, bytes, static_cast<uint32_t>(keys.size()), 0.0f);
    for (const auto& track : keys) {
      PutMatrix(c, bytes, kIdentity);
      PutU32(c, bytes, static_cast<uint32_t>(track.size()));
      for (const auto& k : track) PutAnimFileKey(c, bytes, k.first, k.second);
    }
    PutAnimFileEnd(c, bytes);
  });
}

uint32_t LoadAnim(const std::vector<uint8_t>& file) { return AnimRegister(AnimParse(file.data(), file.size())); }

std::vector<uint8_t> SaveAnim(uint32_t animId) {
  return Image([&](uint8_t** c, uint32_t* bytes) { SerializeAnimation(c, AnimFromHandle(animId), bytes); });
}

uint32_t Reload(uint32_t animId) {
  const std::vector<uint8_t> file = SaveAnim(animId);
  const uint32_t back = LoadAnim(file);
  const AnimData *a = AnimFromHandle(animId), *b = AnimFromHandle(back);
  Check(a->limbCount == b->limbCount, "reload keeps the tracks");
  for (uint32_t l = 0; l < a->limbCount; ++l) {
    const AnimTrack &s = a->tracks[l], &t = b->tracks[l];
    Check(s.keyCount == t.keyCount, "reload keeps the key counts");
    Check(memcmp(&s.referenceMatrix, &t.referenceMatrix, sizeof s.referenceMatrix) == 0, "reference matrix");
    for (uint32_t k = 0; k < s.keyCount; ++k)
      Check(s.keys[k].time == t.keys[k].time && memcmp(&s.keys[k].matrix, &t.keys[k].matrix, sizeof(Mat4)) == 0,
            "reload keeps every key's time and matrix bits");
  }
  Check(SaveAnim(back) == file, "save, load, save is byte-identical");
  Xamo_AnimDelete(animId);
  return back;
}

double (*const kKeyQueries[9])(uint32_t, uint32_t, uint32_t) = {
    Xamo_AnimGetKeyRotX, Xamo_AnimGetKeyRotY, Xamo_AnimGetKeyRotZ,   Xamo_AnimGetKeyPosX,   Xamo_AnimGetKeyPosY,
    Xamo_AnimGetKeyPosZ, Xamo_AnimGetKeyScaleX, Xamo_AnimGetKeyScaleY, Xamo_AnimGetKeyScaleZ};

void CheckCounts(uint32_t id) {
  const AnimData* anim = AnimFromHandle(id);
  const uint32_t limbs = Xamo_AnimGetTotalLimbs(id);
  Check(limbs == anim->limbCount, "limb count query");
  for (uint32_t l = 0; l <= limbs; ++l)  // one past the last limb too
    Check(Xamo_AnimGetLimbKeys(id, l) == (l < limbs ? anim->tracks[l].keyCount : 0), "key count query");
  // The total-frames rule on its own: the largest time among tracks 1.., keys 1.., held as a float,
  // given in whole frames (2^32 - 1 at most).
  uint32_t largest = 0;
  for (uint32_t i = 1; i < limbs; ++i)
    for (uint32_t k = 1; k < anim->tracks[i].keyCount; ++k)
      if (anim->tracks[i].keys[k].time > largest) largest = anim->tracks[i].keys[k].time;
  const float held = static_cast<float>(largest);
  Check(anim->totalFrames == held, "total frames held as the rule's result");
  Check(Xamo_AnimGetTotalFrames(id) == (held >= 4294967296.0f ? 0xFFFFFFFFu : static_cast<uint32_t>(held)),
        "total frames follow the rule");
}

void QueryAnim(uint32_t id, uint32_t most) {
  CheckCounts(id);
  const AnimData* anim = AnimFromHandle(id);
  Xamo_AnimGetPlaySpeed(id);
  for (uint32_t l = 0; l <= anim->limbCount && l <= most; ++l) {
    const uint32_t keys = l < anim->limbCount ? anim->tracks[l].keyCount : 0;
    for (uint32_t k = 0; k <= keys && k <= most; ++k) {  // one past the last key too
      Check(Xamo_AnimGetLimbKeyTime(id, l, k) == (k < keys ? anim->tracks[l].keys[k].time : 0), "key time query");
      for (auto q : kKeyQueries) q(id, l, k);
    }
  }
}

void PlaybackCommand(Input& in, uint32_t oac, uint32_t limb, uint32_t anim) {
  switch (in.Below(9)) {
    case 0: Xamo_oacPlayAnim(oac, limb, anim, in.Float(), in.Float(), in.Float(), in.U8() & 1, in.U8() & 1); break;
    case 1: Xamo_oacSetFrame(oac, limb, anim, in.Float(), in.U8() & 1); break;
    case 2:
      Xamo_oacAnimTransition(oac, limb, anim, in.Float(), in.Float(), in.Float(), in.Time(), in.U8() & 1, in.U8() & 1);
      break;
    case 3: Xamo_oacSetInterpolFrame(oac, limb, anim, in.Float(), anim, in.Float(), in.Float(), in.U8() & 1); break;
    case 4:
      Xamo_oacSetLimbPlayAnimSpeed(oac, limb, in.Float(), in.U8() & 1);
      Xamo_oacSetLimbTransAnimSpeed(oac, limb, in.Float(), in.U8() & 1);
      break;
    case 5:
      Xamo_oacSetLimbActive(oac, limb, in.Time());
      Xamo_oacSetLimbReference(oac, limb, static_cast<int32_t>(in.Time()));
      break;
    case 6:
      Xamo_oacSetModelType(oac, in.Time());
      Xamo_oacSetUpdateBounds(oac, in.Time());
      break;
    case 7: Xamo_oacGlobalRotateLimb(oac, limb, in.Float(), in.Float(), in.Float()); break;
    default: Xamo_oacUpdate(oac, in.Time());
  }
}

void QueryController(uint32_t oac, uint32_t limb, uint32_t other) {
  static double (*const kDoubles[])(uint32_t, uint32_t) = {
      Xamo_oacGetCurrentFrame,   Xamo_oacGetLimbEndFrame,   Xamo_oacGetLimbGlobalPosX,     Xamo_oacGetLimbGlobalPosY,
      Xamo_oacGetLimbGlobalPosZ, Xamo_oacGetLimbGlobalRotX, Xamo_oacGetLimbGlobalRotY,     Xamo_oacGetLimbGlobalRotZ,
      Xamo_oacGetLimbPosX,       Xamo_oacGetLimbPosY,       Xamo_oacGetLimbPosZ,           Xamo_oacGetLimbRotX,
      Xamo_oacGetLimbRotY,       Xamo_oacGetLimbRotZ,       Xamo_oacGetLimbScaleX,         Xamo_oacGetLimbScaleY,
      Xamo_oacGetLimbScaleZ,     Xamo_oacGetLimbStartFrame, Xamo_oacGetLimbTransEndFrame,  Xamo_oacGetLimbTransInterpol,
      Xamo_oacGetLimbPlayAnimSpeed, Xamo_oacGetLimbTransAnimSpeed, Xamo_oacGetLimbTransStartFrame};
  static int32_t (*const kInts[])(uint32_t, uint32_t) = {Xamo_oacGetLimbIsActive, Xamo_oacGetLimbIsLooping,
      Xamo_oacGetLimbReference, Xamo_oacGetLimbTransIsActive, Xamo_oacGetLimbTransIsLooping};
  static uint32_t (*const kWords[])(uint32_t, uint32_t) = {Xamo_oacGetLimbActive, Xamo_oacGetLimbPlayAnimID,
      Xamo_oacGetLimbTransAnimID, Xamo_oacGetLimbTransCurrentFrame, Xamo_oacGetLimbTransTimeUsed,
      Xamo_oacGetLimbTransTotalTime, Xamo_oacGetParentLimb, Xamo_oacGetUpdateOrder};
  for (auto q : kDoubles) q(oac, limb);
  for (auto q : kInts) q(oac, limb);
  for (auto q : kWords) q(oac, limb);
  Xamo_oacIsLimbChild(oac, limb, other);
  Xamo_oacGetModelType(oac);
  Xamo_oacGetObjectID(oac);
  Xamo_oacGetUpdateBounds(oac);
}

static std::vector<std::string> g_scratch;
static void RemoveScratch() {
  for (const std::string& path : g_scratch) remove(path.c_str());
}

std::string ScratchPath(const char* name) {
  const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  if (g_scratch.empty()) atexit(RemoveScratch);
  g_scratch.push_back(std::string(dir) + "/xamovel-fuzz-" + std::to_string(getpid()) + "-" + name);
  return g_scratch.back();
}

void WriteScratch(const std::string& path, const uint8_t* data, size_t size) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) abort();
  if (size) fwrite(data, 1, size, f);
  fclose(f);
}

}  // namespace fuzz
