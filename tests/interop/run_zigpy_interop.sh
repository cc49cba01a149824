#!/usr/bin/env bash
# Interoperability: zigpy (Debian's python3-zigpy) reads what
# `otawrap index --format zigpy` writes, downloads every file (a restamped one
# among them) through its own provider and decides upgrades as `otawrap match`
# does (check_index_with_zigpy.py).
#   run_zigpy_interop.sh <otawrap binary> <sample raw file>
# Without zigpy the test is skipped (exit 77), except under CI=true, where that
# is a failure.
set -euo pipefail

absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
script_dir=$(cd "$(dirname "$0")" && pwd)
otawrap=$(absolute "$1")
sample=$(absolute "$2")
# The Debian package installs zigpy for the system's python3, which need not
# be the first python3 on the PATH.
python=
for candidate in python3 /usr/bin/python3; do
  if "$candidate" -c 'import zigpy.ota.provider' >/dev/null 2>&1; then python=$candidate; break; fi
done
if [ -z "$python" ]; then
  echo "interop: no python3 with zigpy (tools/install-deps.sh full installs python3-zigpy)" >&2
  if [ "${CI:-}" = "true" ]; then exit 1; fi
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
# Plain OTA files of several identifiers and versions; two of one key, of
# which zigpy keeps the later entry.
"$otawrap" convert "$sample" -o . -q
"$otawrap" convert "$sample" -o . -q -m 1234 -t 0101 -v 00000003 --min-hw-version 1 --max-hw-version 2
"$otawrap" build -m 1234 -t 0102 -v 10 --tag 0="$sample" --header-string "zigpy interop" -o . -q
"$otawrap" build -m 1234 -t 0102 -v 11 --tag 0="$sample" --integrity-code -o . -q
# A restamped file (header grown by a hardware range, integrity code made
# again) is the last of its key, so zigpy fetches and parses it.
"$otawrap" restamp 1234-0102-00000011.zigbee -v 12 --min-hw-version 1 --max-hw-version 3 \
  --header-string "zigpy restamp" -o . -q
"$python" "$script_dir/check_index_with_zigpy.py" "$otawrap" "$work"
