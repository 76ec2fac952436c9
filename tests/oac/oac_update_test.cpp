// The controller update driven through the commands: frames wrapping and stopping at the range
// ends, transitions and their hand-over, limb references, inactive limbs, the limb's own
// transform, and animations deleted while a controller still names them. The blend arithmetic of
// both model types is checked against a double-precision reference in update_reference_test.
#include "oac/oac_helpers.h"

namespace {

using namespace oactest;

class OacUpdate : public PluginTest {
 protected:
  // Object 1: limbs 0 -> 1 -> 2. Animation z has keys at 0, 10, 20, 30 rotating about Z by as many
  // degrees, so that frame f shows a rotation of f degrees; q and r hold Z rotations of 90 and -90.
  void SetUp() override {
    PluginTest::SetUp();
    o = Tree(1, {-1, 0, 1});
    c = x.Xamo_oacCreate(1);
    z = LoadAnim(x, TempPath("z.anim"), std::vector<Track>(3, ZTrack({0, 10, 20, 30})));
    q = LoadAnim(x, TempPath("q.anim"), std::vector<Track>(3, Track{{0, RotZ(90)}, {30, RotZ(90)}}));
    r = LoadAnim(x, TempPath("r.anim"), std::vector<Track>(3, Track{{0, RotZ(-90)}, {30, RotZ(-90)}}));
  }
  double Frame(uint32_t limb = 1) { return x.Xamo_oacGetCurrentFrame(c, limb); }
  sObject* o;
  uint32_t c, z, q, r;
};

// One row per play: the range, looping or not, a negative speed or the animation's own (30, so
// 100 ms advance 3 frames), the updates, then the frame and shown angle after each.
TEST_F(OacUpdate, RangesWrapOnceAtEitherEndOrStopAndHold) {
  const struct {
    float start, current, end;
    int loop;
    float speed;
    std::vector<std::pair<uint32_t, double>> steps;  // (ms, frame); frame f shows f degrees
    int active;
  } cases[] = {
      {10, 19, 20, 1, 0, {{100, 12}}, 1},                      // 19 + 3 = 22, wrapped to 12
      {10, 19, 20, 1, 0, {{1000, 39}, {0, 29}, {0, 19}}, 1},   // 49 wrapped once to 39, and on
      {10, 11, 20, 1, -30, {{100, 18}}, 1},                    // 11 - 3 = 8, wrapped to 18
      {15, 15, 15, 1, 0, {{100, 15}}, 1},                      // a range of one frame stays
      {10, 19, 20, 0, 0, {{100, 20}, {500, 20}}, 0},           // stops at the end and holds
      {10, 11, 20, 0, -30, {{100, 10}, {500, 10}}, 0},         // backwards it stops at the start
  };
  for (const auto& k : cases) {
    x.Xamo_oacPlayAnim(c, 1, z, k.start, k.current, k.end, k.loop, 1);
    if (k.speed != 0) x.Xamo_oacSetLimbPlayAnimSpeed(c, 1, k.speed, 1);
    for (const auto& s : k.steps) {
      x.Xamo_oacUpdate(c, s.first);
      EXPECT_EQ(Frame(), s.second) << k.start << ".." << k.end << " from " << k.current;
      // Past the last key (frame 39) the last key is shown; a stopped limb keeps its pose.
      ExpectNear(AnimMatrix(o, 1), RotZ(static_cast<float>(s.second < 30 ? s.second : 30)));
    }
    EXPECT_EQ(x.Xamo_oacGetLimbIsActive(c, 1), k.active);
  }
}

TEST_F(OacUpdate, PlaybackCommandsClampSelectAndOpenTheEnd) {
  Tree(2, kSixLimbs);
  const uint32_t d = x.Xamo_oacCreate(2);
  std::vector<Track> tracks(6, ZTrack({0, 10, 20, 40}));
  tracks[1] = ZTrack({0, 10, 40});
  tracks[5] = ZTrack({0, 25});
  const uint32_t a = LoadAnim(x, TempPath("a.anim"), tracks);
  x.Xamo_oacPlayAnim(d, 1, a, 50, 45, -1, 1, 0);
  EXPECT_EQ(x.Xamo_oacGetLimbStartFrame(d, 1), 40.0);  // clamped to limb 1's last key
  EXPECT_EQ(x.Xamo_oacGetCurrentFrame(d, 5), 40.0);
  EXPECT_EQ(x.Xamo_oacGetLimbEndFrame(d, 5), 25.0);  // open end: each limb's own last key
  // SetFrame: ExChild 1 changes the limb alone, 0 the limb and every descendant.
  x.Xamo_oacSetFrame(d, 4, a, 5, 1);
  EXPECT_EQ(x.Xamo_oacGetCurrentFrame(d, 5), 40.0);
  x.Xamo_oacSetFrame(d, 1, a, -3, 0);
  for (uint32_t i = 1; i < 6; ++i) EXPECT_EQ(x.Xamo_oacGetLimbEndFrame(d, i), -3.0) << i;  // not an open end
  // Limb 0 or a limb out of range changes nothing.
  x.Xamo_oacPlayAnim(d, 0, a, 1, 2, 3, 0, 0);
  x.Xamo_oacPlayAnim(d, 6, a, 1, 2, 3, 0, 0);
  for (uint32_t i = 0; i < 6; ++i) EXPECT_NE(x.Xamo_oacGetLimbStartFrame(d, i), 1.0);
  // An animation with fewer limbs than the object bounds the selection and the guard.
  const uint32_t small = LoadAnim(x, TempPath("s.anim"), std::vector<Track>(3, ZTrack({0, 10})));
  x.Xamo_oacSetFrame(d, 1, small, 7, 0);
  EXPECT_EQ(x.Xamo_oacGetCurrentFrame(d, 2), 7.0);
  EXPECT_EQ(x.Xamo_oacGetCurrentFrame(d, 3), -3.0);
  x.Xamo_oacSetFrame(d, 4, small, 7, 0);
  EXPECT_EQ(x.Xamo_oacGetCurrentFrame(d, 4), -3.0);
}

// Limb 1 has its own offset, scale and rotation U, so it shows its pose times U; the pose a
// transition cut short freezes must not carry U twice.
TEST_F(OacUpdate, TransitionBlendsByTimeUsedHandsOverOrIsCutShortAndZeroTimeSwitchesAtOnce) {
  const float parts[9] = {1, 2, 3, 1, 2, 1, 10, 20, 30};  // offset, scale, rotation: nine floats in a row
  memcpy(subhost::Limb(o, 1)->limbOffset, parts, sizeof parts);
  const Mat4 u = testanim::Compose(1, 2, 1, 10, 20, 30, 1, 2, 3);
  x.Xamo_oacSetFrame(c, 1, z, 0, 1);
  x.Xamo_oacAnimTransition(c, 1, q, 0, 0, 30, 500, 1, 1);
  for (int step = 1; step <= 5; ++step) {
    x.Xamo_oacUpdate(c, 100);
    EXPECT_FLOAT_EQ(static_cast<float>(x.Xamo_oacGetLimbTransInterpol(c, 1)), 0.2f * step);
    ExpectNear(AnimMatrix(o, 1), Mul(RotZ(18.0f * step), u));
    EXPECT_EQ(x.Xamo_oacGetLimbTransIsActive(c, 1), step < 5 ? 1 : 0);
  }
  EXPECT_EQ(Frame(), 15.0);  // the play record goes on with the transition's frame, advanced 5 x 3
  // Into the same animation again: ignored, however long after.
  x.Xamo_oacAnimTransition(c, 1, q, 0, 0, 30, 900, 0, 1);
  EXPECT_EQ(x.Xamo_oacGetLimbTransTotalTime(c, 1), 500u);
  // Cut short: the cut transition's animation moves to the play record, which holds the matrix
  // shown then, and the new transition starts from it.
  x.Xamo_oacAnimTransition(c, 1, z, 0, 12.9f, 30, 500, 0, 1);
  EXPECT_EQ(x.Xamo_oacGetLimbTransCurrentFrame(c, 1), 12u);
  x.Xamo_oacUpdate(c, 300);
  const Mat4 shown = AnimMatrix(o, 1);
  x.Xamo_oacAnimTransition(c, 1, r, 0, 0, 30, 1000, 1, 1);
  ExpectNear(AnimMatrix(o, 1), shown);
  EXPECT_EQ(x.Xamo_oacGetLimbPlayAnimID(c, 1), z);
  EXPECT_EQ(x.Xamo_oacGetLimbTransAnimID(c, 1), r);
  // One long update completes a transition at once.
  x.Xamo_oacUpdate(c, 10000);
  EXPECT_EQ(x.Xamo_oacGetLimbTransTimeUsed(c, 1), 1000u);
  EXPECT_EQ(x.Xamo_oacGetLimbPlayAnimID(c, 1), r);
  // A transition of zero time switches within the command; a limb the update skips keeps its
  // transition pending.
  x.Xamo_oacSetLimbActive(c, 2, 0);
  x.Xamo_oacAnimTransition(c, 1, q, 0, 0, 30, 0, 0, 0);
  EXPECT_EQ(x.Xamo_oacGetLimbPlayAnimID(c, 1), q);
  EXPECT_EQ(x.Xamo_oacGetLimbIsActive(c, 1), 1);
  ExpectNear(AnimMatrix(o, 1), Mul(RotZ(90), u));
  EXPECT_EQ(x.Xamo_oacGetLimbTransIsActive(c, 2), 1);
}

// Limb 2 moved along Z by its own offset: the held blend comes before the limb's own transform.
TEST_F(OacUpdate, InterpolatedFrameIsHeldAsTheBlend) {
  subhost::Limb(o, 2)->limbOffset[2] = 5;
  x.Xamo_oacSetInterpolFrame(c, 1, z, 0, q, 0, 0.25f, 0);
  ExpectNear(AnimMatrix(o, 2), Mul(RotZ(22.5f), Move(0, 0, 5)));
  const Mat4 shown[2] = {AnimMatrix(o, 1), AnimMatrix(o, 2)};
  x.Xamo_oacUpdate(c, 100);  // neither record runs on: both limbs keep the very bits
  for (uint32_t limb = 1; limb <= 2; ++limb) EXPECT_TRUE(SameMatrix(AnimMatrix(o, limb), shown[limb - 1])) << limb;
  for (float factor : {1.7f, -0.5f}) {  // a factor past 1, either way, is lowered to the whole transition
    x.Xamo_oacSetInterpolFrame(c, 1, z, 0, q, 0, factor, 1);
    EXPECT_EQ(x.Xamo_oacGetLimbTransTimeUsed(c, 1), 1000u) << factor;
  }
}

TEST_F(OacUpdate, ReferencesInactiveLimbsAndTheLimbTransform) {
  sObject* six = subhost::MakeObject(2, 6);
  const uint32_t d = x.Xamo_oacCreate(2);
  const uint32_t a = LoadAnim(x, TempPath("a.anim"), std::vector<Track>(6, ZTrack({0, 10, 20, 30})));
  for (uint32_t i = 1; i < 6; ++i) x.Xamo_oacPlayAnim(d, i, a, 0, i == 5 ? 20.0f : 12.0f, 30, 1, 1);
  const Mat4 marker = Move(7, 7, 7);
  SetMatrix(subhost::Limb(six, 3)->animMatrix, marker);
  x.Xamo_oacSetLimbReference(d, 3, 5);
  x.Xamo_oacSetLimbActive(d, 4, 0);
  x.Xamo_oacSetLimbReference(d, 2, -1);
  x.Xamo_oacUpdate(d, 100);
  ExpectNear(AnimMatrix(six, 5), RotZ(23));  // limb 3 writes there too, but limb 5 comes later
  EXPECT_TRUE(SameMatrix(AnimMatrix(six, 3), marker));
  EXPECT_NEAR(x.Xamo_oacGetLimbRotZ(d, 3), 15.0, 1e-4);
  EXPECT_EQ(x.Xamo_oacGetCurrentFrame(d, 2), 12.0);  // skipped: not advanced
  EXPECT_EQ(x.Xamo_oacGetCurrentFrame(d, 4), 12.0);
  // Limb 0 is written from its held pose times its own transform: scale, rotate about Z, move.
  sLimb* root = subhost::Limb(six, 0);
  root->limbScale[0] = root->limbScale[1] = root->limbScale[2] = 2;
  root->limbRotation[2] = 90;
  root->limbOffset[0] = 1;
  x.Xamo_oacUpdate(d, 0);
  const Mat4 want = {{0, 2, 0, 0, -2, 0, 0, 0, 0, 0, 2, 0, 1, 0, 0, 1}};
  ExpectNear(AnimMatrix(six, 0), want);
  EXPECT_NEAR(x.Xamo_oacGetLimbScaleY(d, 0), 200.0, 1e-4);
  // The cached transform follows a change of the limb's parts.
  root->limbOffset[0] = 4;
  x.Xamo_oacUpdate(d, 0);
  EXPECT_EQ(AnimMatrix(six, 0).m[12], 4.0f);
  // So do a reference and a switch set between updates.
  x.Xamo_oacSetLimbReference(d, 2, 2);
  x.Xamo_oacUpdate(d, 100);
  EXPECT_EQ(x.Xamo_oacGetCurrentFrame(d, 2), 15.0);
  x.Xamo_oacSetLimbActive(d, 4, 1);
  x.Xamo_oacUpdate(d, 100);
  EXPECT_EQ(x.Xamo_oacGetCurrentFrame(d, 4), 15.0);
}

// q and r were loaded before the deletions: on 32-bit builds a handle is the record's address,
// which a later animation could reuse.
TEST_F(OacUpdate, DeletedAnimationsLeaveTheirLimbsHolding) {
  x.Xamo_oacPlayAnim(c, 1, z, 0, 5, 30, 1, 0);
  x.Xamo_oacAnimTransition(c, 2, q, 0, 0, 30, 1000, 1, 1);
  x.Xamo_oacUpdate(c, 100);
  const Mat4 one = AnimMatrix(o, 1);
  x.Xamo_AnimDelete(z);
  x.Xamo_oacUpdate(c, 100);
  EXPECT_TRUE(SameMatrix(AnimMatrix(o, 1), one));
  EXPECT_EQ(Frame(), 8.0);
  const Mat4 two = AnimMatrix(o, 2);
  x.Xamo_AnimDelete(q);
  x.Xamo_oacUpdate(c, 100);
  EXPECT_EQ(x.Xamo_oacGetLimbTransTimeUsed(c, 2), 200u);  // not advanced any more
  EXPECT_TRUE(SameMatrix(AnimMatrix(o, 2), two));  // the last blend is held
  // A dead animation handle makes the playback commands do nothing.
  x.Xamo_oacPlayAnim(c, 1, z, 1, 2, 3, 0, 0);
  x.Xamo_oacSetInterpolFrame(c, 1, z, 1, q, 2, 0.5f, 0);
  EXPECT_EQ(x.Xamo_oacGetLimbStartFrame(c, 1), 0.0);
  // A new transition cuts the one into the deleted animation short; the limb goes on.
  x.Xamo_oacAnimTransition(c, 2, r, 0, 0, 30, 0, 1, 1);
  ExpectNear(AnimMatrix(o, 2), RotZ(-90));
}

// The change flags, on objects of either host generation.
class OacFlags : public PluginTest, public ::testing::WithParamInterface<subhost::Generation> {};

TEST_P(OacFlags, UpdateAndGlobalRotationRaiseTheObjectFlags) {
  sObject* o = subhost::MakeObject(1, 3, GetParam());
  // The four words where a classic record keeps the moved fields; a current record's must stay.
  const auto classic = [o] { return std::vector<uint32_t>{subhost::Word(o, 1160), subhost::Word(o, 1164),
                                                          subhost::Word(o, 1236), subhost::Word(o, 1260)}; };
  const std::vector<uint32_t> words = classic();
  const uint32_t c = x.Xamo_oacCreate(1);
  typedef std::vector<int> F;  // limbs changed, bounds changed (both flags)
  const auto flags = [o] { return F{subhost::LimbsChanged(o), subhost::BoundsChangedA(o), subhost::BoundsChangedB(o)}; };
  subhost::ClearChangeFlags(o);
  x.Xamo_oacUpdate(c, 16);
  EXPECT_EQ(flags(), (F{1, 0, 0}));
  x.Xamo_oacSetUpdateBounds(c, 1);
  subhost::ClearChangeFlags(o);
  x.Xamo_oacUpdate(c, 0);
  EXPECT_EQ(flags(), (F{1, 1, 1}));
  subhost::ClearChangeFlags(o);
  x.Xamo_ObjGlobalRotateLimb(1, 2, 0, 0, 0);
  EXPECT_EQ(flags(), (F{1, 1, 1}));
  x.Xamo_oacDelete(c);  // a dead handle updates nothing
  subhost::ClearChangeFlags(o);
  x.Xamo_oacUpdate(c, 16);
  EXPECT_EQ(subhost::LimbsChanged(o), 0);
  if (GetParam() == subhost::Generation::Current) {
    EXPECT_EQ(classic(), words) << "a classic field was written";
  }
}

INSTANTIATE_TEST_SUITE_P(BothGenerations, OacFlags,
                         ::testing::Values(subhost::Generation::Classic, subhost::Generation::Current));

}  // namespace
