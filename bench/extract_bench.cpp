// Extraction of a whole object in memory (size pass and write pass), for the two animated cases.
#include <benchmark/benchmark.h>

#include <vector>

#include "anim/extract.h"
#include "subhost/subhost.h"

namespace {

// Object 1: `limbs` limbs, each with `keys` keys one frame apart, as matrix keys or as position,
// rotation and scale keys.
HostObject MakeAnimated(uint32_t limbs, uint32_t keys, bool matrixKeys) {
  subhost::Reset();
  HostSetCoreData(subhost::CoreData());
  sObject* o = subhost::MakeObject(1, limbs);
  subhost::SetTotalAnimFrames(o, static_cast<float>(keys - 1));
  // Whole key arrays at once (adding keys one by one regrows the host's arrays every time).
  for (uint32_t l = 0; l < limbs; ++l) {
    sLimbAnim* a = subhost::AddLimbAnim(o, l);
    sMatrixKey* mk = static_cast<sMatrixKey*>(subhost::LowAlloc(matrixKeys ? keys * sizeof(sMatrixKey) : 1));
    sPosKey* pk = static_cast<sPosKey*>(subhost::LowAlloc(matrixKeys ? 1 : keys * sizeof(sPosKey)));
    sRotKey* rk = static_cast<sRotKey*>(subhost::LowAlloc(matrixKeys ? 1 : keys * sizeof(sRotKey)));
    sScaleKey* sk = static_cast<sScaleKey*>(subhost::LowAlloc(matrixKeys ? 1 : keys * sizeof(sScaleKey)));
    for (uint32_t k = 0; k < keys; ++k) {
      const float f = static_cast<float>(k);
      if (matrixKeys) {
        mk[k] = sMatrixKey{k, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, f, 0, 0, 1}, {}};
      } else {
        pk[k] = sPosKey{k, {f, 0, 0}, {}};
        rk[k] = sRotKey{k, {0, 0.01f * (k % 50), 0, 1}};
        sk[k] = sScaleKey{k, {1, 1, 1}, {}};
      }
    }
    a->matrixKeys = HostAddrOf(mk);
    a->positionKeys = HostAddrOf(pk);
    a->rotationKeys = HostAddrOf(rk);
    a->scaleKeys = HostAddrOf(sk);
    a->matrixKeyCount = matrixKeys ? keys : 0;
    a->positionKeyCount = a->rotationKeyCount = a->scaleKeyCount = matrixKeys ? 0 : keys;
  }
  HostObject obj;
  HostGetObject(1, &obj);
  return obj;
}

void Extract(benchmark::State& state, bool matrixKeys) {
  const uint32_t keys = static_cast<uint32_t>(state.range(0));
  const HostObject obj = MakeAnimated(60, keys, matrixKeys);
  std::vector<uint8_t> buf;
  for (auto _ : state) {
    uint32_t size = 0, written = 0;
    ExtractAnimationFile(obj, nullptr, &size, 0, kExtractToEnd);
    buf.resize(size);
    uint8_t* cursor = buf.data();
    ExtractAnimationFile(obj, &cursor, &written, 0, kExtractToEnd);
    benchmark::DoNotOptimize(buf.data());
  }
  subhost::Reset();
}

void BM_ExtractMatrixKeys60Limbs(benchmark::State& state) { Extract(state, true); }
void BM_ExtractResampled60Limbs(benchmark::State& state) { Extract(state, false); }
BENCHMARK(BM_ExtractMatrixKeys60Limbs)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExtractResampled60Limbs)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
