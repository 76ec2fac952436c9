// Controllers made from host objects: the recorded tree and update order, the model type, clones,
// handles, limb settings and the controller file.
#include "oac/oac_helpers.h"

namespace {

using namespace oactest;
using testanim::ReadFile;
using testanim::WriteFile;

using OacLifecycle = PluginTest;

// A fresh controller records the host's tree and update order, is idle, and has default settings.
TEST_F(OacLifecycle, FreshControllerFollowsTheHostLinksWithDefaultSettings) {
  Tree(1, kSixLimbs);
  Tree(2, {-1, 3, 1, 0});  // 0 -> 3 -> 1 -> 2: depths 0, 1, 2, 0 by limb, so visited 0, 3, 1, 2
  const uint32_t c = x.Xamo_oacCreate(1), d = x.Xamo_oacCreate(2);
  ASSERT_NE(c, 0u);
  EXPECT_EQ(x.Xamo_oacGetObjectID(c), 1u);
  EXPECT_EQ(x.Xamo_oacGetUpdateBounds(c), 0u);
  const uint32_t order[] = {0, 3, 1, 2};
  for (uint32_t i = 0; i < 6; ++i) {
    EXPECT_EQ(x.Xamo_oacGetUpdateOrder(c, i), i);
    EXPECT_EQ(x.Xamo_oacGetParentLimb(c, i), static_cast<uint32_t>(i ? kSixLimbs[i] : 0));
    if (i < 4) { EXPECT_EQ(x.Xamo_oacGetUpdateOrder(d, i), order[i]); }
    for (uint32_t j = 0; j < 6; ++j)
      EXPECT_EQ(x.Xamo_oacIsLimbChild(c, i, j), (i == 1 && j >= 2) || (i == 4 && j == 5)) << i << " over " << j;
    EXPECT_EQ(x.Xamo_oacGetLimbActive(c, i), 1u);
    EXPECT_EQ(x.Xamo_oacGetLimbIsActive(c, i) + x.Xamo_oacGetLimbTransIsActive(c, i), 0);
    EXPECT_EQ(x.Xamo_oacGetLimbReference(c, i), static_cast<int32_t>(i));
    EXPECT_EQ(x.Xamo_oacGetLimbScaleX(c, i), 100.0);
  }
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

TEST_F(OacLifecycle, CloneTakesTreeAndSettingsButNotPlayback) {
  Tree(1, kSixLimbs);
  subhost::MakeObject(2, 6);  // no links: the tree comes from the source
  subhost::MakeObject(9, 8);
  const uint32_t src = x.Xamo_oacCreate(1);
  const uint32_t anim = LoadAnim(x, TempPath("a.anim"), std::vector<Track>(6, ZTrack({0, 10, 20})));
  x.Xamo_oacPlayAnim(src, 1, anim, 0, 5, 20, 1, 0);
  x.Xamo_oacSetLimbActive(src, 3, 0);
  x.Xamo_oacSetLimbReference(src, 2, 5);
  x.Xamo_oacSetModelType(src, 7);
  x.Xamo_oacSetUpdateBounds(src, 1);
  x.Xamo_oacUpdate(src, 100);
  const uint32_t c = x.Xamo_oacCreateClone(2, src);
  ASSERT_NE(c, 0u);
  EXPECT_EQ(x.Xamo_oacGetObjectID(c), 2u);
  EXPECT_EQ(x.Xamo_oacGetModelType(c), 7u);
  EXPECT_EQ(x.Xamo_oacGetUpdateBounds(c), 0u);
  EXPECT_EQ(x.Xamo_oacGetLimbActive(c, 3), 0u);
  EXPECT_EQ(x.Xamo_oacGetLimbReference(c, 2), 5);
  EXPECT_EQ(x.Xamo_oacIsLimbChild(c, 1, 5), 1u);
  EXPECT_EQ(x.Xamo_oacGetLimbIsActive(c, 1), 0);
  EXPECT_EQ(x.Xamo_oacGetLimbPlayAnimID(c, 1), 0u);
  EXPECT_EQ(x.Xamo_oacGetLimbRotZ(c, 1), 0.0);
  // A larger object than the source is served up to the source's limb count only.
  const uint32_t big = x.Xamo_oacCreateClone(9, src);
  EXPECT_EQ(x.Xamo_oacGetLimbActive(big, 5), 1u);
  EXPECT_EQ(x.Xamo_oacGetLimbActive(big, 6), 0u);
  x.Xamo_oacUpdate(big, 10);
}

TEST_F(OacLifecycle, DeadHandlesAndMissingObjectsGiveQuietResults) {
  Tree(1, kSixLimbs);
  EXPECT_EQ(x.Xamo_oacCreate(77), 0u);
  EXPECT_EQ(x.Xamo_oacLoad(C("nothing"), 77), 0u);
  const uint32_t c = x.Xamo_oacCreate(1);
  EXPECT_EQ(x.Xamo_oacCreateClone(77, c), 0u);
  EXPECT_EQ(x.Xamo_oacCreateClone(1, c + 1), 0u);
  x.Xamo_oacDelete(c);
  EXPECT_EQ(x.Xamo_oacGetObjectID(c), 0u);
  EXPECT_EQ(x.Xamo_oacGetLimbActive(c, 1), 0u);
  x.Xamo_oacSetLimbReference(c, 1, 2);
  x.Xamo_oacDelete(c);  // a second delete does nothing
  // An animation handle is not a controller.
  EXPECT_EQ(x.Xamo_oacGetObjectID(LoadAnim(x, TempPath("a.anim"), {ZTrack({0, 10})})), 0u);
}

TEST_F(OacLifecycle, SettersCheckLimbsAndStoreTheirFlags) {
  sObject* o = Tree(1, kSixLimbs);
  const uint32_t c = x.Xamo_oacCreate(1);
  x.Xamo_oacSetUpdateBounds(c, 2);
  x.Xamo_oacSetLimbActive(c, 2, 2);
  x.Xamo_oacSetLimbActive(c, 6, 0);
  x.Xamo_oacSetLimbReference(c, 4, 6);
  EXPECT_EQ(x.Xamo_oacGetUpdateBounds(c), 0u);
  EXPECT_EQ(x.Xamo_oacGetLimbActive(c, 2), 0u);
  EXPECT_EQ(x.Xamo_oacGetLimbReference(c, 4), 4);
  EXPECT_EQ(x.Xamo_oacIsLimbChild(c, 1, 6), 0u);
  // Speeds: limb 0 changes nothing; ExcludeChild keeps to the limb; otherwise the limb and every
  // descendant in the host's tree as it stands now (limb 3 moved under limb 5 after creation).
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

// Saved from object 1 (three limbs in a chain), loaded onto object 2 (three limbs, no links): the
// tree and settings come back and save the same file again; the bounds flag is not kept. Then
// every way a file can be wrong loads nothing.
TEST_F(OacLifecycle, ControllerFileRoundTripsAndRefusesMalformedFiles) {
  Tree(1, {-1, 0, 1});
  subhost::MakeObject(2, 3);
  subhost::MakeObject(3, 4);
  const uint32_t c = x.Xamo_oacCreate(1);
  x.Xamo_oacSetModelType(c, 1);
  x.Xamo_oacSetLimbActive(c, 2, 0);
  x.Xamo_oacSetLimbReference(c, 1, -1);
  x.Xamo_oacSetUpdateBounds(c, 1);
  const std::string path = TempPath("c.oac");
  x.Xamo_oacSave(c, C(path));
  const std::vector<uint8_t> good = ReadFile(path);
  ASSERT_EQ(good.size(), 114u);
  const uint8_t head[] = {6, 0, 0, 0, 'O', 'A', 'C', 'O', 'B', 'J', 0xE8, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0};
  EXPECT_TRUE(std::equal(std::begin(head), std::end(head), good.begin()));
  const uint32_t d = x.Xamo_oacLoad(C(path), 2);
  ASSERT_NE(d, 0u);
  EXPECT_EQ(x.Xamo_oacGetObjectID(d), 2u);
  EXPECT_EQ(x.Xamo_oacGetUpdateBounds(d), 0u);
  EXPECT_EQ(x.Xamo_oacGetLimbReference(d, 1), -1);
  EXPECT_EQ(x.Xamo_oacIsLimbChild(d, 1, 2), 1u);
  x.Xamo_oacSave(d, C(path));
  EXPECT_EQ(ReadFile(path), good);
  EXPECT_EQ(x.Xamo_oacLoad(C(path), 3), 0u);  // three limbs in the file, four on the object
  EXPECT_EQ(x.Xamo_oacLoad(C(TempPath("missing")), 2), 0u);
  // Each image: whether it loads. The magic in lower case does; a wrong letter or a cut does not.
  std::vector<std::pair<std::vector<uint8_t>, bool>> images = {{good, true}};
  images.push_back({good, true});
  for (int i = 4; i < 10; ++i) images.back().first[i] |= 0x20;
  images.push_back({good, false});
  images.back().first[5] = 'X';
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
