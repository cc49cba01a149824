#!/usr/bin/env bash
# Interoperability: zigbee-herdsman's OTA parser, installed from the npm
# registry, reads every kind of file otawrap writes and must see what
# `otawrap --info --json` sees.
#   run_interop.sh <otawrap binary> <cache directory> <sample raw file>
# Without node, npm or the registry the test is skipped (exit 77), except under
# CI=true, where that is a failure.
set -euo pipefail

absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
script_dir=$(cd "$(dirname "$0")" && pwd)
otawrap=$(absolute "$1")
sample=$(absolute "$3")
mkdir -p "$2"
cache=$(cd "$2" && pwd)
herdsman_version=10.9.5  # pinned: the parser whose behaviour the test relies on

unavailable() {
  echo "interop: $1" >&2
  if [ "${CI:-}" = "true" ]; then exit 1; fi
  exit 77
}

command -v node >/dev/null 2>&1 || unavailable "node not found"
command -v npm >/dev/null 2>&1 || unavailable "npm not found"

ota_js=$cache/node_modules/zigbee-herdsman/dist/controller/helpers/ota.js
installed=$cache/node_modules/zigbee-herdsman/package.json
if [ ! -f "$installed" ] || ! grep -q "\"version\": \"$herdsman_version\"" "$installed"; then
  # --ignore-scripts: no native serial-port builds; only the parser is used.
  if ! (cd "$cache" && npm install --no-audit --no-fund --ignore-scripts --no-save \
          "zigbee-herdsman@$herdsman_version" >npm-install.log 2>&1); then
    cat "$cache/npm-install.log" >&2 || true
    unavailable "npm install zigbee-herdsman@$herdsman_version failed"
  fi
fi
[ -f "$ota_js" ] || unavailable "$ota_js missing after install"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cp "$sample" in.raw
# Test credentials (not for real devices).
cat > creds.txt <<'CREDS'
IEEE Address: 00124B0001ABCDEF
Device Private Key: 0001020304050607080910111213141516171819FF
Device Implicit Cert: 0303A1B2C3D4E5F60718293A4B5C6D7E8F90A1B2C3D4E5F600124B0001ABCDEF54455354434100010203040506070809
CREDS

fields=(--header-string "otawrap interop 1.0" --security-credential-version 3
        --destination 00124B0001020304 --min-hw-version 0100 --max-hw-version 0203)
n=0
make_file() {
  n=$((n + 1))
  mkdir "out$n"
  "$otawrap" in.raw "-oout$n" "$@"
}
for platform in QUILLDEV FENBOARD MARSHDEV; do
  make_file "-p$platform"
  make_file "-p$platform" "${fields[@]}"
  make_file "-p$platform" -screds.txt
  make_file "-p$platform" -screds.txt "${fields[@]}"
done
make_file -n -m100B -t0042 -v00000001
make_file -n -m100B -t0042 -v00000001 "${fields[@]}"
make_file -n -m100B -t0042 -v00000001 -screds.txt
make_file -n -m100B -t0042 -v00000001 -screds.txt "${fields[@]}"
make_file --security-credential-version 0
make_file --destination FFFFFFFFFFFFFFFF
make_file --min-hw-version 0 --max-hw-version FFFF
make_file --header-string "12345678901234567890123456789012"

node "$script_dir/compare_with_herdsman.js" "$ota_js" "$otawrap" out*/*.zigbee
