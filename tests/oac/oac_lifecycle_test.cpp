// Controllers made from host objects: the recorded tree and update order, the model type, clones,
// handles, limb settings and the controller file.
#include "oac/oac_helpers.h"

namespace {

using namespace oactest;
using testanim::ReadFile;
using testanim::WriteFile;

using OacLifecycle = PluginTest;

// Object 1: 0 -> 1 -> {3, 4}, 4 -> 5 -> 2; a child of limb 0 counts as a root, so by depth the
// order is 0, 1, 3, 4, 5, 2. Its controller records that tree, is idle with identity limb matrices
// and has default settings. Then some settings change and limbs play; a clone onto object 2 (no
// links: the tree comes from the source) and the controller saved and loaded onto object 2 carry
// the tree and the settings, but neither the playback, the limb matrices nor the bounds flag.
TEST_F(OacLifecycle, ControllersRecordTheHostTreeAndClonesAndFilesCarryItWithTheSettings) {
  Tree(1, {-1, 0, 5, 1, 1, 4});
  subhost::MakeObject(2, 6);
  subhost::MakeObject(9, 8);
  const uint32_t order[] = {0, 1, 3, 4, 5, 2}, parent[] = {0, 0, 5, 1, 1, 4};
  const uint32_t below[] = {0, 0x3C, 0, 0, 0x24, 0x04};  // bit j: limb j descends from limb i
  const auto expect = [&](uint32_t c, uint32_t object, bool changed) {
    EXPECT_EQ(x.Xamo_oacGetObjectID(c), object);
    EXPECT_EQ(x.Xamo_oacGetModelType(c), changed ? 7u : 0u);
    EXPECT_EQ(x.Xamo_oacGetUpdateBounds(c), 0u);
    for (uint32_t i = 0; i < 6; ++i) {
      EXPECT_EQ(x.Xamo_oacGetUpdateOrder(c, i), order[i]) << i;
      EXPECT_EQ(x.Xamo_oacGetParentLimb(c, i), parent[i]) << i;
      for (uint32_t j = 0; j < 6; ++j) EXPECT_EQ(x.Xamo_oacIsLimbChild(c, i, j), (below[i] >> j) & 1) << i << ", " << j;
      EXPECT_EQ(x.Xamo_oacGetLimbActive(c, i), changed && i == 3 ? 0u : 1u) << i;
      EXPECT_EQ(x.Xamo_oacGetLimbReference(c, i), changed && i == 2 ? -1 : static_cast<int32_t>(i)) << i;
      EXPECT_EQ(x.Xamo_oacGetLimbIsActive(c, i) + x.Xamo_oacGetLimbTransIsActive(c, i), 0) << i;
      EXPECT_EQ(x.Xamo_oacGetLimbScaleX(c, i), 100.0) << i;
    }
  };
  const uint32_t src = x.Xamo_oacCreate(1);
  expect(src, 1, false);
  x.Xamo_oacSetLimbActive(src, 3, 2);  // only 1 switches a limb on
  x.Xamo_oacSetLimbReference(src, 2, -1);
  x.Xamo_oacSetLimbReference(src, 4, 6);  // beyond the object: refused
  x.Xamo_oacSetModelType(src, 7);
  x.Xamo_oacSetUpdateBounds(src, 1);
  EXPECT_EQ(x.Xamo_oacIsLimbChild(src, 1, 6), 0u);
  const Mat4 twice = testanim::Compose(2, 2, 2, 0, 0, 0);  // shown at a key's own frame only
  const uint32_t anim = LoadAnim(x, TempPath("a.anim"), std::vector<Track>(6, {{0, twice}, {10, twice}, {20, twice}}));
  x.Xamo_oacPlayAnim(src, 1, anim, 0, 7, 20, 1, 0);
  x.Xamo_oacUpdate(src, 100);
  ASSERT_TRUE(x.Xamo_oacGetLimbIsActive(src, 1) && x.Xamo_oacGetLimbScaleX(src, 1) == 200.0);  // at key 1
  const std::string path = TempPath("c.oac");
  x.Xamo_oacSave(src, C(path));
  const std::vector<uint8_t> good = ReadFile(path);
  ASSERT_EQ(good.size(), 270u);  // 30 + 16 n + 4 n^2 bytes
  const uint8_t head[] = {6, 0, 0, 0, 'O', 'A', 'C', 'O', 'B', 'J', 0xE8, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6, 0, 0, 0, 7, 0, 0, 0};
  EXPECT_TRUE(std::equal(std::begin(head), std::end(head), good.begin()));
  const uint32_t clone = x.Xamo_oacCreateClone(2, src), loaded = x.Xamo_oacLoad(C(path), 2);
  ASSERT_NE(clone, 0u);
  ASSERT_NE(loaded, 0u);
  expect(clone, 2, true);
  expect(loaded, 2, true);
  x.Xamo_oacSave(loaded, C(path));
  EXPECT_EQ(ReadFile(path), good);
  x.Xamo_oacSetUpdateBounds(src, 2);  // only 1 sets the flag
  EXPECT_EQ(x.Xamo_oacGetUpdateBounds(src), 0u);
  // A larger object than the source is served up to the source's limb count only.
  const uint32_t big = x.Xamo_oacCreateClone(9, src);
  EXPECT_EQ(x.Xamo_oacGetLimbActive(big, 5), 1u);
  EXPECT_EQ(x.Xamo_oacGetLimbActive(big, 6), 0u);
  x.Xamo_oacUpdate(big, 10);
  // No limbs: nothing to visit or read; updating and deleting are harmless.
  subhost::MakeObject(4, 0);
  const uint32_t none = x.Xamo_oacCreate(4);
  ASSERT_NE(none, 0u);
  EXPECT_EQ(x.Xamo_oacGetUpdateOrder(none, 0), 0u);
  x.Xamo_oacUpdate(none, 16);
  x.Xamo_oacDelete(none);
}

TEST_F(OacLifecycle, ModelTypeComesFromRotationKeysAnywhereInTheAnimationSet) {
  sObject* plain = subhost::MakeObject(1, 3);
  subhost::AddPositionKey(subhost::AddLimbAnim(plain, 1), 0, 1, 2, 3);
  subhost::AddMatrixKey(subhost::AddLimbAnim(plain, 2), 0, kIdentity.m);
  EXPECT_EQ(x.Xamo_oacGetModelType(x.Xamo_oacCreate(1)), 0u);
  subhost::AddRotationKey(subhost::AddLimbAnim(plain, 0), 0, 0, 0, 0, 1);  // the last of the list
  EXPECT_EQ(x.Xamo_oacGetModelType(x.Xamo_oacCreate(1)), 1u);
}

TEST_F(OacLifecycle, DeadHandlesAndMissingObjectsGiveQuietResults) {
  Tree(1, kSixLimbs);
  const uint32_t c = x.Xamo_oacCreate(1);
  EXPECT_EQ(x.Xamo_oacCreate(77) + x.Xamo_oacLoad(C("nothing"), 77) + x.Xamo_oacCreateClone(77, c), 0u);
  EXPECT_EQ(x.Xamo_oacCreateClone(1, c + 1), 0u);  // not a controller's handle
  x.Xamo_oacDelete(c);
  EXPECT_EQ(x.Xamo_oacGetLimbActive(c, 1), 0u);
  x.Xamo_oacSetLimbReference(c, 1, 2);
  x.Xamo_oacDelete(c);  // a second delete does nothing
  // An animation handle is not a controller.
  EXPECT_EQ(x.Xamo_oacGetObjectID(LoadAnim(x, TempPath("a.anim"), {ZTrack({0, 10})})), 0u);
}

// Speeds: limb 0 changes nothing; ExcludeChild keeps to the limb; otherwise the limb and every
// descendant in the host's tree as it stands now (limb 3 moved under limb 5 after creation).
TEST_F(OacLifecycle, SpeedsReachTheDescendantsOfTheTreeAsItStandsNow) {
  sObject* o = Tree(1, kSixLimbs);
  const uint32_t c = x.Xamo_oacCreate(1);
  for (uint32_t i = 0; i < 6; ++i) subhost::Limb(o, i)->firstChild = subhost::Limb(o, i)->nextSibling = 0;
  subhost::LinkTree(o, {-1, 0, 1, 5, 1, 4});
  x.Xamo_oacSetLimbPlayAnimSpeed(c, 0, 5.0f, 0);
  x.Xamo_oacSetLimbPlayAnimSpeed(c, 1, 5.0f, 1);
  x.Xamo_oacSetLimbTransAnimSpeed(c, 4, -7.5f, 0);
  const double play[] = {0, 5, 0, 0, 0, 0}, trans[] = {0, 0, 0, -7.5, -7.5, -7.5};
  for (uint32_t i = 0; i < 6; ++i) {
    EXPECT_EQ(x.Xamo_oacGetLimbPlayAnimSpeed(c, i), play[i]) << i;
    EXPECT_EQ(x.Xamo_oacGetLimbTransAnimSpeed(c, i), trans[i]) << i;
  }
}

// Every way a controller file can be wrong loads nothing; the magic in lower case loads.
TEST_F(OacLifecycle, MalformedControllerFilesLoadNothing) {
  Tree(1, {-1, 0, 1});
  subhost::MakeObject(2, 3);
  subhost::MakeObject(3, 4);
  const std::string path = TempPath("c.oac");
  x.Xamo_oacSave(x.Xamo_oacCreate(1), C(path));
  const std::vector<uint8_t> good = ReadFile(path);
  EXPECT_EQ(x.Xamo_oacLoad(C(path), 3), 0u);  // three limbs in the file, four on the object
  EXPECT_EQ(x.Xamo_oacLoad(C(TempPath("missing")), 2), 0u);
  // Each image: whether it loads. A wrong letter in the magic or a cut anywhere does not.
  std::vector<std::pair<std::vector<uint8_t>, bool>> images = {{good, true}, {good, true}, {good, false}};
  for (int i = 4; i < 10; ++i) images[1].first[i] |= 0x20;
  images[2].first[5] = 'X';
  for (size_t cut : {size_t(0), size_t(3), size_t(20), good.size() - 1})
    images.push_back({std::vector<uint8_t>(good.begin(), good.begin() + cut), false});
  for (const auto& [bytes, loads] : images) {
    WriteFile(path, bytes);
    EXPECT_EQ(x.Xamo_oacLoad(C(path), 2) != 0, loads) << bytes.size() << " bytes";
  }
  // Limb counts whose array sizes (16n + 4n^2 bytes) pass 2^64, claimed by object and file alike.
  for (uint32_t n : {0xFFFFFFFFu, 3037000498u}) {
    std::vector<uint8_t> bad = good;
    memcpy(bad.data() + 22, &n, 4);
    WriteFile(path, bad);
    subhost::Object(3)->limbCount = n;
    EXPECT_EQ(x.Xamo_oacLoad(C(path), 3), 0u) << n;
  }
}

}  // namespace
