// The animation file: golden images, what the loader makes of damaged files, and save/load
// through the plug-in's exports.
#include <stdio.h>

#include "plugin/filebuf.h"
#include "support/anim_builders.h"
#include "support/plugin_fixture.h"

namespace {

using namespace testanim;

// tests/data/two_tracks_three_keys.xamo, 580 bytes = 36 + 68 * 2 * (3 + 1):
//   header: L = 8, "XAMOVELN", 1000, 0, 0, 2 tracks, stated total frames 99.0
//   track t (0, 1): reference = identity translated by (100 + t, 0, 0); 3 keys
//   key k of track t: scaling (1 + t, 1 + k, 1) translated by (10t + k, time, -1)
//   track 0 times 10 50 70, track 1 times 0 20 40; end mark 723.
// The keys give total frames 40: track 0 (which reaches 70) is not examined.
const uint32_t kGoldenTimes[2][3] = {{10, 50, 70}, {0, 20, 40}};
std::vector<uint8_t> Golden() { return ReadFile(XAMO_TEST_DATA "/two_tracks_three_keys.xamo"); }

Mat4 GoldenKey(uint32_t t, uint32_t k) {
  Mat4 m;
  MatScaling(&m, 1.0f + t, 1.0f + k, 1.0f);
  return Translated(m, 10.0f * t + k, static_cast<float>(kGoldenTimes[t][k]), -1.0f);
}

AnimData* Parse(const std::vector<uint8_t>& b) { return AnimParse(b.data(), b.size()); }

void ExpectEmpty(const AnimData* a, const std::string& what) {
  EXPECT_TRUE(a->limbCount == 0 && !a->tracks && a->totalFrames == 0 && a->playSpeed == 0 && a->endMark == 0)
      << what << ": " << a->limbCount << " tracks, total " << a->totalFrames << ", end " << a->endMark;
}

TEST(AnimFile, GoldenFileLoadsFieldByField) {
  const std::vector<uint8_t> file = Golden();
  ASSERT_EQ(file.size(), 580u);
  AnimData* a = Parse(file);
  ASSERT_EQ(a->limbCount, 2u);
  EXPECT_EQ(a->totalFrames, 40.0f);  // not the stated 99, not track 0's 70
  EXPECT_EQ(a->endMark, 723u);
  for (uint32_t t = 0; t < 2; ++t) {
    EXPECT_TRUE(SameMatrix(a->tracks[t].referenceMatrix, Translated(kIdentity, 100.0f + t, 0, 0)));
    ASSERT_EQ(a->tracks[t].keyCount, 3u);
    for (uint32_t k = 0; k < 3; ++k) {
      EXPECT_EQ(a->tracks[t].keys[k].time, kGoldenTimes[t][k]);
      EXPECT_TRUE(SameMatrix(a->tracks[t].keys[k].matrix, GoldenKey(t, k))) << t << "," << k;
    }
    ExpectKeptFacts(a->tracks[t]);
  }
  AnimFree(a);
}

// A 300-byte magic field: 255 characters are compared, all 300 are skipped. With a NUL right after
// the name the comparison succeeds and the rest of the file must be found past byte 304.
TEST(AnimFile, MagicIsComparedIgnoringCaseUpTo255Characters) {
  const std::vector<uint8_t> g = Golden();
  std::vector<uint8_t> lower = g, wrong = g;
  for (int i = 4; i < 12; ++i) lower[i] = static_cast<uint8_t>(tolower(lower[i]));
  wrong[11] = 'M';  // "XAMOVELM"
  Bytes nul, longer;
  nul.u32(300).text("XAMOVELN").text(std::string(292, '\0')).text(std::string(g.begin() + 12, g.end()));
  longer.u32(300).text("XAMOVELN").text(std::string(292, 'X')).text(std::string(g.begin() + 12, g.end()));
  const struct { std::vector<uint8_t> file; bool loads; } cases[] = {{lower, true}, {wrong, false}, {nul.b, true}, {longer.b, false}};
  for (const auto& c : cases) {
    AnimData* a = Parse(c.file);
    if (c.loads) {
      EXPECT_EQ(a->limbCount, 2u);
      EXPECT_EQ(a->totalFrames, 40.0f);
      EXPECT_EQ(a->endMark, 723u);
    } else {
      ExpectEmpty(a, "magic " + std::to_string(c.file.size()) + " bytes");
    }
    AnimFree(a);
  }
}

TEST(AnimFile, TotalFramesRule) {
  const Keys three = At({0, 20, 40});
  const struct { std::vector<Keys> tracks; uint32_t want; } cases[] = {
      {{}, 0},
      {{three}, 0},                                      // one track: never examined
      {{three, At({5}), At({7})}, 0},                     // tracks 1 and up have one key each
      {{At({10, 50}), three}, 40},                         // track 0 not examined
      {{At({}), At({90, 3}), At({0, 60, 61})}, 61},        // key 0 not examined, max over tracks
      {{At({}), At({0, 0xFFFFFFFFu})}, 0xFFFFFFFFu},
  };
  for (const auto& c : cases) {
    AnimData* a = Make(c.tracks);
    EXPECT_EQ(ComputeTotalFrames(a), c.want) << c.tracks.size() << " tracks";
    AnimFree(a);
  }
}

TEST(AnimFile, TrackWithoutKeysTakes68BytesAndLoadsWithRoomForAKey) {
  Bytes b;
  b.u32(8).text("XAMOVELN").u32(1000).u32(0).u32(0).u32(1).f32(0).matrix(kIdentity).u32(0).u32(723);
  ASSERT_EQ(b.b.size(), 36u + 68u);
  AnimData* a = Parse(b.b);
  ASSERT_EQ(a->limbCount, 1u);
  EXPECT_EQ(a->tracks[0].keyCount, 0u);
  EXPECT_NE(a->tracks[0].keys, nullptr);
  AnimFree(a);
}

// Every prefix of a valid file, counts the size cannot back, and empty or missing files load as
// the empty animation, with nothing allocated for the counts (the sanitizer build checks reads).
TEST(AnimFile, DamagedFilesLoadAsTheEmptyAnimation) {
  const std::vector<uint8_t> file = Golden();
  for (size_t n = 0; n < file.size(); ++n) {
    AnimData* a = AnimParse(file.data(), n);
    ExpectEmpty(a, "prefix " + std::to_string(n));
    AnimFree(a);
  }
  const struct { size_t offset; uint32_t value; const char* what; } damage[] = {
      {24, 0xFFFFFFFFu, "track count"},
      {24, 3, "one track too many"},
      {96, 0x7FFFFFFFu, "key count of track 0"},
      {96, 0x03C3C3C4u, "key count whose byte size wraps 32 bits"},
      {96 + 68 * 4, 4, "one key too many in track 1"},
      {0, 0xFFFFFFF0u, "magic length"},
  };
  for (const auto& d : damage) {
    std::vector<uint8_t> bad = file;
    memcpy(bad.data() + d.offset, &d.value, 4);
    AnimData* a = Parse(bad);
    ExpectEmpty(a, d.what);
    AnimFree(a);
  }
  for (AnimData* a : {AnimParse(nullptr, 0), AnimLoadFile("/nonexistent-folder/none.xamo")}) {
    ExpectEmpty(a, "no data or no file");
    AnimFree(a);
  }
}

using AnimFileCommands = PluginTest;

// Saved again, the golden file differs only in its total frames (40 computed, not 99 stated).
TEST_F(AnimFileCommands, SaveAndLoadRoundTripTakesTheDefaultSpeedAtLoadTime) {
  const uint32_t id = x.Xamo_AnimLoad(const_cast<char*>(XAMO_TEST_DATA "/two_tracks_three_keys.xamo"));
  ASSERT_EQ(x.Xamo_AnimGetTotalLimbs(id), 2u);
  x.Xamo_AnimSetPlaySpeed(id, 5.0f);
  const std::string path = TempPath("round.xamo");
  x.Xamo_AnimSave(id, const_cast<char*>(path.c_str()));
  x.Xamo_SetDefaultPlaySpeed(12.5f);
  const uint32_t back = x.Xamo_AnimLoad(const_cast<char*>(path.c_str()));
  EXPECT_EQ(x.Xamo_AnimGetPlaySpeed(back), 12.5);
  EXPECT_EQ(x.Xamo_AnimGetTotalFrames(back), 40u);
  std::vector<uint8_t> want = Golden();
  const float forty = 40.0f;
  memcpy(want.data() + 28, &forty, 4);
  EXPECT_EQ(ReadFile(path), want);

  // Deleted handles are dead: queries answer 0, a second delete and a save do nothing.
  x.Xamo_AnimDelete(id);
  x.Xamo_AnimDelete(id);
  EXPECT_EQ(x.Xamo_AnimGetTotalLimbs(id), 0u);
  const std::string none = TempPath("deleted.xamo");
  x.Xamo_AnimSave(id, const_cast<char*>(none.c_str()));
  EXPECT_EQ(fopen(none.c_str(), "rb"), nullptr);
  EXPECT_EQ(x.Xamo_AnimGetTotalFrames(back), 40u);
  x.Xamo_AnimDelete(back);
}

TEST_F(AnimFileCommands, EmptyMissingAndUnwritableFiles) {
  const std::string empty = TempPath("empty.xamo"), out = TempPath("empty-out.xamo");
  WriteFile(empty, {});
  for (const std::string& path : {empty, TempPath("missing.xamo"), TempPath("")}) {  // "" names the folder
    const uint32_t id = x.Xamo_AnimLoad(const_cast<char*>(path.c_str()));
    EXPECT_NE(id, 0u);
    EXPECT_EQ(x.Xamo_AnimGetTotalLimbs(id), 0u);
    EXPECT_EQ(x.Xamo_AnimGetPlaySpeed(id), 0.0);
    EXPECT_EQ(x.Xamo_AnimGetLimbKeys(id, 0), 0u);
    // The empty animation saves as a 36-byte file.
    x.Xamo_AnimSave(id, const_cast<char*>(out.c_str()));
    EXPECT_EQ(ReadFile(out).size(), 36u);
    x.Xamo_AnimSave(id, const_cast<char*>("/nonexistent-folder/x.xamo"));
    x.Xamo_AnimDelete(id);
  }
  EXPECT_FALSE(WriteBufferToFile("/nonexistent-folder/x.xamo", "abc", 3));
  // A layout past 4 GiB (a controller of 32768 limbs or more) is refused, not given a buffer cut
  // to its wrapped size; an old file of the name stays.
  WriteFile(out, {1, 2});
  EXPECT_FALSE(WriteLaidOutFile(out.c_str(), [](uint8_t** cursor, uint32_t* bytes, const void*) {
    for (int i = 0; i < 3; ++i) PutBytes(cursor, bytes, nullptr, 0x60000000u);
  }, nullptr));
  EXPECT_EQ(ReadFile(out).size(), 2u);
  uint8_t* data;
  size_t size;
  EXPECT_FALSE(ReadWholeFile(TempPath("").c_str(), &data, &size));  // a folder has no bytes to read
  EXPECT_EQ(data, nullptr);
}

}  // namespace
