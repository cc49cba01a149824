#!/usr/bin/env bash
# Cross-architecture differential run: every step of the generated case list
# (tests/windows/make_cases.cpp, the Windows differential's cases) runs under
# the reference build and under each foreign Linux build, through its
# emulator; every build must leave the same files, print the same bytes and
# exit with the same code as the reference, with no exception.
#
#   run_differential.sh REFERENCE_OTAWRAP CASE_GENERATOR WORK_DIR NAME=EMULATOR:BINARY...
#
# e.g. s390x=qemu-s390x:build/cross-s390x/otawrap. The emulator is named
# explicitly (a kernel may have no binfmt_misc), so the foreign binaries are
# linked statically. The foreign builds run side by side, as many at a time as
# there are processors; each runs its steps in order.
#
# OTAWRAP_CROSS_EVERY=N runs only every Nth conversion case on the foreign
# builds (all other steps always run), to shorten a slow emulator's run.
set -uo pipefail

reference=$(realpath "$1")
generator=$2
work=$(realpath -m "$3")
shift 3
[ $# -gt 0 ] || { echo "no foreign build given"; exit 2; }
every=${OTAWRAP_CROSS_EVERY:-1}

rm -rf "$work"
mkdir -p "$work/log/args"
"$generator" "$work" >/dev/null || { echo "case generator failed"; exit 1; }
start=$(date +%s)

# Runs one step on one side: run/<side>/<case>/ is the working directory,
# log/<side>/<n>.{out,err,rc} what it printed and returned.
run_step() {
  local side=$1 n=$2 name=$3
  shift 3
  local dir=$work/run/$side/$name log=$work/log/$side/$n
  mkdir -p "$dir/out" "$dir/out-é" "$(dirname "$log")"
  local rc=0
  (cd "$dir" && timeout 300 "$@" >"$log.out" 2>"$log.err") || rc=$?
  echo "$rc" >"$log.rc"
}

# 1. Every step under the reference build, in order; "@output" is resolved
#    from the reference run and the arguments are kept for the other runs.
steps=0
while IFS=$'\x1f' read -r -a fields; do
  name=${fields[0]}
  args=("${fields[@]:2}")
  for i in "${!args[@]}"; do
    if [ "${args[$i]}" = "@output" ]; then
      produced=$(cd "$work/run/reference/$name" && ls out 2>/dev/null | head -1)
      args[$i]="out/$produced"
    fi
  done
  steps=$((steps + 1))
  : >"$work/log/args/$steps"
  [ ${#args[@]} -eq 0 ] || printf '%s\0' "${args[@]}" >"$work/log/args/$steps"
  echo "$steps $name" >>"$work/steps.txt"
  run_step reference "$steps" "$name" "$reference" "${args[@]}"
done <"$work/cases.txt"
echo "reference: $steps steps in $(($(date +%s) - start)) s"

# The steps a foreign build runs: all, or with OTAWRAP_CROSS_EVERY only every
# Nth of the generated conversion cases (convert-<i>).
selected() {
  awk -v every="$every" '{ split($2, part, "-") }
    part[1] != "convert" || part[2] !~ /^[0-9]+$/ || part[2] % every == 0' "$work/steps.txt"
}

# 2. Each foreign build's steps, in order, several builds at a time.
foreign_run() {
  local side=$1 emulator=$2 binary=$3 n name began
  began=$(date +%s)
  while read -r n name; do
    mapfile -d '' -t args <"$work/log/args/$n"
    run_step "$side" "$n" "$name" "$emulator" "$binary" "${args[@]}"
  done < <(selected)
  echo "$side: ran in $(($(date +%s) - began)) s" >"$work/$side.time"
}
sides=()
jobs=$(nproc 2>/dev/null || echo 2)
for foreign in "$@"; do
  side=${foreign%%=*}
  emulator=${foreign#*=}
  binary=$(realpath "${emulator#*:}")
  emulator=${emulator%%:*}
  command -v "$emulator" >/dev/null || { echo "no emulator $emulator for $side"; exit 1; }
  [ -f "$binary" ] || { echo "no $side build at $binary"; exit 1; }
  sides+=("$side")
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n; done
  foreign_run "$side" "$emulator" "$binary" &
done
wait

# 3. Each foreign build against the reference: exit codes, standard output and
#    error byte for byte, the files left behind, no temporary file.
failures=0
for side in "${sides[@]}"; do
  differences=0
  report() {
    differences=$((differences + 1))
    if [ "$differences" -le 10 ]; then echo "DIFFERENCE $side $*"; fi
  }
  while read -r n name; do
    r=$work/log/reference/$n
    f=$work/log/$side/$n
    mapfile -d '' -t args <"$work/log/args/$n"
    what="step $n ($name: ${args[*]:0:4})"
    [ "$(cat "$r.rc")" = "$(cat "$f.rc")" ] || report "$what: exit $(cat "$r.rc") on the reference, $(cat "$f.rc") on $side"
    cmp -s "$r.err" "$f.err" || report "$what: standard error differs (diff $r.err $f.err)"
    cmp -s "$r.out" "$f.out" || report "$what: standard output differs (diff $r.out $f.out)"
  done < <(selected)
  # The reference's working directories of the cases this build ran.
  mkdir -p "$work/expected/$side"
  for dir in $(selected | awk '{ print $2 }' | sort -u); do
    cp -a "$work/run/reference/$dir" "$work/expected/$side/"
  done
  diff -r "$work/expected/$side" "$work/run/$side" >"$work/$side-tree.diff" ||
    report "output files differ: $(head -5 "$work/$side-tree.diff")"
  leftovers=$(find "$work/run/$side" -name '.otawrap-*' | head -3)
  [ -z "$leftovers" ] || report "temporary files left: $leftovers"
  ran=$(selected | wc -l)
  echo "$side differential: $ran of $steps steps, $differences differences ($(cut -d' ' -f3- "$work/$side.time"))"
  failures=$((failures + differences))
done
echo "cross differential: ${#sides[@]} builds, $failures differences, $(($(date +%s) - start)) s"
[ "$failures" -eq 0 ]
