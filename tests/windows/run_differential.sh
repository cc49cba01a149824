#!/usr/bin/env bash
# Windows/Linux differential run: every step of the generated case list runs
# under the Linux build and under the Windows build (in Wine); both must leave
# the same files, print the same messages and exit with the same code.
#
#   run_differential.sh LINUX_OTAWRAP WINDOWS_OTAWRAP_EXE CASE_GENERATOR WORK_DIR
#
# Known differences, and only these, are allowed:
#   - a step marked "usage" prints the legacy usage text, whose lines end in
#     CR LF under Windows (the legacy form keeps the platform's text mode;
#     the subcommands write binary, LF only);
#   - a step marked "path" prints a path it made, with '\' before the file
#     name under Windows ("\\" inside a JSON line);
#   - a name with '*' (an identifier of all ones) cannot be created under
#     Windows: the step is marked "star" and must fail there (exit 2) with no
#     file.
# Exits 77 (skipped) when Wine or the Windows executable is missing, unless
# OTAWRAP_WINDOWS_REQUIRED=1, which turns that into a failure.
set -uo pipefail

linux_bin=$(realpath "$1")
windows_exe=$2
generator=$3
work=$(realpath -m "$4")

skip() {
  echo "skipped: $1"
  if [ "${OTAWRAP_WINDOWS_REQUIRED:-0}" = 1 ]; then exit 1; fi
  exit 77
}
[ -f "$windows_exe" ] || skip "no Windows build at $windows_exe (see tools/run-windows-tests.sh)"
windows_exe=$(realpath "$windows_exe")
wine=""
for candidate in /usr/lib/wine/wine64 "$(command -v wine64 || true)" "$(command -v wine || true)"; do
  if [ -n "$candidate" ] && [ -x "$candidate" ]; then wine=$candidate; break; fi
done
[ -n "$wine" ] || skip "Wine is not installed"
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)

export WINEDEBUG=-all
export WINEPREFIX=${OTAWRAP_WINEPREFIX:-$(dirname "$work")/wineprefix}
rm -rf "$work"
mkdir -p "$work"
"$generator" "$work" >/dev/null || { echo "case generator failed"; exit 1; }

# One wineserver for the whole run; the prefix is created once (slow) and kept.
start=$(date +%s)
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$wine" wineboot --init >/dev/null 2>&1
fi
"$wineserver" -p30  # stays up between steps, ends 30 s after the last
trap '"$wineserver" -k >/dev/null 2>&1 || true' EXIT
"$wine" "$windows_exe" --version >/dev/null 2>&1
echo "Wine ready in $(($(date +%s) - start)) s"

# What the Windows build must print, from what the Linux build printed:
# "usage" steps end their lines in CR LF; "path" steps print a path they made,
# whose separator before the file name (the last '/' of a line) is the
# platform's, escaped in a JSON line.
native() {
  case "$expectation" in
    usage) perl -pe 's/\n/\r\n/' ;;
    path) perl -pe 'if (/^\{/) { s{/([^/\n]*)$}{\\\\$1} } else { s{/([^/\n]*)$}{\\$1} }' ;;
    *) cat ;;
  esac
}

failures=0
report() {
  failures=$((failures + 1))
  if [ "$failures" -le 20 ]; then echo "DIFFERENCE $*"; fi
}

# Runs one step on one side: run/<side>/<case>/ is the working directory,
# log/<side>/<n>.{out,err,rc} what it printed and returned.
run_step() {
  local side=$1 n=$2 name=$3
  shift 3
  local dir=$work/run/$side/$name log=$work/log/$side/$n
  mkdir -p "$dir/out" "$dir/out-é" "$(dirname "$log")"
  local rc=0
  if [ "$side" = linux ]; then
    (cd "$dir" && timeout 120 "$linux_bin" "$@" >"$log.out" 2>"$log.err") || rc=$?
  else
    (cd "$dir" && timeout 120 "$wine" "$windows_exe" "$@" >"$log.out" 2>"$log.err") || rc=$?
    # Wine itself now and then fails to start a process (exit 1, nothing
    # printed but, at most, Wine's own "wine client error" line, nothing
    # written): run such a step once more, and count it.
    if [ "$rc" -ne 0 ] && [ "$rc" -ne 2 ] && [ ! -s "$log.out" ] &&
       ! grep -qv '^wine client error:' "$log.err"; then
      echo "$name $rc" >>"$work/wine-retries"
      rc=0
      (cd "$dir" && timeout 120 "$wine" "$windows_exe" "$@" >"$log.out" 2>"$log.err") || rc=$?
    fi
  fi
  echo "$rc" >"$log.rc"
}

