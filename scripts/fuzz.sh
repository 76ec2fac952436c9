#!/usr/bin/env bash
# Builds the libFuzzer targets (preset linux-x64-fuzz) and runs every fuzz_* target in turn for
# the given seconds (default 600) with a random seed, starting from its checked-in corpus in
# tests/fuzz/corpus/<name>/. What a target finds new goes to build/linux-x64-fuzz/fuzz-work/<name>/;
# a crash, leak or timeout leaves its input there as crash-*, leak-* or timeout-* and fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
build=build/linux-x64-fuzz
cmake --preset linux-x64-fuzz >/dev/null
cmake --build --preset linux-x64-fuzz -j 2 >/dev/null
status=0
while IFS= read -r target; do
  name=$(basename "$target")
  name=${name#fuzz_}
  work=$build/fuzz-work/$name
  mkdir -p "$work"
  echo "=== fuzz_$name, $seconds s"
  if ! ASAN_OPTIONS=detect_leaks=1 "$target" -rss_limit_mb=2048 -malloc_limit_mb=512 -timeout=5 \
      -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$work/" \
      "$work" "tests/fuzz/corpus/$name" 2>"$work.log"; then
    echo "fuzz_$name found something: see $work.log and $work/"
    status=1
  fi
  grep -E 'DONE|stat::number_of_executed_units|stat::average_exec_per_sec' "$work.log" || true
done < <(find "$build" -type f -name 'fuzz_*' -perm -u+x | sort)
exit $status
