#!/usr/bin/env bash
# Installs the full dependency list (tools/install-deps.sh full), builds
# otawrap and runs the whole test suite twice: a plain optimised build
# (build/release), then a build under AddressSanitizer and
# UndefinedBehaviorSanitizer (build/sanitize). The Windows differential test
# (label windows) runs in tools/run-windows-tests.sh instead.
#
#   tools/run-tests.sh [BUILD...]   release, sanitize (the default: both),
#                                   portable (-DOTAWRAP_PORTABLE_ONLY=ON)
#
# The portable build compiles the portable code alone (no AES-NI or PCLMULQDQ
# paths), so it builds and runs only the suites those paths touch: the labels
# codec, ecc, sign, ota and fuzz (the corpus replays).
#
# Build and test output goes to build/<name>/{build,ctest}.log; the screen gets
# one progress line per test group (label) as its last test finishes, each
# failure's output and, last, one summary line per build (also kept in
# build/test-summary.txt). Exits non-zero when a build or a test fails.
set -uo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh full || exit 1
jobs=$(nproc 2>/dev/null || echo 2)

summary=()
all_passed=0 all_failed=0 all_skipped=0
status=0

# The build targets that carry the tests of the given labels: <label>_tests for
# a test directory, every fuzz/fuzz_*.cpp's replay for fuzz.
targets_for_labels() {
  local label source
  for label in "$@"; do
    if [ "$label" = fuzz ]; then
      for source in fuzz/fuzz_*.cpp; do basename "$source" .cpp | sed 's/$/_replay/'; done
    else
      echo "${label}_tests"
    fi
  done
}

# progress_lines NAME GROUPS START: reads ctest's output and prints one line
# when the last test of a group finishes: its counts and the time since START.
progress_lines() {
  awk -v build="$1" -v groups="$2" -v start="$3" '
    BEGIN { while ((getline line < groups) > 0) { split(line, f, " "); group[f[1]] = f[2]; left[f[2]]++ } }
    /^ *[0-9]+\/[0-9]+ Test +#[0-9]+: / {
      name = $0; sub(/.*Test +#[0-9]+: /, "", name); sub(/ .*/, "", name)
      g = group[name]; if (g == "") next
      if ($0 ~ /\*\*\*Skipped/) skipped[g]++; else if ($0 ~ / Passed /) passed[g]++; else failed[g]++
      if (--left[g] == 0) {
        "date +%s" | getline now; close("date +%s")
        printf "   %s: %-9s %4d passed, %d failed, %d skipped  (%d s)\n", build, g, passed[g], failed[g], skipped[g], now - start
        fflush()
      }
    }'
}

# run_build NAME LABELS CMAKE-ARGUMENTS...: LABELS is a space-separated list of
# test labels to build and run, or "" for everything.
run_build() {
  local name=$1 dir=build/$1 labels=$2
  shift 2
  local start=$SECONDS
  local targets=() filter=()
  if [ -n "$labels" ]; then
    # shellcheck disable=SC2086  # the labels are single words
    mapfile -t targets < <(targets_for_labels $labels)
    targets=(--target otawrap "${targets[@]}")
    filter=(-L "^(${labels// /|})\$")
  fi
  mkdir -p "$dir"
  echo "== $name: building ($dir/build.log)"
  if ! { cmake -S . -B "$dir" -G Ninja -DOTAWRAP_BUILD_TESTS=ON "$@" &&
         cmake --build "$dir" -j "$jobs" "${targets[@]}"; } >"$dir/build.log" 2>&1; then
    grep -E "error|Error|FAILED" "$dir/build.log" | head -40
    summary+=("$(printf '%-9s build FAILED (%d s), see %s' "$name:" $((SECONDS - start)) "$dir/build.log")")
    status=1
    return
  fi
  echo "== $name: testing ($dir/ctest.log)"
  # Which group (label) each test belongs to, for the progress lines.
  local groups=$dir/test-groups.txt label
  : >"$groups"
  for label in $(ctest --test-dir "$dir" --print-labels 2>/dev/null | sed -n 's/^  //p'); do
    ctest --test-dir "$dir" -N -LE windows "${filter[@]}" -L "^$label\$" 2>/dev/null |
      sed -nE "s/^ *Test +#[0-9]+: ([^ ]+).*/\1 $label/p" >>"$groups"
  done
  ctest --test-dir "$dir" --output-on-failure -j "$jobs" -LE windows "${filter[@]}" 2>&1 |
    tee "$dir/ctest.log" | progress_lines "$name" "$groups" "$(date +%s)"
  local rc=${PIPESTATUS[0]}
  # Each failed test's output: from its result line to the next result line.
  awk '/^ *[0-9]+\/[0-9]+ Test +#/ { show = ($0 ~ /\*\*\*(Failed|Exception|Timeout)|\(Failed\)|Not Run/) }
       /^[0-9]+% tests passed/ { show = 0 }
       show && !/^ +Start +[0-9]+: /' "$dir/ctest.log"
  local total failed skipped
  total=$(sed -nE 's/.* tests failed out of ([0-9]+).*/\1/p' "$dir/ctest.log" | tail -1)
  failed=$(sed -nE 's/.*% tests passed, ([0-9]+) tests? failed out of.*/\1/p' "$dir/ctest.log" | tail -1)
  skipped=$(grep -cE '^ *[0-9]+/[0-9]+ Test +#.*\*\*\*Skipped' "$dir/ctest.log")
  if [ -z "$total" ]; then
    tail -20 "$dir/ctest.log"
    summary+=("$(printf '%-9s ctest FAILED to run (%d s), see %s' "$name:" $((SECONDS - start)) "$dir/ctest.log")")
    status=1
    return
  fi
  local passed=$((total - failed - skipped))
  if [ "$rc" -ne 0 ] || [ "$failed" -ne 0 ]; then
    status=1
    grep -A 200 "The following tests FAILED" "$dir/ctest.log" | grep -vE "^Errors while running" || true
  fi
  all_passed=$((all_passed + passed)) all_failed=$((all_failed + failed)) all_skipped=$((all_skipped + skipped))
  summary+=("$(printf '%-9s %4d passed, %d failed, %d skipped  (%d s)' "$name:" "$passed" "$failed" "$skipped" $((SECONDS - start)))")
}

[ $# -gt 0 ] || set -- release sanitize
for build in "$@"; do
  case "$build" in
    release) run_build release "" -DCMAKE_BUILD_TYPE=Release ;;
    # -O1 and line tables only: the usual optimisation for the sanitizers, and
    # about half the compile time of -O2 -g; reports still name file and line.
    sanitize) run_build sanitize "" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOTAWRAP_SANITIZE=ON \
                "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" ;;
    portable) run_build portable "codec ecc sign ota fuzz" -DCMAKE_BUILD_TYPE=Release \
                -DOTAWRAP_PORTABLE_ONLY=ON ;;
    *) echo "unknown build: $build"; exit 2 ;;
  esac
done

{
  printf '%s\n' "${summary[@]}"
  echo "tests: $all_passed passed, $all_failed failed, $all_skipped skipped"
} >build/test-summary.txt
echo
cat build/test-summary.txt
exit $status
