// Telling the host's two object-record generations apart, and what commands do with the answer.
#include <string.h>

#include <vector>

#include "plugin/host.h"
#include "support/plugin_fixture.h"

namespace {

using subhost::Generation;

class HostGeneration : public PluginTest {};

TEST_F(HostGeneration, ObjectNumberWordDecidesAndTheCameraMaskWhenBothMatch) {
  EXPECT_EQ(HostDetectGeneration(subhost::MakeObject(300, 2, Generation::Classic), 300), &kClassicObjectFields);
  EXPECT_EQ(HostDetectGeneration(subhost::MakeObject(301, 2, Generation::Current), 301), &kCurrentObjectFields);
  // Small object numbers can stand in both places; the camera mask defaults to all bits set
  // only where the record's own generation keeps it.
  sObject* classic = subhost::MakeObject(3, 2, Generation::Classic);
  subhost::SetWord(classic, kCurrentObjectFields.objectNumber, 3);
  EXPECT_EQ(HostDetectGeneration(classic, 3), &kClassicObjectFields);
  sObject* current = subhost::MakeObject(4, 2, Generation::Current);
  subhost::SetWord(current, kClassicObjectFields.objectNumber, 4);
  EXPECT_EQ(HostDetectGeneration(current, 4), &kCurrentObjectFields);
}

// Neither number word matches and the host has no marker export: the four moved fields are
// neither read nor written, everything else still works. Then the marker export appears (as on
// the current release) and the same record is taken as current. The marker cannot be taken back
// within the process, so both halves live in one test.
TEST_F(HostGeneration, UndecidedTouchesNoMovedFieldUntilTheHostShowsItsMarker) {
  sObject* o = subhost::MakeObject(20, 3, Generation::Current);
  subhost::SetWord(o, kCurrentObjectFields.objectNumber, 999);
  sLimbAnim* a = subhost::AddLimbAnim(o, 1);
  subhost::AddScaleKey(a, 0, 1, 1, 1);
  subhost::SetTotalAnimFrames(o, 5.0f);
  const std::vector<uint8_t> before(reinterpret_cast<uint8_t*>(o),
                                    reinterpret_cast<uint8_t*>(o) + subhost::RecordSize(Generation::Current));
  EXPECT_EQ(HostDetectGeneration(o, 20), nullptr);
  EXPECT_EQ(x.Xamo_ObjTotalAnimFrames(20), 0.0);
  EXPECT_EQ(x.Xamo_ObjTotalScaleKeys(20, 1), 0u);
  EXPECT_EQ(x.Xamo_ObjTotalLimbs(20), 3u);
  HostObject obj;
  ASSERT_TRUE(HostGetObject(20, &obj));
  EXPECT_EQ(obj.fields, nullptr);
  HostMarkLimbsChanged(obj);
  HostMarkBoundsChanged(obj);
  EXPECT_EQ(memcmp(before.data(), o, before.size()), 0) << "an undecided record was written";

  ASSERT_TRUE(subhost::ExportCurrentGenerationMarker());
  EXPECT_EQ(HostDetectGeneration(o, 20), &kCurrentObjectFields);
  EXPECT_EQ(x.Xamo_ObjTotalAnimFrames(20), 5.0);
  EXPECT_EQ(x.Xamo_ObjTotalScaleKeys(20, 1), 1u);
}

}  // namespace
