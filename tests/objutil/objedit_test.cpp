// Renaming limbs, and saving an object through the host with its animation cut to two keys a
// kind: what the host's Save sees, and that the object is whole again afterwards.
#include "objutil/objedit.h"

#include <string.h>

#include <string>
#include <vector>

#include "support/plugin_fixture.h"

namespace {

using subhost::Generation;
typedef std::vector<uint32_t> V;
typedef std::vector<uint8_t> Bytes;

std::string Name(const sObject* o, uint32_t limb) { return std::string(subhost::Limb(o, limb)->name, 256); }

using Rename = PluginTest;

TEST_F(Rename, KeepsAtMost255CharactersZeroFillsAndIgnoresBadLimbs) {
  sObject* o = subhost::MakeObject(1, 3);
  const std::string other = Name(o, 2);
  const std::string names[] = {"abc", "", std::string(255, 'n'), std::string(300, 'm')};
  for (const std::string& n : names) {
    memset(subhost::Limb(o, 1)->name, 'x', 256);  // an old name without terminator
    x.Xamo_ObjRenameLimb(1, 1, const_cast<char*>(n.c_str()));
    const size_t kept = n.size() < 255 ? n.size() : 255;
    EXPECT_EQ(Name(o, 1), n.substr(0, kept) + std::string(256 - kept, '\0')) << n.size();
  }
  x.Xamo_ObjRenameLimb(1, 1, nullptr);  // an empty text handed over as no text
  EXPECT_EQ(Name(o, 1), std::string(256, '\0'));
  char name[] = "new";
  x.Xamo_ObjRenameLimb(1, 3, name);  // limb = limbCount
  x.Xamo_ObjRenameLimb(2, 2, name);  // no object 2
  EXPECT_EQ(Name(o, 2), other);
}

// Every count, array address and array content of the object's animation records.
std::vector<Bytes> Snapshot(const sObject* o) {
  std::vector<Bytes> s;
  for (const sLimbAnim* a = HostFirstLimbAnim(o); a; a = HostPtr<sLimbAnim>(a->next)) {
    const uint32_t counts[4] = {a->matrixKeyCount, a->rotationKeyCount, a->positionKeyCount, a->scaleKeyCount};
    const HostAddr arrays[4] = {a->matrixKeys, a->rotationKeys, a->positionKeys, a->scaleKeys};
    const size_t sizes[4] = {sizeof(sMatrixKey), sizeof(sRotKey), sizeof(sPosKey), sizeof(sScaleKey)};
    for (int k = 0; k < 4; ++k) {
      const uint8_t* p = HostPtr<const uint8_t>(arrays[k]);
      s.push_back(Bytes(p, p + (p ? counts[k] * sizes[k] : 0)));
      Bytes fields(8);
      memcpy(&fields[0], &counts[k], 4);
      memcpy(&fields[4], &arrays[k], 4);
      s.push_back(fields);
    }
  }
  return s;
}

// Object 1:  limb 0: 100 matrix keys (0, 1, ... 99), 1 rotation key (3)
//            limb 1: 2 rotation keys (0, 9), 5 position keys (0, 10, ... 40), no scale keys
//            limb 2: 3 scale keys (0, 7, 14)
sObject* Animated(Generation gen, float totalFrames) {
  sObject* o = subhost::MakeObject(1, 3, gen);
  subhost::SetTotalAnimFrames(o, totalFrames);
  sLimbAnim* a = subhost::AddLimbAnim(o, 0);
  for (uint32_t t = 0; t < 100; ++t) {
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, static_cast<float>(t), 0, 0, 1};
    subhost::AddMatrixKey(a, t, m);
  }
  subhost::AddRotationKey(a, 3, 0, 0, 0, 1);
  sLimbAnim* b = subhost::AddLimbAnim(o, 1);
  subhost::AddRotationKey(b, 0, 0, 0, 0, 1);
  subhost::AddRotationKey(b, 9, 0, 1, 0, 0);
  for (uint32_t t = 0; t < 5; ++t) subhost::AddPositionKey(b, 10 * t, static_cast<float>(t), 0, 0);
  for (uint32_t t = 0; t < 5; ++t) memset(HostPtr<sPosKey>(b->positionKeys)[t].hostData, 0x70 + t, 12);
  sLimbAnim* c = subhost::AddLimbAnim(o, 2);
  for (uint32_t t = 0; t < 3; ++t) subhost::AddScaleKey(c, 7 * t, 1, 1, 1);
  return o;
}

class SaveNoAnims : public PluginTest, public ::testing::WithParamInterface<Generation> {};
INSTANTIATE_TEST_SUITE_P(BothGenerations, SaveNoAnims, ::testing::Values(Generation::Classic, Generation::Current));

