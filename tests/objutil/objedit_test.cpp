// Renaming limbs and saving an object through the host with its animation cut to two keys a
// track: what the host's Save sees, and that the object is whole again afterwards.
#include "objutil/objedit.h"

#include <string.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "math/xmath.h"
#include "support/plugin_fixture.h"

namespace {

using subhost::Generation;

std::string Name(const sObject* o, uint32_t limb) { return std::string(subhost::Limb(o, limb)->name, 256); }

using Rename = PluginTest;

TEST_F(Rename, WritesAtMost255CharactersAndZeroFillsTheField) {
  sObject* o = subhost::MakeObject(1, 3);
  const std::string before2 = Name(o, 2);
  struct Case {
    std::string name;
    size_t kept;
  };
  const Case cases[] = {{"abc", 3}, {"", 0}, {std::string(255, 'n'), 255}, {std::string(300, 'm'), 255}};
  for (const Case& c : cases) {
    memset(subhost::Limb(o, 1)->name, 'x', 256);  // an old name without terminator
    std::vector<char> arg(c.name.begin(), c.name.end());
    arg.push_back(0);
    x.Xamo_ObjRenameLimb(1, 1, arg.data());
    EXPECT_EQ(Name(o, 1), c.name.substr(0, c.kept) + std::string(256 - c.kept, '\0')) << c.name.size();
  }
  memset(subhost::Limb(o, 1)->name, 'x', 256);
  x.Xamo_ObjRenameLimb(1, 1, nullptr);  // an empty text handed over as no text
  EXPECT_EQ(Name(o, 1), std::string(256, '\0'));
  EXPECT_EQ(Name(o, 2), before2);
}

TEST_F(Rename, BadLimbOrObjectChangesNothing) {
  sObject* o = subhost::MakeObject(1, 3);
  std::vector<std::string> before;
  for (uint32_t i = 0; i < 3; ++i) before.push_back(Name(o, i));
  char name[] = "new";
  x.Xamo_ObjRenameLimb(1, 3, name);
  x.Xamo_ObjRenameLimb(1, 0xFFFFFFFFu, name);
  x.Xamo_ObjRenameLimb(2, 0, name);  // no object 2
  for (uint32_t i = 0; i < 3; ++i) EXPECT_EQ(Name(o, i), before[i]);
}

// Every count, array address and array content of an object's animation records.
struct Snapshot {
  std::vector<uint32_t> counts;
  std::vector<HostAddr> arrays;
  std::vector<std::vector<uint8_t>> bytes;
  bool operator==(const Snapshot& o) const { return counts == o.counts && arrays == o.arrays && bytes == o.bytes; }
};

Snapshot Take(const sObject* o) {
  Snapshot s;
  const sAnimSet* set = HostPtr<sAnimSet>(o->animSet);
  for (const sLimbAnim* a = set ? HostPtr<sLimbAnim>(set->firstLimbAnim) : nullptr; a;
       a = HostPtr<sLimbAnim>(a->next)) {
    const uint32_t counts[4] = {a->matrixKeyCount, a->rotationKeyCount, a->positionKeyCount, a->scaleKeyCount};
    const HostAddr arrays[4] = {a->matrixKeys, a->rotationKeys, a->positionKeys, a->scaleKeys};
    const size_t sizes[4] = {sizeof(sMatrixKey), sizeof(sRotKey), sizeof(sPosKey), sizeof(sScaleKey)};
    for (int k = 0; k < 4; ++k) {
      s.counts.push_back(counts[k]);
      s.arrays.push_back(arrays[k]);
      const uint8_t* p = HostPtr<const uint8_t>(arrays[k]);
      s.bytes.emplace_back(p, p + (p ? counts[k] * sizes[k] : 0));
    }
  }
  return s;
}

// Object 1, three limbs:
//   limb 0: 100 matrix keys (0, 1, ... 99) and 1 rotation key
//   limb 1: 2 rotation keys, 5 position keys (0, 10, ... 40)
//   limb 2: 3 scale keys (0, 7, 14)
sObject* Animated(Generation gen, float totalFrames) {
  sObject* o = subhost::MakeObject(1, 3, gen);
  subhost::SetTotalAnimFrames(o, totalFrames);
  sLimbAnim* a = subhost::AddLimbAnim(o, 0);
  for (uint32_t t = 0; t < 100; ++t) {
    Mat4 m;
    MatTranslation(&m, static_cast<float>(t), 0, 0);
    subhost::AddMatrixKey(a, t, m.m);
  }
  subhost::AddRotationKey(a, 3, 0, 0, 0, 1);
  sLimbAnim* b = subhost::AddLimbAnim(o, 1);
  subhost::AddRotationKey(b, 0, 0, 0, 0, 1);
  subhost::AddRotationKey(b, 9, 0, 1, 0, 0);
  for (uint32_t t = 0; t < 5; ++t) subhost::AddPositionKey(b, 10 * t, static_cast<float>(t), 0, 0);
  sLimbAnim* c = subhost::AddLimbAnim(o, 2);
  for (uint32_t t = 0; t < 3; ++t) subhost::AddScaleKey(c, 7 * t, 1, 1, 1);
  return o;
}

bool FileExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

class SaveNoAnims : public PluginTest, public ::testing::WithParamInterface<Generation> {};
INSTANTIATE_TEST_SUITE_P(BothGenerations, SaveNoAnims,
                         ::testing::Values(Generation::Classic, Generation::Current));

TEST_P(SaveNoAnims, SaveSeesTwoKeysPerLongTrackAndTheObjectIsWholeAfterwards) {
  sObject* o = Animated(GetParam(), 40.0f);
  const Snapshot before = Take(o);
  std::string path = TempPath("obj.txt");
  x.Xamo_ObjSaveNoAnims(1, &path[0]);

  ASSERT_EQ(subhost::SaveCalls().size(), 1u);
  const subhost::SaveCall& call = subhost::SaveCalls()[0];
  EXPECT_EQ(call.fileName, path);
  EXPECT_EQ(call.objectNumber, 1);
  ASSERT_EQ(call.tracks.size(), 3u);
  typedef std::vector<uint32_t> V;
  // Kinds as Save reports them: position, rotation, scale, matrix.
  EXPECT_EQ(call.tracks[0].times[3], (V{0, 1}));
  EXPECT_EQ(call.tracks[0].times[1], (V{3}));
  EXPECT_EQ(call.tracks[1].times[1], (V{0, 9}));
  EXPECT_EQ(call.tracks[1].times[0], (V{0, 10}));
  EXPECT_EQ(call.tracks[1].counts[2], 0u);
  EXPECT_EQ(call.tracks[2].times[2], (V{0, 7}));
  EXPECT_TRUE(FileExists(path));

  EXPECT_TRUE(Take(o) == before);
}

TEST_P(SaveNoAnims, NothingIsSavedWithoutAnimationDataOrObject) {
  for (float total : {0.0f, -1.0f}) {
    sObject* o = Animated(GetParam(), total);
    const Snapshot before = Take(o);
    std::string path = TempPath("none.txt");
    x.Xamo_ObjSaveNoAnims(1, &path[0]);
    EXPECT_TRUE(subhost::SaveCalls().empty());
    EXPECT_FALSE(FileExists(path));
    EXPECT_TRUE(Take(o) == before);
  }
  std::string path = TempPath("missing.txt");
  x.Xamo_ObjSaveNoAnims(7, &path[0]);
  EXPECT_TRUE(subhost::SaveCalls().empty());
}

// --- The core routine with a Save of the test's own --------------------------------------------

const sObject* g_seen = nullptr;
int g_calls = 0;
std::vector<uint8_t> g_matrixKeys, g_positionKeys;
bool g_answer = true;

// Copies the two-key arrays the save sees.
bool InspectingSave(const char*, uint32_t) {
  ++g_calls;
  const sLimbAnim* a = HostPtr<sLimbAnim>(HostPtr<sAnimSet>(g_seen->animSet)->firstLimbAnim);
  const sLimbAnim* b = HostPtr<sLimbAnim>(a->next);
  const uint8_t* m = HostPtr<const uint8_t>(a->matrixKeys);
  const uint8_t* p = HostPtr<const uint8_t>(b->positionKeys);
  g_matrixKeys.assign(m, m + 2 * sizeof(sMatrixKey));
  g_positionKeys.assign(p, p + 2 * sizeof(sPosKey));
  return g_answer;
}

class SaveCore : public ::testing::Test {
 protected:
  void SetUp() override {
    subhost::Reset();
    g_calls = 0;
    g_answer = true;
  }
};

TEST_F(SaveCore, KeyZeroIsCopiedWholeAndKeyOneKeepsOnlyTimeAndValues) {
  sObject* o = Animated(Generation::Classic, 40.0f);
  g_seen = o;
  sLimbAnim* b = HostPtr<sLimbAnim>(HostPtr<sLimbAnim>(HostPtr<sAnimSet>(o->animSet)->firstLimbAnim)->next);
  for (uint32_t k = 0; k < 5; ++k) memset(HostPtr<sPosKey>(b->positionKeys)[k].hostData, 0x70 + k, 12);
  const Snapshot before = Take(o);
  const HostObject obj = {o, &kClassicObjectFields, 1};
  SaveWithoutAnims(obj, "unused", InspectingSave);
  ASSERT_EQ(g_calls, 1);

  sMatrixKey mk[2];
  memcpy(mk, g_matrixKeys.data(), sizeof mk);
  EXPECT_EQ(memcmp(&mk[0], HostPtr<sMatrixKey>(before.arrays[0]), sizeof(sMatrixKey)), 0);
  EXPECT_EQ(mk[1].time, 1u);
  EXPECT_EQ(mk[1].matrix[12], 1.0f);
  EXPECT_EQ(std::vector<uint8_t>(mk[1].hostData, mk[1].hostData + 64), std::vector<uint8_t>(64, 0));
  sPosKey pk[2];
  memcpy(pk, g_positionKeys.data(), sizeof pk);
  EXPECT_EQ(std::vector<uint8_t>(pk[0].hostData, pk[0].hostData + 12), std::vector<uint8_t>(12, 0x70));
  EXPECT_EQ(pk[1].time, 10u);
  EXPECT_EQ(pk[1].position[0], 1.0f);
  EXPECT_EQ(std::vector<uint8_t>(pk[1].hostData, pk[1].hostData + 12), std::vector<uint8_t>(12, 0));
  EXPECT_TRUE(Take(o) == before);
}

TEST_F(SaveCore, AFailedOrMissingSaveLeavesEveryRecordAsItWas) {
  sObject* o = Animated(Generation::Current, 40.0f);
  g_seen = o;
  const Snapshot before = Take(o);
  g_answer = false;  // as HostCallSave answers when the host exports no Save
  SaveWithoutAnims(HostObject{o, &kCurrentObjectFields, 1}, "unused", InspectingSave);
  EXPECT_EQ(g_calls, 1);
  EXPECT_TRUE(Take(o) == before);
  // An object whose host generation is undecided reads as unanimated: no save at all.
  SaveWithoutAnims(HostObject{o, nullptr, 1}, "unused", InspectingSave);
  EXPECT_EQ(g_calls, 1);
  EXPECT_TRUE(Take(o) == before);
}

}  // namespace
