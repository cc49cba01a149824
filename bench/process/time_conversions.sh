#!/usr/bin/env bash
# Whole-process time of the built binary: unsigned and signed conversions of the
# ~500 KiB benchmark raw file (about 490 KiB of image), signed with the example
# TEST credentials. ROUNDS rounds, each timing a batch of RUNS unsigned runs then
# a batch of RUNS signed runs under /usr/bin/time (interleaved, so a busy
# machine hits both alike). Prints the median CPU (user + sys) and wall
# milliseconds per run of each kind and the ratio of the CPU medians.
#
#   bench/process/time_conversions.sh <otawrap> <otawrap_make_bench_raw> [RUNS] [ROUNDS]
set -euo pipefail
otawrap=$1
make_raw=$2
runs=${3:-100}
rounds=${4:-5}
credentials="$(cd "$(dirname "$0")/../.." && pwd)/examples/test-credentials.txt"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$make_raw" "$work/in.raw" >/dev/null
mkdir -p "$work/out"

# One batch of runs; appends "cpu_ms wall_ms" per run to the file $1.
batch() {
  local record=$1
  shift
  /usr/bin/time -f '%e %U %S' -o "$work/time.txt" bash -c '
    for ((i = 0; i < $0; ++i)); do "$@" >/dev/null || exit 1; done' "$runs" "$@"
  awk -v n="$runs" '{ printf "%.3f %.3f\n", 1000 * ($2 + $3) / n, 1000 * $1 / n }' \
    "$work/time.txt" >>"$record"
}

median() {  # median of column $2 of file $1
  sort -n -k "$2" "$1" | awk -v c="$2" '{ v[NR] = $c } END { print v[int((NR + 1) / 2)] }'
}

"$otawrap" "$work/in.raw" -o"$work/out" >/dev/null  # page cache and loader warm-up
for ((r = 0; r < rounds; ++r)); do
  batch "$work/unsigned" "$otawrap" "$work/in.raw" -o"$work/out"
  batch "$work/signed" "$otawrap" "$work/in.raw" -o"$work/out" -s"$credentials"
done
unsigned_cpu=$(median "$work/unsigned" 1)
signed_cpu=$(median "$work/signed" 1)
echo "raw file: $(stat -c %s "$work/in.raw") bytes; $rounds rounds of $runs runs of each kind"
echo "unsigned: ${unsigned_cpu} ms CPU, $(median "$work/unsigned" 2) ms wall per run (medians)"
echo "signed:   ${signed_cpu} ms CPU, $(median "$work/signed" 2) ms wall per run (medians)"
awk -v u="$unsigned_cpu" -v s="$signed_cpu" 'BEGIN { printf "signed / unsigned (CPU): %.2fx\n", s / u }'
