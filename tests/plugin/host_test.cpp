// What commands answer from the plug-in's own setting and from the host's object record, read
// through GetObjectA: the default play speed; the limb tree and the host's own keys on both record
// generations, and how a record's generation is told.
#include <string.h>

#include <vector>

#include "math/xmath.h"
#include "plugin/host.h"
#include "support/plugin_fixture.h"

namespace {

using subhost::Generation;
using Host = PluginTest;

// A fresh instance starts at 30 frames per second (the fixture sets 30 after every test, so only
// a fresh one shows the value it starts with); zero and negative speeds are stored as given.
TEST_F(Host, DefaultPlaySpeedStartsAt30AndTakesAnyValue) {
  EXPECT_EQ(Fresh("speed.so").Xamo_GetDefaultPlaySpeed(), 30.0);
  x.Xamo_SetDefaultPlaySpeed(-5.0f);
  EXPECT_EQ(x.Xamo_GetDefaultPlaySpeed(), -5.0);
}

class HostObjects : public PluginTest, public ::testing::WithParamInterface<Generation> {};
INSTANTIATE_TEST_SUITE_P(BothGenerations, HostObjects, ::testing::Values(Generation::Classic, Generation::Current));

// Object 300 keeps its number where its generation does; object 1 in both places (small numbers
// can), where the camera-mask word, all bits set only where the record's own generation keeps
// it, decides. Total frames and key counts, read from moved fields, show each decision. A missing
// object or host gives quiet results.
TEST_P(HostObjects, StatisticsReadTheTreeAndTheHostsOwnKeysOfEitherGeneration) {
  const bool classic = GetParam() == Generation::Classic;
  sObject* o = subhost::MakeObject(1, 4, GetParam());
  subhost::SetWord(o, (classic ? kCurrentObjectFields : kClassicObjectFields).objectNumber, 1);
  subhost::LinkTree(o, {-1, 0, 1, 2});
  subhost::SetTotalAnimFrames(subhost::MakeObject(300, 0, GetParam()), 7.0f);
  EXPECT_EQ(x.Xamo_ObjTotalAnimFrames(300), 7.0);
  EXPECT_EQ(x.Xamo_ObjTotalLimbs(300), 0u);
  EXPECT_EQ(x.Xamo_ObjTotalLimbs(1), 4u);
  EXPECT_EQ(x.Xamo_ObjFindLimbParent(1, 3), 2u);
  EXPECT_EQ(x.Xamo_ObjFindLimbParent(1, 4), 0u);  // limb == limbCount
  EXPECT_EQ(x.Xamo_ObjIsLimbChild(1, 1, 3), 1u);
  EXPECT_EQ(x.Xamo_ObjIsLimbChild(1, 3, 1), 0u);
  EXPECT_EQ(x.Xamo_ObjTotalLimbs(99) + x.Xamo_ObjFindLimbParent(99, 0), 0u);
  EXPECT_EQ(x.Xamo_ObjTotalAnimFrames(99), 0.0);
  x.ReceiveCoreDataPtr(nullptr);  // no core data: GetObjectA cannot be looked up
  EXPECT_EQ(x.Xamo_ObjTotalLimbs(1), 0u);
  x.ReceiveCoreDataPtr(subhost::CoreData());
  sLimbAnim* a1 = subhost::AddLimbAnim(o, 1);
  sLimbAnim* a3 = subhost::AddLimbAnim(o, 3);  // last in the list
  for (uint32_t t = 0; t < 3; ++t) subhost::AddMatrixKey(a1, t * 10, kIdentity.m);
  subhost::AddRotationKey(a3, 0, 0, 0, 0, 1);
  subhost::AddPositionKey(a3, 0, 1, 2, 3);
  subhost::AddPositionKey(a3, 5, 1, 2, 3);
  subhost::AddScaleKey(a3, 0, 1, 1, 1);
  // Without total frames the keys are not looked at.
  EXPECT_EQ(x.Xamo_ObjTotalMatrixKeys(1, 1) + x.Xamo_ObjTotalAnimFrames(1), 0.0);
  subhost::SetTotalAnimFrames(o, 12.5f);
  EXPECT_EQ(x.Xamo_ObjTotalAnimFrames(1), 12.5);
  EXPECT_EQ(x.Xamo_ObjTotalMatrixKeys(1, 1), 3u);
  EXPECT_EQ(x.Xamo_ObjTotalRotationKeys(1, 1), 0u);  // kinds are counted apart
  EXPECT_EQ(x.Xamo_ObjTotalRotationKeys(1, 3), 1u);
  EXPECT_EQ(x.Xamo_ObjTotalPositionKeys(1, 3), 2u);
  EXPECT_EQ(x.Xamo_ObjTotalScaleKeys(1, 3), 1u);
  EXPECT_EQ(x.Xamo_ObjTotalMatrixKeys(1, 2), 0u);  // limb without animation
}

// Neither number word matches and the host has no marker export: the four moved fields are
// neither read nor written, everything else still works. Then the marker export appears (as on
// the current release) and the same record is taken as current. The marker cannot be taken back
// within the process, so both halves live in one test.
TEST_F(Host, UndecidedGenerationTouchesNoMovedFieldUntilTheHostShowsItsMarker) {
  sObject* o = subhost::MakeObject(20, 3, Generation::Current);
  subhost::SetWord(o, kCurrentObjectFields.objectNumber, 999);
  subhost::SetTotalAnimFrames(o, 5.0f);
  const std::vector<uint8_t> before(reinterpret_cast<uint8_t*>(o),
                                    reinterpret_cast<uint8_t*>(o) + subhost::RecordSize(Generation::Current));
  EXPECT_EQ(x.Xamo_ObjTotalAnimFrames(20), 0.0);
  EXPECT_EQ(x.Xamo_ObjTotalLimbs(20), 3u);
  HostObject obj;
  ASSERT_TRUE(HostGetObject(20, &obj));
  EXPECT_EQ(obj.fields, nullptr);  // undecided
  HostMarkLimbsChanged(obj);
  HostMarkBoundsChanged(obj);
  EXPECT_EQ(memcmp(before.data(), o, before.size()), 0) << "an undecided record was written";

  ASSERT_TRUE(subhost::ExportCurrentGenerationMarker());
  EXPECT_EQ(x.Xamo_ObjTotalAnimFrames(20), 5.0);
}

}  // namespace
