// The plug-in as the host sees it: every row of the command table is exported under its name,
// the entry points behave, and commands on objects reach the host through GetObjectA.
#include <dlfcn.h>

#include "support/plugin_fixture.h"
#include "support/text.h"

namespace {

TEST(CommandTable, RowsAreWellFormedAndEveryExportIsThere) {
  const std::vector<std::string> rows = Lines(ReadText(XAMO_TABLE_PATH));
  ASSERT_EQ(rows.size(), 97u);
  void* lib = dlopen(XAMO_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr) << dlerror();
  for (const std::string& row : rows) {
    const std::vector<std::string> f = Split(row, '%');
    ASSERT_GE(f.size(), 3u) << row;
    std::string name = f[0];
    const bool returns = !name.empty() && name.back() == '[';
    if (returns) name.pop_back();
    EXPECT_EQ(name.rfind("Xamo_", 0), 0u) << row;
    // The decoration names the command and has a result code exactly when the row has '['.
    EXPECT_EQ(f[2].rfind("?" + name + "@@YA", 0), 0u) << row;
    EXPECT_EQ(f[2][name.size() + 5] != 'X', returns) << row;
    const size_t params = f[1].size() - (returns ? 1 : 0);
    EXPECT_EQ(f.size() == 4, params > 0) << row;
    std::string elf = f[2];
    for (char& c : elf)
      if (c == '@') c = '$';
    EXPECT_NE(dlsym(lib, elf.c_str()), nullptr) << elf;
  }
  EXPECT_NE(dlsym(lib, "?ReceiveCoreDataPtr$$YAXPAX$Z"), nullptr);
  // Nothing is exported under a plain name.
  EXPECT_EQ(dlsym(lib, "Xamo_AnimLoad"), nullptr);
  EXPECT_EQ(dlsym(lib, "ReceiveCoreDataPtr"), nullptr);
  EXPECT_EQ(dlsym(lib, "FindLimbParent"), nullptr);
  dlclose(lib);
}

using Exports = PluginTest;

TEST_F(Exports, DefaultPlaySpeedIsStoredInSinglePrecision) {
  EXPECT_EQ(x.Xamo_GetDefaultPlaySpeed(), 30.0);
  x.Xamo_SetDefaultPlaySpeed(0.1f);
  EXPECT_EQ(x.Xamo_GetDefaultPlaySpeed(), 0.10000000149011612);
  x.Xamo_SetDefaultPlaySpeed(-5.0f);
  x.Xamo_AnimWrite(0xDEADBEEF);
  EXPECT_EQ(x.Xamo_GetDefaultPlaySpeed(), -5.0);
}

// The limb tree and the fields every generation keeps give the same answers on both; a missing
// object or host gives quiet results.
class ObjectStatistics : public PluginTest, public ::testing::WithParamInterface<subhost::Generation> {};
INSTANTIATE_TEST_SUITE_P(BothGenerations, ObjectStatistics,
                         ::testing::Values(subhost::Generation::Classic, subhost::Generation::Current));

TEST_P(ObjectStatistics, ReadTheTreeAndTheHostsOwnKeys) {
  sObject* o = subhost::MakeObject(1, 4, GetParam());
  subhost::LinkTree(o, {-1, 0, 1, 2});
  EXPECT_EQ(x.Xamo_ObjTotalLimbs(1), 4u);
  EXPECT_EQ(x.Xamo_ObjFindLimbParent(1, 3), 2u);
  EXPECT_EQ(x.Xamo_ObjFindLimbParent(1, 4), 0u);  // limb == limbCount
  EXPECT_EQ(x.Xamo_ObjIsLimbChild(1, 1, 3), 1u);
  EXPECT_EQ(x.Xamo_ObjIsLimbChild(1, 3, 1), 0u);
  EXPECT_EQ(x.Xamo_ObjIsLimbChild(1, 4, 1), 0u);
  subhost::MakeObject(8, 0, GetParam());
  EXPECT_EQ(x.Xamo_ObjTotalLimbs(8), 0u);
  EXPECT_EQ(x.Xamo_ObjTotalLimbs(99) + x.Xamo_ObjFindLimbParent(99, 0), 0u);
  EXPECT_EQ(x.Xamo_ObjTotalAnimFrames(99), 0.0);
  x.ReceiveCoreDataPtr(nullptr);  // no core data: GetObjectA cannot be looked up
  EXPECT_EQ(x.Xamo_ObjTotalLimbs(1), 0u);
  x.ReceiveCoreDataPtr(subhost::CoreData());
  sLimbAnim* a1 = subhost::AddLimbAnim(o, 1);
  sLimbAnim* a3 = subhost::AddLimbAnim(o, 3);  // last in the list
  const float id[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  for (uint32_t t = 0; t < 3; ++t) subhost::AddMatrixKey(a1, t * 10, id);
  subhost::AddRotationKey(a3, 0, 0, 0, 0, 1);
  subhost::AddPositionKey(a3, 0, 1, 2, 3);
  subhost::AddPositionKey(a3, 5, 1, 2, 3);
  subhost::AddScaleKey(a3, 0, 1, 1, 1);
  // Without total frames the data is not looked at.
  EXPECT_EQ(x.Xamo_ObjTotalMatrixKeys(1, 1), 0u);
  EXPECT_EQ(x.Xamo_ObjTotalAnimFrames(1), 0.0);
  subhost::SetTotalAnimFrames(o, 12.5f);
  EXPECT_EQ(x.Xamo_ObjTotalAnimFrames(1), 12.5);
  EXPECT_EQ(x.Xamo_ObjTotalMatrixKeys(1, 1), 3u);
  EXPECT_EQ(x.Xamo_ObjTotalRotationKeys(1, 1), 0u);
  EXPECT_EQ(x.Xamo_ObjTotalRotationKeys(1, 3), 1u);
  EXPECT_EQ(x.Xamo_ObjTotalPositionKeys(1, 3), 2u);
  EXPECT_EQ(x.Xamo_ObjTotalScaleKeys(1, 3), 1u);
  EXPECT_EQ(x.Xamo_ObjTotalMatrixKeys(1, 2), 0u);   // limb without animation
  EXPECT_EQ(x.Xamo_ObjTotalMatrixKeys(1, 4), 0u);   // limb == limbCount
  EXPECT_EQ(x.Xamo_ObjTotalMatrixKeys(1, 1000), 0u);
}

}  // namespace
