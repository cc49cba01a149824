#!/usr/bin/env bash
# Whole-process time of the built binary: an unsigned and a signed conversion of
# the ~500 KiB benchmark raw file (about 490 KiB of image), each repeated RUNS times under /usr/bin/time.
# Signing uses the example TEST credentials. Prints the mean wall and CPU
# (user + sys) milliseconds per run and the ratio.
#
#   bench/process/time_conversions.sh <otawrap> <otawrap_make_bench_raw> [RUNS]
set -euo pipefail
otawrap=$1
make_raw=$2
runs=${3:-200}
credentials="$(cd "$(dirname "$0")/../.." && pwd)/examples/test-credentials.txt"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$make_raw" "$work/in.raw" >/dev/null

# One batch of runs under /usr/bin/time; prints "wall_ms cpu_ms" per run.
batch() {
  local out=$1
  shift
  mkdir -p "$out"
  /usr/bin/time -f '%e %U %S' -o "$work/time.txt" bash -c '
    for ((i = 0; i < $0; ++i)); do "$@" >/dev/null || exit 1; done' "$runs" "$@"
  awk -v n="$runs" '{ printf "%.2f %.2f\n", 1000 * $1 / n, 1000 * ($2 + $3) / n }' "$work/time.txt"
}

mkdir -p "$work/warm"
"$otawrap" "$work/in.raw" -o"$work/warm" >/dev/null  # page cache and loader warm-up
read -r unsigned_wall unsigned_cpu < <(batch "$work/u" "$otawrap" "$work/in.raw" -o"$work/u")
read -r signed_wall signed_cpu < <(batch "$work/s" "$otawrap" "$work/in.raw" -o"$work/s" -s"$credentials")
echo "raw file: $(stat -c %s "$work/in.raw") bytes, $runs runs each"
echo "unsigned: ${unsigned_wall} ms wall, ${unsigned_cpu} ms CPU per run"
echo "signed:   ${signed_wall} ms wall, ${signed_cpu} ms CPU per run"
awk -v u="$unsigned_cpu" -v s="$signed_cpu" 'BEGIN { printf "signed / unsigned (CPU): %.2fx\n", s / u }'
