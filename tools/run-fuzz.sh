#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each one for a
# bounded time, two at a time, starting from the saved corpus and the
# regression inputs. Fails when a target finds a crash; the input is kept in
# build/fuzz/artifacts/<target>/.
#
#   tools/run-fuzz.sh [--seconds N] [--save] [target...]
#     --seconds N  time per target (default 60, or $OTAWRAP_FUZZ_SECONDS)
#     --save       merge the inputs that add coverage into fuzz/corpus/<target>/
#     target       e.g. raw_image; default all targets in fuzz/
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh

seconds=${OTAWRAP_FUZZ_SECONDS:-60}
save=0
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds=$2; shift 2 ;;
    --save) save=1; shift ;;
    *) targets+=("$1"); shift ;;
  esac
done
if [ ${#targets[@]} -eq 0 ]; then
  for source in fuzz/fuzz_*.cpp; do
    name=$(basename "$source" .cpp)
    targets+=("${name#fuzz_}")
  done
fi

build=$PWD/build/fuzz
CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DOTAWRAP_BUILD_TESTS=OFF -DOTAWRAP_BUILD_FUZZ=ON >/dev/null
cmake --build "$build" -j 2 --target $(printf 'fuzz_%s ' "${targets[@]}")

# Largest input per target: long argument vectors and raw files need room,
# the arithmetic target reads 44 bytes.
max_len() {
  case "$1" in
    arithmetic) echo 64 ;;
    credentials) echo 2048 ;;
    *) echo 16384 ;;
  esac
}

# Memory: 512 MB of RSS and per allocation, so an input that makes memory
# grow far beyond its size fails the run. ASan's quarantine of freed memory is
# kept at 64 MB so it does not eat that headroom.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=64}

run_target() {
  local target=$1
  local work=$build/work/$target artifacts=$build/artifacts/$target log=$build/logs/$target.log
  rm -rf "$work"
  mkdir -p "$work" "$artifacts" "$(dirname "$log")"
  cp "$PWD"/fuzz/corpus/"$target"/* "$work"/ 2>/dev/null || true
  cp "$PWD"/fuzz/regressions/"$target"/* "$work"/ 2>/dev/null || true
  local status=0
  "$build/fuzz/fuzz_$target" "$work" -max_total_time="$seconds" -max_len="$(max_len "$target")" \
    -timeout=10 -rss_limit_mb=512 -malloc_limit_mb=512 -print_final_stats=1 -artifact_prefix="$artifacts/" \
    >"$log" 2>&1 || status=$?
  local runs
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  if [ "$status" -ne 0 ]; then
    echo "fuzz_$target: FAILED after ${runs:-?} executions (log $log, inputs in $artifacts)"
    grep -E "ERROR|fuzz check failed|SUMMARY" "$log" | head -5 || true
    return 1
  fi
  echo "fuzz_$target: ${runs:-?} executions in ${seconds}s, no findings"
  if [ "$save" -eq 1 ]; then
    "$build/fuzz/fuzz_$target" -merge=1 -max_len="$(max_len "$target")" \
      fuzz/corpus/"$target" "$work" >>"$log" 2>&1
  fi
}

failed=0
pids=()
for target in "${targets[@]}"; do
  run_target "$target" &
  pids+=($!)
  if [ ${#pids[@]} -eq 2 ]; then
    wait "${pids[0]}" || failed=1
    pids=("${pids[1]}")
  fi
done
for pid in "${pids[@]}"; do
  wait "$pid" || failed=1
done
exit $failed
