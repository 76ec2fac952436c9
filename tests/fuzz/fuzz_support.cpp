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

uint8_t Input::U8() {
  if (!n) return 0;
  --n;
  return *p++;
}

uint32_t Input::U32() {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(U8()) << (8 * i);
  return v;
}

uint32_t Input::Below(uint32_t bound) { return bound ? U8() % bound : 0; }

uint32_t Input::Time() {
  static const uint32_t kEdges[] = {0,           1,           2,           10,          1000,
                                    16777217,    0x7FFFFFFFu, 0x80000000u, 0x80000001u, 0xFFFFFF80u,
                                    0xFFFFFFF0u, 0xFFFFFFFEu, 0xFFFFFFFFu, 0x10000u,    40};
  const uint8_t c = U8();
  if (c < 128) return c;
  if (c < 240) return kEdges[c % (sizeof kEdges / sizeof kEdges[0])];
  return U32();
}

float Input::Float() {
  static const float kEdges[] = {0.0f,     -0.0f,     1.0f,      -1.0f,         0.5f,          90.0f,
                                 -270.0f,  1e30f,     -1e30f,    3e38f,         INFINITY,      -INFINITY,
                                 NAN,      1e-40f,    -1e-30f,   4294967296.0f, 2147483648.0f, 1000.0f};
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
  const size_t length = U8() % (most + 1);
  for (size_t i = 0; i < length && More(); ++i) {
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
  const uint32_t hurts = in.Below(4);
  for (uint32_t h = 0; h < hurts; ++h) {
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
        memcpy(l->name, name.data(), name.size() < sizeof l->name ? name.size() : sizeof l->name);
        if (name.size() < sizeof l->name) l->name[name.size()] = 0;
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

std::vector<uint8_t> MakeAnimFile(Input& in, uint32_t maxTracks, uint32_t maxKeys) {
  const uint32_t tracks = in.Below(maxTracks + 1);
  std::vector<std::vector<std::pair<uint32_t, Mat4>>> keys(tracks);
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
  uint32_t size = 0;
  std::vector<uint8_t> file;
  for (int pass = 0; pass < 2; ++pass) {
    if (pass) file.resize(size);
    uint8_t* cursor = pass ? file.data() : nullptr;
    uint8_t** c = pass ? &cursor : nullptr;
    uint32_t bytes = 0;
    PutAnimFileHeader(c, &bytes, tracks, 0.0f);
    for (const auto& track : keys) {
      PutMatrix(c, &bytes, kIdentity);
      PutU32(c, &bytes, static_cast<uint32_t>(track.size()));
      for (const auto& k : track) PutAnimFileKey(c, &bytes, k.first, k.second);
    }
    PutAnimFileEnd(c, &bytes);
    size = bytes;
  }
  return file;
}

uint32_t LoadAnim(const std::vector<uint8_t>& file) { return AnimRegister(AnimParse(file.data(), file.size())); }

std::vector<uint8_t> SaveAnim(uint32_t animId) {
  const AnimData* anim = AnimFromHandle(animId);
  uint32_t size = 0;
  SerializeAnimation(nullptr, anim, &size);
  std::vector<uint8_t> file(size);
  uint8_t* cursor = file.data();
  uint32_t written = 0;
  SerializeAnimation(&cursor, anim, &written);
  Check(written == size, "the save fills exactly the size it measured");
  return file;
}

uint32_t TotalFramesByRule(const AnimData* anim) {
  uint32_t total = 0;
  for (uint32_t i = 1; i < anim->limbCount; ++i)
    for (uint32_t k = 1; k < anim->tracks[i].keyCount; ++k)
      if (anim->tracks[i].keys[k].time > total) total = anim->tracks[i].keys[k].time;
  const float held = static_cast<float>(total);
  Check(anim->totalFrames == held, "total frames held as the rule's result");
  return held >= 4294967296.0f ? 0xFFFFFFFFu : static_cast<uint32_t>(held);
}

namespace {
std::vector<std::string> g_scratch;
void RemoveScratch() {
  for (const std::string& path : g_scratch) remove(path.c_str());
}
}  // namespace

std::string ScratchPath(const char* name) {
  const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  const std::string path = std::string(dir) + "/xamovel-fuzz-" + std::to_string(getpid()) + "-" + name;
  for (const std::string& known : g_scratch)
    if (known == path) return path;
  if (g_scratch.empty()) atexit(RemoveScratch);
  g_scratch.push_back(path);
  return path;
}

void WriteScratch(const std::string& path, const uint8_t* data, size_t size) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) abort();
  if (size) fwrite(data, 1, size, f);
  fclose(f);
}

}  // namespace fuzz
