// What the fuzz targets share: edge-biased values from the fuzzer's bytes, substitute-host objects,
// animations through the file loader, key edits, controller drivers, and the checks on broken
// promises. Header-only: each target compiles what it uses.
#pragma once
#include <math.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "anim/animfile.h"
#include "commands.h"
#include "plugin/filebuf.h"
#include "subhost/subhost.h"

namespace fuzz {

// Aborts with the message unless ok.
inline void Check(bool ok, const char* what) {
  if (ok) return;
  fprintf(stderr, "broken promise: %s\n", what);
  abort();
}

// The fuzzer's bytes, read front to back; past the end every read gives 0.
struct Input {
  const uint8_t* p;
  size_t n;
  bool More() const { return n > 0; }
  uint8_t U8() { return n ? (--n, *p++) : 0; }
  uint32_t U32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(U8()) << (8 * i);
    return v;
  }
  uint32_t Below(uint32_t bound) { return bound ? U8() % bound : 0; }  // 0 (for a bound of 0) .. bound - 1
  // Mostly below count, sometimes count itself, sometimes anything.
  uint32_t Pick(uint32_t count) {
    const uint8_t c = U8();
    if (c < 200) return count ? c % count : 0;
    return c < 230 ? count : Time();
  }
  // A key time, count or millisecond value, often an edge case.
  uint32_t Time() {
    static const uint32_t kEdges[] = {0, 1, 2, 10, 1000, 16777217, 0x7FFFFFFFu, 0x80000000u, 0x80000001u,
                                      0xFFFFFF80u, 0xFFFFFFF0u, 0xFFFFFFFEu, 0xFFFFFFFFu, 0x10000u, 40};
    const uint8_t c = U8();
    if (c < 128) return c;
    return c < 240 ? kEdges[c % (sizeof kEdges / sizeof kEdges[0])] : U32();
  }
  // Often NaN, an infinity, -0, huge or negative.
  float Float() {
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
  // Up to `most` bytes, any value but NUL.
  std::string Text(size_t most) {
    std::string s;
    for (size_t i = U8() % (most + 1); i && More(); --i) {
      const char c = static_cast<char>(U8());
      s += c ? c : 'x';
    }
    return s;
  }
};

// Every record of the previous input is gone.
inline void FreshHost() {
  subhost::Reset();
  ReceiveCoreDataPtr(subhost::CoreData());
}

// Object `number`, 0..maxLimbs limbs of either generation in a tree; with `damage` also loops,
// self-links, a limb outside the table, wrong index fields and odd names.
inline sObject* MakeObject(Input& in, uint32_t number, uint32_t maxLimbs, bool damage) {
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

// The object's own keys of every kind on some limbs, and total frames (above 0 only with keys).
inline void AddObjectKeys(Input& in, sObject* obj) {
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
std::vector<uint8_t> Image(Write write) {
  uint32_t size = 0, written = 0;
  write(nullptr, &size);
  std::vector<uint8_t> file(size);
  uint8_t* cursor = file.data();
  write(&cursor, &written);
  Check(written == size, "a writer fills exactly the size it measured");
  return file;
}

inline uint32_t LoadAnim(const std::vector<uint8_t>& file) { return AnimRegister(AnimParse(file.data(), file.size())); }

// An animation loaded from a file image of up to maxTracks tracks of up to maxKeys keys, ascending
// or not: the AnimID.
inline uint32_t MakeAnim(Input& in, uint32_t maxTracks, uint32_t maxKeys) {
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
  return LoadAnim(Image([&](uint8_t** c, uint32_t* bytes) {
    PutAnimFileHeader(c, bytes, static_cast<uint32_t>(keys.size()), 0.0f);
    for (const auto& track : keys) {
      PutMatrix(c, bytes, kIdentity);
      PutU32(c, bytes, static_cast<uint32_t>(track.size()));
      for (const auto& k : track) PutAnimFileKey(c, bytes, k.first, k.second);
    }
    PutAnimFileEnd(c, bytes);
  }));
}

// The animation as the save command lays it out.
inline std::vector<uint8_t> SaveAnim(uint32_t animId) {
  return Image([&](uint8_t** c, uint32_t* bytes) { SerializeAnimation(c, AnimFromHandle(animId), bytes); });
}

// Saves, loads back (same keys bit for bit, same saved bytes), deletes the original: the new AnimID.
inline uint32_t Reload(uint32_t animId) {
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

// Limb and key count queries (one past the last limb too) and total frames by the rule, as held.
inline void CheckCounts(uint32_t id) {
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

// Every per-key query on limb l's key k of any handle, limb and key: the key time as held, 0 where
// there is no such key.
inline void QueryKey(uint32_t id, uint32_t l, uint32_t k) {
  const AnimData* anim = AnimFromHandle(id);
  const bool there = anim && l < anim->limbCount && k < anim->tracks[l].keyCount;
  Check(Xamo_AnimGetLimbKeyTime(id, l, k) == (there ? anim->tracks[l].keys[k].time : 0), "key time query");
  for (auto q : {Xamo_AnimGetKeyRotX, Xamo_AnimGetKeyRotY, Xamo_AnimGetKeyRotZ, Xamo_AnimGetKeyPosX,
                 Xamo_AnimGetKeyPosY, Xamo_AnimGetKeyPosZ, Xamo_AnimGetKeyScaleX, Xamo_AnimGetKeyScaleY,
                 Xamo_AnimGetKeyScaleZ})
    q(id, l, k);
}

// CheckCounts, every query on every limb and key up to `most` (one past too), then Reload: the
// reloaded animation is deleted too.
inline void QueryReloadDelete(uint32_t id, uint32_t most = UINT32_MAX) {
  CheckCounts(id);
  const AnimData* anim = AnimFromHandle(id);
  Xamo_AnimGetPlaySpeed(id);
  for (uint32_t l = 0; l <= anim->limbCount && l <= most; ++l)
    for (uint32_t k = 0; k <= (l < anim->limbCount ? anim->tracks[l].keyCount : 0) && k <= most; ++k) QueryKey(id, l, k);
  Xamo_AnimDelete(Reload(id));
}

// An insert answered 0: a key inserted at index 0, or none.
constexpr int kOneOrNone = -9;

// One key-editing command or query on a limb and key of an animation, its arguments from the
// input: the change of the limb's key count that its result code calls for.
inline int EditKey(Input& in, uint32_t id, uint32_t limb, uint32_t key) {
  switch (in.Below(7)) {
    case 0: {
      const int32_t result = Xamo_AnimInsertKey(id, limb, in.Time());
      return result > 0 ? 1 : result < 0 ? 0 : kOneOrNone;
    }
    case 1: return Xamo_AnimDeleteKey(id, limb, key) == 0 ? -1 : 0;
    case 2: Xamo_AnimModifyKeyRot(id, limb, key, in.Float(), in.Float(), in.Float()); return 0;
    case 3: Xamo_AnimModifyKeyPos(id, limb, key, in.Float(), in.Float(), in.Float()); return 0;
    case 4: Xamo_AnimModifyKeyScale(id, limb, key, in.Float(), in.Float(), in.Float()); return 0;
    case 5: {
      const uint32_t time = in.Time();
      const int32_t result = Xamo_AnimModifyKeyTime(id, limb, key, time);
      Check(result == 0 || result == -1, "retime gives 0 or -1");
      if (result == 0) Check(Xamo_AnimGetLimbKeyTime(id, limb, key) == time, "the key moved to its time");
      return 0;
    }
    default:  // keys and limbs that may not be there
      QueryKey(id, limb, key);
      Xamo_AnimSetPlaySpeed(id, in.Float());
      Xamo_AnimGetPlaySpeed(id);
      return 0;
  }
}

// One controller playback or setting command on a limb, its arguments from the input.
inline void PlaybackCommand(Input& in, uint32_t oac, uint32_t limb, uint32_t anim) {
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

template <class... Query>
void CallAll(uint32_t oac, uint32_t limb, Query... query) {
  (query(oac, limb), ...);
}

// Every controller query on one limb, and the controller-wide ones.
inline void QueryController(uint32_t oac, uint32_t limb, uint32_t other) {
  CallAll(oac, limb, Xamo_oacGetCurrentFrame, Xamo_oacGetLimbEndFrame, Xamo_oacGetLimbGlobalPosX,
          Xamo_oacGetLimbGlobalPosY, Xamo_oacGetLimbGlobalPosZ, Xamo_oacGetLimbGlobalRotX, Xamo_oacGetLimbGlobalRotY,
          Xamo_oacGetLimbGlobalRotZ, Xamo_oacGetLimbPosX, Xamo_oacGetLimbPosY, Xamo_oacGetLimbPosZ,
          Xamo_oacGetLimbRotX, Xamo_oacGetLimbRotY, Xamo_oacGetLimbRotZ, Xamo_oacGetLimbScaleX, Xamo_oacGetLimbScaleY,
          Xamo_oacGetLimbScaleZ, Xamo_oacGetLimbStartFrame, Xamo_oacGetLimbTransEndFrame,
          Xamo_oacGetLimbTransInterpol, Xamo_oacGetLimbPlayAnimSpeed, Xamo_oacGetLimbTransAnimSpeed,
          Xamo_oacGetLimbTransStartFrame, Xamo_oacGetLimbIsActive, Xamo_oacGetLimbIsLooping, Xamo_oacGetLimbReference,
          Xamo_oacGetLimbTransIsActive, Xamo_oacGetLimbTransIsLooping, Xamo_oacGetLimbActive,
          Xamo_oacGetLimbPlayAnimID, Xamo_oacGetLimbTransAnimID, Xamo_oacGetLimbTransCurrentFrame,
          Xamo_oacGetLimbTransTimeUsed, Xamo_oacGetLimbTransTotalTime, Xamo_oacGetParentLimb, Xamo_oacGetUpdateOrder);
  Xamo_oacIsLimbChild(oac, limb, other);
  Xamo_oacGetModelType(oac);
  Xamo_oacGetObjectID(oac);
  Xamo_oacGetUpdateBounds(oac);
}

// A scratch file path of this process (in memory where /dev/shm exists); the folder goes at exit.
inline std::string ScratchPath(const char* name) {
  static std::string dir;
  if (dir.empty()) {
    dir = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/xamovel-fuzz-XXXXXX";
    if (!mkdtemp(&dir[0])) abort();
    atexit([] { std::error_code ignored; std::filesystem::remove_all(dir, ignored); });
  }
  return dir + "/" + name;
}

}  // namespace fuzz
