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

// Every animation record and the keys its arrays hold, byte for byte.
std::vector<Bytes> Snapshot(const sObject* o) {
  std::vector<Bytes> s;
  for (const sLimbAnim* a = HostFirstLimbAnim(o); a; a = HostPtr<sLimbAnim>(a->next)) {
    s.push_back(Bytes(reinterpret_cast<const uint8_t*>(a), reinterpret_cast<const uint8_t*>(a + 1)));
    const HostAddr arrays[4] = {a->matrixKeys, a->rotationKeys, a->positionKeys, a->scaleKeys};
    const size_t bytes[4] = {a->matrixKeyCount * sizeof(sMatrixKey), a->rotationKeyCount * sizeof(sRotKey),
                             a->positionKeyCount * sizeof(sPosKey), a->scaleKeyCount * sizeof(sScaleKey)};
    for (int k = 0; k < 4; ++k) {
      const uint8_t* p = HostPtr<const uint8_t>(arrays[k]);
      s.push_back(Bytes(p, p + (p ? bytes[k] : 0)));
    }
  }
  return s;
}

// A Save of the test's own: keeps the bytes of limb 0's first two matrix keys and limb 1's first
// two rotation and position keys as it sees them, and answers `g_answer`.
Bytes g_matrixKeys, g_rotationKeys, g_positionKeys;
bool g_answer = true;
bool InspectingSave(const char*, uint32_t objNo) {
  const sLimbAnim* a = HostFirstLimbAnim(subhost::Object(objNo));
  const sLimbAnim* b = HostPtr<sLimbAnim>(a->next);
  g_matrixKeys.assign(HostPtr<uint8_t>(a->matrixKeys), HostPtr<uint8_t>(a->matrixKeys) + 2 * sizeof(sMatrixKey));
  g_rotationKeys.assign(HostPtr<uint8_t>(b->rotationKeys), HostPtr<uint8_t>(b->rotationKeys) + 2 * sizeof(sRotKey));
  g_positionKeys.assign(HostPtr<uint8_t>(b->positionKeys), HostPtr<uint8_t>(b->positionKeys) + 2 * sizeof(sPosKey));
  return g_answer;
}
// What Save saw of a kind's first two keys: key 0 as it is, key 1's time and values as they are,
// key 1's host data zero.
void ExpectCut(const Bytes& seen, const uint8_t* keys, size_t keySize, size_t valueSize) {
  ASSERT_EQ(seen.size(), 2 * keySize);
  EXPECT_EQ(Bytes(seen.begin(), seen.begin() + keySize + valueSize), Bytes(keys, keys + keySize + valueSize));
  EXPECT_EQ(Bytes(seen.begin() + keySize + valueSize, seen.end()), Bytes(keySize - valueSize, 0));
}

class SaveNoAnims : public PluginTest, public ::testing::WithParamInterface<Generation> {};
INSTANTIATE_TEST_SUITE_P(BothGenerations, SaveNoAnims, ::testing::Values(Generation::Classic, Generation::Current));

// Object 1:  limb 0: 100 matrix keys (0, 1, ... 99), 1 rotation key (3)
//            limb 1: 2 rotation keys (0, 9), 5 position keys (0, 10, ... 40), no scale keys
//            limb 2: 3 scale keys (0, 7, 14)
// Save sees two keys of every kind that has more, key 0 whole and key 1 without its host data
// (zeros: key 0's, copied whole, still leads to it); afterwards, and when Save fails, the object
// is as it was.
TEST_P(SaveNoAnims, SaveSeesTwoKeysPerLongKindAndTheObjectIsWholeAfterwards) {
  sObject* o = subhost::MakeObject(1, 3, GetParam());
  subhost::SetTotalAnimFrames(o, 40.0f);
  sLimbAnim* a = subhost::AddLimbAnim(o, 0);
  for (uint32_t t = 0; t < 100; ++t) {
    const float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, static_cast<float>(t), 0, 0, 1};
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
  const std::vector<Bytes> before = Snapshot(o);
  std::string path = TempPath("obj.txt");
  x.Xamo_ObjSaveNoAnims(1, &path[0]);
  ASSERT_EQ(subhost::SaveCalls().size(), 1u);
  const subhost::SaveCall& call = subhost::SaveCalls()[0];
  EXPECT_EQ(call.fileName, path);
  EXPECT_EQ(call.objectNumber, 1);
  ASSERT_EQ(call.tracks.size(), 3u);
  const V counts[3] = {{0, 1, 0, 2}, {2, 2, 0, 0}, {0, 0, 2, 0}};  // position, rotation, scale, matrix
  for (int t = 0; t < 3; ++t) EXPECT_EQ(V(call.tracks[t].counts, call.tracks[t].counts + 4), counts[t]) << t;
  EXPECT_EQ(Snapshot(o), before);

  for (float total : {0.0f, -1.0f}) {  // no animation data: no save
    subhost::SetTotalAnimFrames(o, total);
    std::string none = TempPath("none.txt");
    x.Xamo_ObjSaveNoAnims(1, &none[0]);
    x.Xamo_ObjSaveNoAnims(7, &none[0]);  // no object 7
    EXPECT_EQ(subhost::SaveCalls().size(), 1u);
  }
  subhost::SetTotalAnimFrames(o, 40.0f);
  HostObject obj;
  ASSERT_TRUE(HostGetObject(1, &obj));
  for (bool answer : {true, false}) {  // false: as HostCallSave answers when the host exports no Save
    g_answer = answer;
    SaveWithoutAnims(obj, "unused", InspectingSave);
    ExpectCut(g_matrixKeys, HostPtr<uint8_t>(a->matrixKeys), 132, 68);
    ExpectCut(g_rotationKeys, HostPtr<uint8_t>(b->rotationKeys), 20, 20);  // no host data
    ExpectCut(g_positionKeys, HostPtr<uint8_t>(b->positionKeys), 28, 16);
    EXPECT_EQ(Snapshot(o), before);
  }
  g_matrixKeys.clear();
  SaveWithoutAnims(HostObject{o, nullptr, 1}, "unused", InspectingSave);  // undecided: no save
  EXPECT_TRUE(g_matrixKeys.empty());
}

}  // namespace