TEST_P(SaveNoAnims, SaveSeesTwoKeysPerLongKindAndTheObjectIsWholeAfterwards) {
  sObject* o = Animated(GetParam(), 40.0f);
  const std::vector<Bytes> before = Snapshot(o);
  std::string path = TempPath("obj.txt");
  x.Xamo_ObjSaveNoAnims(1, &path[0]);
  ASSERT_EQ(subhost::SaveCalls().size(), 1u);
  const subhost::SaveCall& call = subhost::SaveCalls()[0];
  EXPECT_EQ(call.fileName, path);
  EXPECT_EQ(call.objectNumber, 1);
  ASSERT_EQ(call.tracks.size(), 3u);
  // Kinds as Save reports them: position, rotation, scale, matrix.
  EXPECT_EQ(call.tracks[0].times[3], (V{0, 1}));
  EXPECT_EQ(call.tracks[0].times[1], (V{3}));
  EXPECT_EQ(call.tracks[1].times[1], (V{0, 9}));
  EXPECT_EQ(call.tracks[1].times[0], (V{0, 10}));
  EXPECT_EQ(call.tracks[1].counts[2], 0u);
  EXPECT_EQ(call.tracks[2].times[2], (V{0, 7}));
  EXPECT_EQ(Snapshot(o), before);

  for (float total : {0.0f, -1.0f}) {  // no animation data: no save
    subhost::SetTotalAnimFrames(o, total);
    std::string none = TempPath("none.txt");
    x.Xamo_ObjSaveNoAnims(1, &none[0]);
    x.Xamo_ObjSaveNoAnims(7, &none[0]);  // no object 7
    EXPECT_EQ(subhost::SaveCalls().size(), 1u);
  }
  EXPECT_EQ(Snapshot(o), before);
}

// A Save of the test's own: keeps what it sees of limb 0's matrix keys and limb 1's position keys.
Bytes g_matrixKeys, g_positionKeys;
int g_calls = 0;
bool g_answer = true;
bool InspectingSave(const char*, uint32_t objNo) {
  ++g_calls;
  const sLimbAnim* a = HostFirstLimbAnim(subhost::Object(objNo));
  const sLimbAnim* b = HostPtr<sLimbAnim>(a->next);
  g_matrixKeys.assign(HostPtr<uint8_t>(a->matrixKeys), HostPtr<uint8_t>(a->matrixKeys) + 2 * sizeof(sMatrixKey));
  g_positionKeys.assign(HostPtr<uint8_t>(b->positionKeys), HostPtr<uint8_t>(b->positionKeys) + 2 * sizeof(sPosKey));
  return g_answer;
}

TEST(SaveWithoutAnims, KeyZeroIsCopiedWholeKeyOneWithoutHostDataAndFailuresLeaveAllAsItWas) {
  subhost::Reset();
  sObject* o = Animated(Generation::Classic, 40.0f);
  const std::vector<Bytes> before = Snapshot(o);
  const sMatrixKey* m = HostPtr<sMatrixKey>(HostFirstLimbAnim(o)->matrixKeys);
  const sPosKey* p = HostPtr<sPosKey>(HostPtr<sLimbAnim>(HostFirstLimbAnim(o)->next)->positionKeys);
  SaveWithoutAnims(HostObject{o, &kClassicObjectFields, 1}, "unused", InspectingSave);
  ASSERT_EQ(g_calls, 1);
  const uint8_t* m0 = reinterpret_cast<const uint8_t*>(m);
  const uint8_t* p0 = reinterpret_cast<const uint8_t*>(p);
  EXPECT_EQ(Bytes(g_matrixKeys.begin(), g_matrixKeys.begin() + 132 + 68), Bytes(m0, m0 + 132 + 68));
  EXPECT_EQ(Bytes(g_matrixKeys.begin() + 132 + 68, g_matrixKeys.end()), Bytes(64, 0));
  EXPECT_EQ(Bytes(g_positionKeys.begin(), g_positionKeys.begin() + 28 + 16), Bytes(p0, p0 + 28 + 16));
  EXPECT_EQ(Bytes(g_positionKeys.begin() + 28 + 16, g_positionKeys.end()), Bytes(12, 0));
  EXPECT_EQ(Snapshot(o), before);

  g_answer = false;  // as HostCallSave answers when the host exports no Save
  SaveWithoutAnims(HostObject{o, &kClassicObjectFields, 1}, "unused", InspectingSave);
  EXPECT_EQ(Snapshot(o), before);
  SaveWithoutAnims(HostObject{o, nullptr, 1}, "unused", InspectingSave);  // undecided: no save
  EXPECT_EQ(g_calls, 2);
  EXPECT_EQ(Snapshot(o), before);
  subhost::Reset();
}

}  // namespace
