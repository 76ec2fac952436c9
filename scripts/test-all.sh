#!/usr/bin/env bash
# Builds all three builds (and the sanitizer variant) and runs every test; then the clang build
# with the libFuzzer targets: its tests (the exports of a clang build among them), the replay of
# every checked-in fuzz corpus and a short deterministic run of each target, two at a time.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)
for preset in windows-x86 linux-x86 linux-x64-asan linux-x64; do
  echo "=== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset"
done
echo "=== linux-x64-fuzz"
cmake --preset linux-x64-fuzz >/dev/null
cmake --build --preset linux-x64-fuzz -j "$jobs"
ctest --preset linux-x64-fuzz -j 2
