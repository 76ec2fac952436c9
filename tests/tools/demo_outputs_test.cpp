// The demo's outputs, as the ctest entry "demo" wrote them into the build tree (run by the
// "demo_outputs" entry after it): the animation and controller files load back through the
// plug-in, the CSV shows the upper body's transition rising to 1 and the held frame holding, and
// the picture names every limb.
#include <math.h>
#include <stdlib.h>

#include <algorithm>
#include <map>

#include "support/plugin_fixture.h"
#include "support/text.h"

namespace {

const std::string kOut = XAMO_DEMO_OUT;
const uint32_t kLimbs = 15;
const uint32_t kSpine = 2, kForeArmR = 8, kThighL = 9, kShinL = 10, kFootL = 11;

using DemoOutputs = PluginTest;

TEST_F(DemoOutputs, AnimationAndControllerFilesLoadBack) {
  std::string walkPath = kOut + "/walk.xam", wavePath = kOut + "/wave.xam";
  const uint32_t walk = x.Xamo_AnimLoad(&walkPath[0]), wave = x.Xamo_AnimLoad(&wavePath[0]);
  for (uint32_t anim : {walk, wave}) {
    EXPECT_EQ(x.Xamo_AnimGetTotalLimbs(anim), kLimbs) << (anim == walk ? "walk" : "wave");
    EXPECT_EQ(x.Xamo_AnimGetTotalFrames(anim), 40u) << (anim == walk ? "walk" : "wave");
  }
  x.Xamo_AnimDelete(wave);
  // The walk's thigh got keys every 10 frames, swinging back and forth about X.
  ASSERT_EQ(x.Xamo_AnimGetLimbKeys(walk, kThighL), 5u);
  for (uint32_t k = 0; k < 5; ++k) EXPECT_EQ(x.Xamo_AnimGetLimbKeyTime(walk, kThighL, k), 10 * k);
  EXPECT_NEAR(x.Xamo_AnimGetKeyRotX(walk, kThighL, 0), -x.Xamo_AnimGetKeyRotX(walk, kThighL, 2), 1e-3);
  EXPECT_GT(fabs(x.Xamo_AnimGetKeyRotX(walk, kThighL, 0)), 10.0);
  // A limb that neither animation moves keeps two identity keys, the second moved to frame 40.
  EXPECT_EQ(x.Xamo_AnimGetLimbKeys(walk, kFootL), 2u);
  EXPECT_EQ(x.Xamo_AnimGetLimbKeyTime(walk, kFootL, 1), 40u);
  EXPECT_EQ(x.Xamo_AnimGetKeyRotX(walk, kFootL, 1), 0.0);
  x.Xamo_AnimDelete(walk);

  // The controller loads onto a biped of the same size only; its limb tree travels in the file
  // (the object here has no links at all).
  std::string path = kOut + "/biped.oac";
  subhost::MakeObject(1, kLimbs);
  uint32_t oac = x.Xamo_oacLoad(const_cast<char*>(path.c_str()), 1);
  ASSERT_NE(oac, 0u);
  EXPECT_EQ(x.Xamo_oacGetParentLimb(oac, kFootL), kShinL);
  EXPECT_EQ(x.Xamo_oacIsLimbChild(oac, kSpine, kForeArmR), 1u);
  EXPECT_EQ(x.Xamo_oacIsLimbChild(oac, kSpine, kThighL), 0u);
  x.Xamo_oacDelete(oac);

  subhost::MakeObject(2, kLimbs - 1);
  EXPECT_EQ(x.Xamo_oacLoad(const_cast<char*>(path.c_str()), 2), 0u);
}

TEST_F(DemoOutputs, CsvShowsTheTransitionRisingToOneAndTheHeldFrameHolding) {
  const std::vector<std::string> lines = Lines(ReadText(kOut + "/limbs.csv"));
  ASSERT_FALSE(lines.empty());
  const std::vector<std::string> head = Split(lines[0], ',');
  std::vector<size_t> at;
  for (const char* name : {"time_ms", "limb", "trans_factor", "world_x", "world_y", "world_z"}) {
    at.push_back(std::find(head.begin(), head.end(), name) - head.begin());
    ASSERT_LT(at.back(), head.size()) << name;
  }
  struct Row { long time; double factor; std::string where, z; };
  std::map<unsigned long, std::vector<Row>> limbs;  // each limb's rows, one per update
  for (size_t i = 1; i < lines.size(); ++i) {
    const std::vector<std::string> f = Split(lines[i], ',');
    ASSERT_EQ(f.size(), head.size()) << lines[i];
    limbs[std::stoul(f[at[1]])].push_back(
        {std::stol(f[at[0]]), std::stod(f[at[2]]), f[at[3]] + " " + f[at[4]] + " " + f[at[5]], f[at[5]]});
  }
  ASSERT_EQ(limbs.size(), kLimbs);
  const std::vector<Row>& spine = limbs[kSpine];
  ASSERT_GE(spine.size(), 180u) << "a few seconds at 60 updates per second";

  // The spine's factor: 0, then rising without a step back to exactly 1 within 500 ms and one update.
  size_t start = 0, one;
  while (start < spine.size() && spine[start].factor == 0.0) ++start;
  ASSERT_GT(start, 0u);
  for (one = start; one < spine.size() && spine[one].factor < 1.0; ++one)
    EXPECT_GE(spine[one].factor, spine[one - 1].factor) << "at " << spine[one].time << " ms";
  ASSERT_LT(one, spine.size()) << "the factor never reached 1";
  EXPECT_EQ(spine[one].factor, 1.0);
  EXPECT_NEAR(spine[one].time - spine[start - 1].time, 500, 17);

  // The legs were never in that transition. The last quarter second shows one held pose, while
  // the walk before the hold moved the feet.
  for (const Row& r : limbs[kThighL])
    EXPECT_TRUE(r.time >= spine[one].time || r.factor == 0.0) << "at " << r.time << " ms";
  for (const auto& [limb, rows] : limbs) {
    ASSERT_EQ(rows.size(), spine.size()) << "limb " << limb;
    for (const Row& r : rows)
      EXPECT_TRUE(r.time < rows.back().time - 250 || r.where == rows.back().where) << limb << " at " << r.time;
  }
  const std::vector<Row>& foot = limbs[kFootL];
  EXPECT_TRUE(std::any_of(foot.begin(), foot.end(), [&](const Row& r) { return r.time < 1000 && r.z != foot[0].z; }))
      << "the walk moves the left foot";
}

TEST_F(DemoOutputs, PictureIsOneSvgThatNamesEveryLimb) {
  std::string svg = ReadText(kOut + "/skeleton.svg");
  ASSERT_EQ(svg.compare(0, 4, "<svg"), 0);
  ASSERT_GE(svg.size(), 7u);
  EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
  for (const char* name : {"pelvis", "spine", "chest", "head", "upperarm.L", "forearm.L", "upperarm.R",
                           "forearm.R", "thigh.L", "shin.L", "foot.L", "thigh.R", "shin.R", "foot.R"})
    EXPECT_NE(svg.find(std::string(">") + name + "<"), std::string::npos) << name;
}

}  // namespace
