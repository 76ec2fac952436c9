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

TEST(AnimFile, GoldenFileLoadsFieldByField) {
  const std::vector<uint8_t> file = Golden();
  ASSERT_EQ(file.size(), 580u);
  AnimPtr a(AnimParse(file.data(), file.size()));
  ASSERT_EQ(a->limbCount, 2u);
  EXPECT_EQ(a->totalFrames, 40.0f);  // not the stated 99, not track 0's 70
  EXPECT_EQ(a->endMark, 723u);
  for (uint32_t t = 0; t < 2; ++t) {
    EXPECT_TRUE(SameMatrix(a->tracks[t].referenceMatrix, Translated(kIdentity, 100.0f + t, 0, 0)));
    ASSERT_EQ(a->tracks[t].keyCount, 3u);
    for (uint32_t k = 0; k < 3; ++k) {
      Mat4 key;
      MatScaling(&key, 1.0f + t, 1.0f + k, 1.0f);
      EXPECT_EQ(a->tracks[t].keys[k].time, kGoldenTimes[t][k]);
      EXPECT_TRUE(SameMatrix(a->tracks[t].keys[k].matrix,
                             Translated(key, 10.0f * t + k, static_cast<float>(kGoldenTimes[t][k]), -1.0f)))
          << t << "," << k;
    }
    ExpectKeptFacts(a->tracks[t]);
  }
}

std::vector<uint8_t> Patched(std::vector<uint8_t> b, size_t at, uint32_t v) { memcpy(&b[at], &v, 4); return b; }

// No tracks: the empty animation, nothing else set. Else that many tracks, each with a key array,
// and the end mark read.
void ExpectLoaded(const AnimData* a, uint32_t tracks, const std::string& what) {
  EXPECT_EQ(a->limbCount, tracks) << what;
  if (tracks == 0) {
    EXPECT_TRUE(!a->tracks && a->totalFrames == 0 && a->playSpeed == 0 && a->endMark == 0) << what;
    return;
  }
  EXPECT_EQ(a->endMark, 723u) << what;
  for (uint32_t t = 0; t < a->limbCount; ++t) EXPECT_NE(a->tracks[t].keys, nullptr) << what;
}

// What loads, and what loads as the empty animation: every prefix of a valid file, counts the
// size cannot back (nothing is allocated for them; the sanitizer build checks reads), another
// magic, no data, no file. A 300-byte magic field: 255 characters are compared, all 300 are
// skipped; with a NUL right after the name the comparison succeeds and the rest of the file must
// be found past byte 304. A track without keys takes 68 bytes and loads with room for a key.
TEST(AnimFile, WhatLoadsAndWhatLoadsAsTheEmptyAnimation) {
  const std::vector<uint8_t> g = Golden();
  const std::string rest(g.begin() + 12, g.end());
  std::vector<uint8_t> lower = g;
  for (int i = 4; i < 12; ++i) lower[i] = static_cast<uint8_t>(tolower(lower[i]));
  const auto magic300 = [&](char fill) {
    return Bytes().u32(300).text("XAMOVELN").text(std::string(292, fill)).text(rest).b;
  };
  const struct { const char* what; std::vector<uint8_t> file; uint32_t tracks; } cases[] = {
      {"magic in lower case", lower, 2},
      {"NUL after the name in a 300-byte magic", magic300('\0'), 2},
      {"a track without keys", Bytes().header(1, 0).matrix(kIdentity).u32(0).u32(723).b, 1},
      {"another magic", Patched(g, 8, 0x4D4C4556u), 0},  // "XAMOVELM"
      {"a 300-byte magic", magic300('X'), 0},
      {"magic length", Patched(g, 0, 0xFFFFFFF0u), 0},
      {"track count", Patched(g, 24, 0xFFFFFFFFu), 0},
      {"one track too many", Patched(g, 24, 3), 0},
      {"key count of track 0", Patched(g, 96, 0x7FFFFFFFu), 0},
      {"key count whose byte size wraps 32 bits", Patched(g, 96, 0x03C3C3C4u), 0},
      {"one key too many in track 1", Patched(g, 96 + 68 * 4, 4), 0},
      {"no data", {}, 0},
  };
  for (const auto& c : cases) {
    AnimPtr a(AnimParse(c.file.empty() ? nullptr : c.file.data(), c.file.size()));
    ExpectLoaded(a.get(), c.tracks, c.what);
  }
  for (size_t n = 0; n < g.size(); ++n)
    ExpectLoaded(AnimPtr(AnimParse(g.data(), n)).get(), 0, "prefix " + std::to_string(n));
  ExpectLoaded(AnimPtr(AnimLoadFile("/nonexistent-folder/none.xamo")).get(), 0, "no file");
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
  EXPECT_EQ(ReadFile(path), Patched(Golden(), 28, 0x42200000u));  // 40.0f
  // A deleted handle: a second delete and a save do nothing.
  x.Xamo_AnimDelete(id);
  x.Xamo_AnimDelete(id);
  const std::string none = TempPath("deleted.xamo");
  x.Xamo_AnimSave(id, const_cast<char*>(none.c_str()));
  EXPECT_EQ(fopen(none.c_str(), "rb"), nullptr);
  x.Xamo_AnimDelete(back);
}

TEST_F(AnimFileCommands, EmptyMissingAndUnwritableFiles) {
  const std::string empty = TempPath("empty.xamo"), out = TempPath("empty-out.xamo");
  WriteFile(empty, {});
  for (const std::string& path : {empty, TempPath("missing.xamo"), TempPath("")}) {  // "" names the folder
    const uint32_t id = x.Xamo_AnimLoad(const_cast<char*>(path.c_str()));
    EXPECT_NE(id, 0u);
    EXPECT_EQ(x.Xamo_AnimGetTotalLimbs(id) + x.Xamo_AnimGetLimbKeys(id, 0), 0u);
    EXPECT_EQ(x.Xamo_AnimGetPlaySpeed(id), 0.0);
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
}

}  // namespace
