// Animation file throughput and the hot-path sampler.
//
//   build/linux-x64/bench/xamovel_bench --benchmark_filter=Anim
//
// The file benchmarks use an animation of 100 tracks of 1,000 keys (6,806,836 bytes). "Parse" and
// "Serialize" work on a buffer in memory; "LoadFile" and "SaveFile" add the file I/O on /tmp
// (read, or delete-create-write). Throughput is in file bytes per second.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "anim/animfile.h"
#include "oac/sample.h"
#include "plugin/filebuf.h"

namespace {

const uint32_t kTracks = 100, kKeys = 1000;

// Key k of track t: turned about X, Y and Z by amounts that change from key to key by some tens
// of degrees (so blends take the slerp path), moved along all three axes.
Mat4 KeyMatrix(uint32_t t, uint32_t k) {
  const float s[3] = {1, 1, 1};
  const float d[3] = {7.0f * k + t, 11.0f * k, 13.0f * k - t};
  const float p[3] = {0.5f * k, -0.25f * k + t, 3.0f};
  Mat4 m;
  MatCompose(&m, s, d, p);
  return m;
}

AnimData* MakeAnimation(uint32_t tracks, uint32_t keys) {
  AnimData* anim = AnimCreateEmpty();
  anim->limbCount = tracks;
  anim->tracks = static_cast<AnimTrack*>(calloc(tracks, sizeof(AnimTrack)));
  for (uint32_t t = 0; t < tracks; ++t) {
    AnimTrack& track = anim->tracks[t];
    track.referenceMatrix = kIdentity;
    track.keyCount = keys;
    track.keys = static_cast<AnimKey*>(calloc(keys + 1, sizeof(AnimKey)));
    for (uint32_t k = 0; k < keys; ++k) AnimKeySet(&track.keys[k], KeyMatrix(t, k), k);
    AnimTrackKeysChanged(&track);
  }
  AnimUpdateTotalFrames(anim);
  return anim;
}

std::vector<uint8_t> Serialized(const AnimData* anim) {
  uint32_t size = 0;
  SerializeAnimation(nullptr, anim, &size);
  std::vector<uint8_t> out(size);
  uint8_t* cursor = out.data();
  uint32_t written = 0;
  SerializeAnimation(&cursor, anim, &written);
  return out;
}

std::string TempFile() { return "/tmp/xamovel-bench-" + std::to_string(getpid()) + ".xamo"; }

void AnimSerialize(benchmark::State& state) {
  AnimData* anim = MakeAnimation(kTracks, kKeys);
  size_t bytes = 0;
  for (auto _ : state) {
    std::vector<uint8_t> out = Serialized(anim);
    bytes = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
  AnimFree(anim);
}
BENCHMARK(AnimSerialize)->Unit(benchmark::kMillisecond);

void AnimParseBuffer(benchmark::State& state) {
  AnimData* anim = MakeAnimation(kTracks, kKeys);
  const std::vector<uint8_t> file = Serialized(anim);
  AnimFree(anim);
  for (auto _ : state) {
    AnimData* back = AnimParse(file.data(), file.size());
    benchmark::DoNotOptimize(back->tracks);
    AnimFree(back);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size()));
}
BENCHMARK(AnimParseBuffer)->Unit(benchmark::kMillisecond);

void AnimSaveFileToTmp(benchmark::State& state) {
  AnimData* anim = MakeAnimation(kTracks, kKeys);
  const std::string path = TempFile();
  uint32_t size = 0;
  SerializeAnimation(nullptr, anim, &size);
  for (auto _ : state) benchmark::DoNotOptimize(AnimSaveFile(anim, path.c_str()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
  remove(path.c_str());
  AnimFree(anim);
}
BENCHMARK(AnimSaveFileToTmp)->Unit(benchmark::kMillisecond);

void AnimLoadFileFromTmp(benchmark::State& state) {
  AnimData* anim = MakeAnimation(kTracks, kKeys);
  const std::string path = TempFile();
  AnimSaveFile(anim, path.c_str());
  uint32_t size = 0;
  SerializeAnimation(nullptr, anim, &size);
  AnimFree(anim);
  for (auto _ : state) {
    AnimData* back = AnimLoadFile(path.c_str());
    benchmark::DoNotOptimize(back->tracks);
    AnimFree(back);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
  remove(path.c_str());
}
BENCHMARK(AnimLoadFileFromTmp)->Unit(benchmark::kMillisecond);

// As the controller update calls it: the frame advances by a quarter frame per call at positive
// speed, so the hint holds the frame (3 calls in 4) or the next interval does (1 in 4); the wrap
// at the end of the 1,000 keys costs one search per 4,000 calls.
void AnimSampleMatrixTrackHinted(benchmark::State& state) {
  AnimData* anim = MakeAnimation(1, kKeys);
  uint32_t hint = 0;
  float frame = 0.0f;
  Mat4 out;
  for (auto _ : state) {
    SampleMatrixTrack(&out, anim, 0, frame, 30.0f, &hint);
    benchmark::DoNotOptimize(out);
    frame += 0.25f;
    if (frame >= kKeys - 1) frame = 0.0f;
  }
  AnimFree(anim);
}
BENCHMARK(AnimSampleMatrixTrackHinted);

}  // namespace