# 1. Every step under Linux, in order; "@output" is resolved from the Linux
#    run and the arguments are kept for the Windows run.
mkdir -p "$work/log/args"
steps=0
declare -A case_number=()
while IFS=$'\x1f' read -r -a fields; do
  name=${fields[0]}
  args=("${fields[@]:2}")
  for i in "${!args[@]}"; do
    if [ "${args[$i]}" = "@output" ]; then
      produced=$(cd "$work/run/linux/$name" && ls out 2>/dev/null | head -1)
      args[$i]="out/$produced"
    fi
  done
  steps=$((steps + 1))
  [ -n "${case_number[$name]:-}" ] || case_number[$name]=${#case_number[@]}
  : >"$work/log/args/$steps"
  [ ${#args[@]} -eq 0 ] || printf '%s\0' "${args[@]}" >"$work/log/args/$steps"
  echo "$steps ${case_number[$name]} $name ${fields[1]}" >>"$work/steps.txt"
  run_step linux "$steps" "$name" "${args[@]}"
done <"$work/cases.txt"

# 2. The same steps under Windows, in two workers (Wine spends most of its
#    time waiting); a case's steps stay in order in one worker.
windows_worker() {
  local worker=$1 n number name expectation
  while read -r n number name expectation; do
    [ $((number % 2)) -eq "$worker" ] || continue
    mapfile -d '' -t args <"$work/log/args/$n"
    run_step windows "$n" "$name" "${args[@]}"
  done <"$work/steps.txt"
}
windows_worker 0 &
windows_worker 1 &
wait

# 3. One comparison loop over the steps.
star_cases=()
while read -r n number name expectation; do
  l=$work/log/linux/$n
  w=$work/log/windows/$n
  mapfile -d '' -t args <"$work/log/args/$n"
  what="step $n ($name: ${args[*]:0:4})"
  if [ "$expectation" = star ]; then
    star_cases+=("$name")
    [ "$(cat "$l.rc")" = 0 ] || report "$what: Linux exit $(cat "$l.rc"), expected 0"
    [ "$(cat "$w.rc")" = 2 ] || report "$what: Windows exit $(cat "$w.rc"), expected 2"
    if [ ! -s "$w.err" ]; then  # the legacy form's message
      [ "$(cat "$w.out")" = "Error: Unable to open output file" ] || report "$what: Windows printed $(head -c 200 "$w.out")"
    else  # a command's message names the file it cannot create
      grep -qE "^otawrap: cannot create a file named '[^']*\*[^']*'" "$w.err" || report "$what: Windows said $(head -c 200 "$w.err")"
    fi
    continue
  fi
  [ "$(cat "$l.rc")" = "$(cat "$w.rc")" ] || report "$what: exit $(cat "$l.rc") on Linux, $(cat "$w.rc") on Windows"
  native <"$l.err" | cmp -s - "$w.err" || report "$what: standard error differs (diff $l.err $w.err)"
  native <"$l.out" | cmp -s - "$w.out" || report "$what: standard output differs (diff $l.out $w.out)"
done <"$work/steps.txt"

# The star cases leave their file on Linux only; every other file must match
# byte for byte, and no temporary file may be left on either side.
for name in "${star_cases[@]}"; do
  if [ -n "$(ls -A "$work/run/windows/$name/out")" ]; then report "$name: Windows left a file"; fi
  [ -n "$(ls "$work/run/linux/$name/out" | grep -F '*' || true)" ] || report "$name: no '*' name on Linux"
  rm -rf "$work/run/linux/$name" "$work/run/windows/$name"
done
diff -r "$work/run/linux" "$work/run/windows" >"$work/tree.diff" || report "output files differ: $(head -5 "$work/tree.diff")"
leftovers=$(find "$work/run" -name '.otawrap-*' | head -3)
[ -z "$leftovers" ] || report "temporary files left: $leftovers"
files=$(find "$work/run/linux" -type f | wc -l)

if [ -f "$work/wine-retries" ]; then
  echo "Wine failed to start $(wc -l <"$work/wine-retries") step(s); ran them again: $(tr '\n' ' ' <"$work/wine-retries")"
fi
echo "windows differential: $steps steps, $files output files, $failures differences, $(($(date +%s) - start)) s"
[ "$failures" -eq 0 ]
