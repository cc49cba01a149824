#!/usr/bin/env bash
# Interoperability: zigbee-herdsman's OTA parser, installed from the npm
# registry, reads every kind of file otawrap writes (the legacy form, convert
# with extra tags, integrity code, signature and Intel HEX input, build with
# foreign payloads and manufacturer tags) and must see what `otawrap --info
# --json` sees and what `otawrap extract` writes; herdsman's index and
# firmware readers accept what `otawrap index` lists, with or without the
# metadata options or metadata files, grown with --update (compact and
# pretty-printed) and of a tree (--recursive, with and without --url-prefix); `otawrap
# match` picks the entry herdsman's own selection picks on generated indexes.
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

unavailable() {
  echo "interop: $1" >&2
  if [ "${CI:-}" = "true" ]; then exit 1; fi
  exit 77
}

. "$script_dir/herdsman.sh"
install_herdsman "$cache"

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

# Until info exempts upgrade images without the image preamble, files with a
# foreign payload may fail those two checks and stay out of the index. Set to
# 0 once info passes them.
foreign_payload_checks_pending=0

# Payloads: deterministic byte patterns.
pattern() { node -e "const n=+process.argv[1],k=+process.argv[2];
  process.stdout.write(Buffer.from(Array.from({length:n},(_,i)=>(i*k+1)&255)))" "$1" "$2"; }
pattern 3000 7 > boot.bin
pattern 64 3 > picture.bin
pattern 10 5 > vendor-a.bin
pattern 1 9 > vendor-b.bin
: > empty.bin
node "$script_dir/raw_to_intel_hex.js" in.raw in.hex

mkdir toolkit foreign
ids=(-m 1234 -t 0101)
tags=(--tag F001=vendor-a.bin --tag 0xFFFF=vendor-b.bin --tag 4=picture.bin --tag f002=empty.bin)
# tag 0xF000 stays out: herdsman 10.x reads it as a vendor element with a
# 2-byte field of its own (a known difference, see docs/toolkit.md).
"$otawrap" build "${ids[@]}" -v 10 "${tags[@]}" -o toolkit -q
"$otawrap" build "${ids[@]}" -v 11 "${tags[@]}" "${fields[@]}" --integrity-code -o toolkit -q
"$otawrap" build "${ids[@]}" -v 12 "${tags[@]}" -s creds.txt --stack-version 1 -o toolkit -q
"$otawrap" build "${ids[@]}" -v 1 --tag 0=boot.bin --header-string "foreign payload" -o foreign -q
"$otawrap" build "${ids[@]}" -v 2 --tag 0=boot.bin "${tags[@]}" "${fields[@]}" -o foreign -q
"$otawrap" build "${ids[@]}" -v 3 --tag 0=boot.bin "${tags[@]}" --integrity-code -o foreign -q
"$otawrap" build "${ids[@]}" -v 4 --tag 0=boot.bin "${tags[@]}" -s creds.txt -o foreign -q
for input in in.raw in.hex; do
  base=${input#in.}
  "$otawrap" convert "$input" --output "toolkit/$base-tags.zigbee" "${tags[@]}"  -q
  "$otawrap" convert "$input" --output "toolkit/$base-integrity.zigbee" --tag F00D=vendor-a.bin \
    --integrity-code "${fields[@]}" -q
  "$otawrap" convert "$input" --output "toolkit/$base-signed.zigbee" --tag 4=picture.bin \
    -s creds.txt -p FENBOARD -q
done
# Intel HEX and raw input give the same file.
for kind in tags integrity signed; do
  cmp "toolkit/raw-$kind.zigbee" "toolkit/hex-$kind.zigbee"
done

if [ "$foreign_payload_checks_pending" = 1 ]; then export OTAWRAP_INTEROP_FOREIGN_PENDING=1; fi
node "$script_dir/compare_with_herdsman.js" "$ota_js" "$otawrap" out*/*.zigbee toolkit/*.zigbee \
  foreign/*.zigbee

# The index: every file that passes info, and one behind a vendor header.
mkdir listed
cp out1/*.zigbee listed/legacy.zigbee
cp toolkit/*.zigbee listed/
if [ "$foreign_payload_checks_pending" = 0 ]; then cp foreign/*.zigbee listed/; fi
{ printf 'VENDOR HEADER\0'; cat toolkit/raw-signed.zigbee; } > listed/vendor-header.ota
(cd listed && "$otawrap" index ./*.zigbee vendor-header.ota > ../index.json)
(cd listed && "$otawrap" index ./*.zigbee --url-prefix https://example.com/ota/ > ../remote.json)
node -e "const a=require('./index.json'),b=require('./remote.json');
  if (a.length !== b.length + 1) process.exit(1);
  b.forEach((e,i)=>{ if (e.url !== 'https://example.com/ota/' + a[i].fileName) process.exit(1); });"
node "$script_dir/check_index_with_herdsman.js" "$ota_js" listed index.json

# The metadata options: herdsman reads such an index back unchanged.
(cd listed && "$otawrap" index ./*.zigbee --model-id "model 1" --manufacturer-name a \
   --manufacturer-name b --min-file-version 0 --max-file-version FFFFFFFE --release-notes "notes" \
   --original-url https://example.com/original --file-size total-image > ../metadata.json)
node "$script_dir/check_index_with_herdsman.js" "$ota_js" listed metadata.json

# Metadata files beside the files: herdsman reads the index back unchanged,
# each entry with its own file's metadata, the command line's over it.
cp -r listed sidecars
(cd sidecars && i=0 && for f in ./*.zigbee; do
   i=$((i + 1))
   # minFileVersion 0: one not below the file's own version is refused (lint's neverAnUpgrade).
   printf '{"modelId":"model %s","manufacturerName":["m%s"],"minFileVersion":"0","maxFileVersion":%s,"force":%s,"releaseNotes":"notes %s"}' \
     "$i" "$i" "$((i + 1000))" "$([ $((i % 2)) = 0 ] && echo true || echo false)" "$i" > "$f.meta.json"
 done && "$otawrap" index ./*.zigbee --release-notes "command line" > ../sidecars.json)
node -e "const a=require('./sidecars.json');
  a.forEach((e,i)=>{ const n=i+1;
    if (e.modelId !== 'model '+n || e.manufacturerName.join() !== 'm'+n || e.minFileVersion !== 0 ||
        e.maxFileVersion !== n+1000 || (e.force === true) !== (n%2 === 0) ||
        e.releaseNotes !== 'command line') { console.error('sidecar entry', i, e); process.exit(1); } });"
node "$script_dir/check_index_with_herdsman.js" "$ota_js" sidecars sidecars.json

# --update: an index grown file by file equals the one made at once (files of
# distinct identifiers; one of the same identifiers replaces its entry).
(cd listed && set -- ./1234-0101-*.zigbee && "$otawrap" index "$1" > ../grown.json && shift &&
   for f in "$@"; do "$otawrap" index "$f" --update ../grown.json; done &&
   "$otawrap" index "$1" --update ../grown.json)
(cd listed && "$otawrap" index ./1234-0101-*.zigbee > ../whole.json)
cmp grown.json whole.json

# The same at 4 spaces a level: grown with --update it stays as JSON.stringify
# lays it out, equal to the one made at once.
(cd listed && set -- ./1234-0101-*.zigbee && "$otawrap" index "$1" --indent 4 > ../grown4.json && shift &&
   for f in "$@"; do "$otawrap" index "$f" --update ../grown4.json 2>/dev/null; done)
(cd listed && "$otawrap" index ./1234-0101-*.zigbee --indent 4 > ../whole4.json)
cmp grown4.json whole4.json
node -e "const t=require('fs').readFileSync('whole4.json','utf8');
  if (JSON.stringify(JSON.parse(t), null, 4) + '\n' !== t) process.exit(1);"

# A tree (index --recursive): herdsman reads the index and every file by its
# url below the tree's top; with --url-prefix each url is the prefix and the
# path below the directory walked, segment by segment as URL parsing decodes
# it; the file beside the others that is no OTA file is named as skipped.
mkdir -p "tree/images/maker-a" "tree/images/maker b/sub"
cp toolkit/raw-tags.zigbee toolkit/raw-integrity.zigbee tree/images/maker-a/
cp toolkit/raw-signed.zigbee "tree/images/maker b/sub/signed #1.zigbee"
cp listed/vendor-header.ota "tree/images/maker b/"
echo notes > tree/images/maker-a/README.txt
(cd tree && "$otawrap" index -r images > ../tree.json 2> ../tree-errors.txt)
grep -qx "otawrap: skipped 'images/maker-a/README.txt': not an OTA file" tree-errors.txt
node "$script_dir/check_index_with_herdsman.js" "$ota_js" tree tree.json
(cd tree && "$otawrap" index -r images --url-prefix https://example.com/ota/ --indent 2 > ../tree-remote.json 2>/dev/null)
node -e "const ota=require(process.argv[1]), local=require('./tree.json'), remote=require('./tree-remote.json');
  if (local.length !== 4 || remote.length !== local.length) process.exit(1);
  remote.forEach((e, i) => { const u = new URL(e.url);
    const below = u.pathname.split('/').slice(2).map(decodeURIComponent).join('/');
    if (u.origin !== 'https://example.com' || !u.pathname.startsWith('/ota/') || 'images/' + below !== local[i].url) {
      console.error('tree url', e.url, local[i].url); process.exit(1); } });
  ota.setOtaConfiguration(process.cwd(), undefined);
  ota.getOtaIndex({url: require('path').resolve('tree-remote.json')}).then((read) => {
    require('assert').deepStrictEqual(read, remote); }).catch((e) => { console.error(e); process.exit(1); });" "$ota_js"

# match picks what herdsman's own selection picks on generated indexes.
node "$script_dir/check_match_with_herdsman.js" "$ota_js" "$otawrap" match-cases
