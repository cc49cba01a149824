#!/usr/bin/env bash
# Interoperability on the shapes found in the field: writes every synthetic
# shape of the test kit (otawrap_make_shapes), then zigpy (Debian's
# python3-zigpy) and zigbee-herdsman (from the npm registry, pinned) read
# each good one they can and must see the header and sub-elements that
# `otawrap info --json` reports; `otawrap normalize` of each must give the
# OTA file inside, which both read as a plain OTA file. Which shapes each
# oracle cannot read, and why, is listed in compare_shapes_with_zigpy.py and
# compare_shapes_with_herdsman.js and printed on every run.
#   run_shape_oracles.sh <otawrap binary> <otawrap_make_shapes binary> <cache directory>
# Without zigpy, node, npm or the registry the test is skipped (exit 77),
# except under CI=true, where that is a failure.
set -euo pipefail

absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
script_dir=$(cd "$(dirname "$0")" && pwd)
otawrap=$(absolute "$1")
make_shapes=$(absolute "$2")
mkdir -p "$3"
cache=$(cd "$3" && pwd)

unavailable() {
  echo "interop: $1" >&2
  if [ "${CI:-}" = "true" ]; then exit 1; fi
  exit 77
}

# The Debian package installs zigpy for the system's python3, which need not
# be the first python3 on the PATH.
python=
for candidate in python3 /usr/bin/python3; do
  if "$candidate" -c 'import zigpy.ota.image' >/dev/null 2>&1; then python=$candidate; break; fi
done
[ -n "$python" ] || unavailable "no python3 with zigpy (Debian package python3-zigpy)"
. "$script_dir/herdsman.sh"
install_herdsman "$cache"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$make_shapes" "$work/shapes" >/dev/null
"$python" "$script_dir/compare_shapes_with_zigpy.py" "$otawrap" "$work/shapes"
node "$script_dir/compare_shapes_with_herdsman.js" "$ota_js" "$otawrap" "$work/shapes"
