// Building animations and file images for tests.
#pragma once
#include <stdlib.h>
#include <string.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "anim/animfile.h"
#include "math/xmath.h"

namespace testanim {

using Keys = std::vector<std::pair<uint32_t, Mat4>>;  // (time, matrix) in track order

// An animation with one track per entry, keys set through AnimKeySet, total frames by the rule.
inline AnimData* Make(const std::vector<Keys>& tracks) {
  AnimData* anim = AnimCreateEmpty();
  anim->limbCount = static_cast<uint32_t>(tracks.size());
  anim->tracks = static_cast<AnimTrack*>(calloc(tracks.size() + 1, sizeof(AnimTrack)));
  for (size_t i = 0; i < tracks.size(); ++i) {
    AnimTrack& t = anim->tracks[i];
    t.referenceMatrix = kIdentity;
    t.keyCount = static_cast<uint32_t>(tracks[i].size());
    t.keys = static_cast<AnimKey*>(calloc(t.keyCount + 1, sizeof(AnimKey)));
    for (uint32_t k = 0; k < t.keyCount; ++k) AnimKeySet(&t.keys[k], tracks[i][k].second, tracks[i][k].first);
    AnimTrackKeysChanged(&t);
  }
  AnimUpdateTotalFrames(anim);
  return anim;
}

struct AnimDeleter {
  void operator()(AnimData* a) const { AnimFree(a); }
};
typedef std::unique_ptr<AnimData, AnimDeleter> AnimPtr;

// A track whose keys are all the identity, at these times; the key times of a track.
inline Keys At(const std::vector<uint32_t>& times) {
  Keys keys;
  for (uint32_t t : times) keys.push_back({t, kIdentity});
  return keys;
}
inline std::vector<uint32_t> Times(const AnimTrack& t) {
  std::vector<uint32_t> v;
  for (uint32_t k = 0; k < t.keyCount; ++k) v.push_back(t.keys[k].time);
  return v;
}

// Matrices by value: m with its translation row set, a times b, a turn about Y in degrees.
inline Mat4 Translated(Mat4 m, float x, float y, float z) { m.m[12] = x; m.m[13] = y; m.m[14] = z; return m; }
inline Mat4 Mul(const Mat4& a, const Mat4& b) { Mat4 m; MatMultiply(&m, a, b); return m; }
inline Mat4 RotY(float degrees) { Mat4 m; MatRotationY(&m, DegToRad(degrees)); return m; }

// Scale, then rotation about X, Y and Z in degrees, then translation.
inline Mat4 Compose(float sx, float sy, float sz, float ax, float ay, float az, float px = 0, float py = 0,
                    float pz = 0) {
  const float s[3] = {sx, sy, sz}, d[3] = {ax, ay, az}, p[3] = {px, py, pz};
  Mat4 m;
  MatCompose(&m, s, d, p);
  return m;
}

inline bool SameMatrix(const Mat4& a, const Mat4& b) { return memcmp(&a, &b, sizeof a) == 0; }

// What a track keeps beside its keys is true of them: each key's quaternion, float time and rigid
// flag, and the track's ascending flag.
inline void ExpectKeptFacts(const AnimTrack& t) {
  bool ascending = true;
  for (uint32_t k = 0; k < t.keyCount; ++k) {
    const AnimKey& key = t.keys[k];
    Quat q;
    QuatFromMatrix(&q, key.matrix);
    EXPECT_EQ(memcmp(&q, &key.rotation, sizeof q), 0) << "key " << k;
    EXPECT_EQ(key.frame, static_cast<float>(key.time)) << "key " << k;
    EXPECT_EQ(key.rigid, MatIsRigid(key.matrix) ? 1u : 0u) << "key " << k;
    ascending = ascending && (k == 0 || static_cast<float>(t.keys[k - 1].time) <= static_cast<float>(key.time));
  }
  EXPECT_EQ(t.ascending, ascending ? 1u : 0u);
}

inline void ExpectNear(const Mat4& got, const Mat4& want, float tol = 1e-4f) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(got.m[i], want.m[i], tol) << "element " << i;
}

// Little-endian file images.
struct Bytes {
  std::vector<uint8_t> b;
  Bytes& u32(uint32_t v) { for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i))); return *this; }
  Bytes& f32(float f) { uint32_t u; memcpy(&u, &f, 4); return u32(u); }
  Bytes& text(const std::string& s) { b.insert(b.end(), s.begin(), s.end()); return *this; }
  Bytes& matrix(const Mat4& m) { for (float f : m.m) f32(f); return *this; }
  // An animation file's header: magic, format 1000, two reserved words, track count, total frames.
  Bytes& header(uint32_t tracks, float total) {
    return u32(8).text("XAMOVELN").u32(1000).u32(0).u32(0).u32(tracks).f32(total);
  }
};

inline std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::vector<uint8_t>& data) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data.data()), data.size());
}

}  // namespace testanim
