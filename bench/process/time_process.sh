#!/usr/bin/env bash
# What a run of the built binary costs besides its work, and two large-file
# commands against their floor:
#  1. `otawrap version` against /bin/true: CPU (task-clock) per run under
#     `perf stat -r RUNS`, ROUNDS interleaved rounds, medians;
#  2. `otawrap build` of one 64 MiB payload: peak resident set size
#     (/usr/bin/time -v) and CPU, against `cat` of the same file;
#  3. `otawrap index` of that 64 MiB OTA file against `sha512sum`: user time
#     per run, ROUNDS interleaved runs, medians.
# Needs perf (linux-perf) for part 1. The payload is pseudo-random bytes from
# a fixed seed (Python's random.Random(64); no firmware).
#
#   bench/process/time_process.sh <otawrap> [RUNS] [ROUNDS]
set -euo pipefail
otawrap=$1
runs=${2:-500}
rounds=${3:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

median() {  # median of the numbers in file $1, one a line
  sort -g "$1" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

# Milliseconds of task-clock per run of "$@", averaged over $runs runs.
task_clock() {
  perf stat -x, -e task-clock -r "$runs" "$@" 2>&1 >/dev/null | awk -F, '$3 == "task-clock" { print $1 }'
}

echo "--- process start: $runs runs per round, $rounds rounds"
for ((r = 0; r < rounds; ++r)); do
  task_clock /bin/true >>"$work/true"
  task_clock "$otawrap" version >>"$work/version"
done
t=$(median "$work/true")
v=$(median "$work/version")
echo "/bin/true:       $t ms CPU per run (median)"
echo "otawrap version: $v ms CPU per run (median)"
awk -v t="$t" -v v="$v" 'BEGIN { printf "version / true: %.2fx\n", v / t }'

# 64 MiB less the OTA header (56 bytes) and one sub-element header (6 bytes):
# the largest single payload the file limit allows.
payload_size=$((64 * 1024 * 1024 - 62))
python3 -c 'import random, sys; sys.stdout.buffer.write(random.Random(64).randbytes(int(sys.argv[1])))' \
  "$payload_size" >"$work/payload.bin"
echo "--- build: one payload of $payload_size bytes"
/usr/bin/time -f '%M %U %S' -o "$work/cat.time" cat "$work/payload.bin" >"$work/copy.bin"
/usr/bin/time -f '%M %U %S' -o "$work/build.time" \
  "$otawrap" build -m 1234 -t 0101 -v 1 --tag 0="$work/payload.bin" --output "$work/big.ota" -q
awk '{ printf "build: peak %.1f MiB, %.0f ms CPU\n", $1 / 1024, 1000 * ($2 + $3) }' "$work/build.time"
awk '{ printf "cat:   peak %.1f MiB, %.0f ms CPU\n", $1 / 1024, 1000 * ($2 + $3) }' "$work/cat.time"
echo "file: $(stat -c %s "$work/big.ota") bytes"

echo "--- index of that file against sha512sum: $rounds rounds"
"$otawrap" index "$work/big.ota" >/dev/null  # page cache warm-up
for ((r = 0; r < rounds; ++r)); do
  /usr/bin/time -f '%U' -o "$work/t" sha512sum "$work/big.ota" >/dev/null
  cat "$work/t" >>"$work/sha512sum"
  /usr/bin/time -f '%U' -o "$work/t" "$otawrap" index "$work/big.ota" >/dev/null
  cat "$work/t" >>"$work/index"
done
s=$(median "$work/sha512sum")
i=$(median "$work/index")
echo "sha512sum:     $s s user (median)"
echo "otawrap index: $i s user (median)"
awk -v s="$s" -v i="$i" 'BEGIN { printf "index / sha512sum: %.2fx\n", i / s }'
