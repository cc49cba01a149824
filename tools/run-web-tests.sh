#!/usr/bin/env bash
# The page in a real browser: builds the native tool and the web build
# (tools/build-web.sh), makes the table's files with the test kit under
# build/web-test/cases, installs the pinned playwright-core from the npm
# registry into build/web-node (it downloads no browser), serves build/web on
# 127.0.0.1 and drives Debian's chromium headless (tests/web/browser_test.js).
# Screenshots of each state land in build/web-test/. Real-world files are
# used where they lie (../shared/realworld, or OTAWRAP_REALWORLD), never copied.
#   tools/run-web-tests.sh           the tests; prints "N passed, N failed"
#   tools/run-web-tests.sh --bench   sizes, times and the 64 MiB limit instead
# Needs tools/install-deps.sh web (emscripten, chromium) and node with npm.
set -euo pipefail
cd "$(dirname "$0")/.."
playwright_version=1.65.1  # pinned: the driver the test script is written against
bench=()
[ "${1:-}" = --bench ] && bench=(--bench)
for tool in node npm /usr/bin/chromium; do
  command -v "$tool" >/dev/null 2>&1 || { echo "run-web-tests: $tool not found (tools/install-deps.sh web)" >&2; exit 2; }
done

release=build/release
[ -f "$release/build.ninja" ] || cmake -S . -B "$release" -G Ninja -DOTAWRAP_BUILD_TESTS=ON >/dev/null
cmake --build "$release" -j2 --target otawrap otawrap_make_shapes | tail -1
otawrap=$PWD/$release/otawrap
tools/build-web.sh

node_dir=build/web-node
mkdir -p "$node_dir"
installed=$node_dir/node_modules/playwright-core/package.json
if [ ! -f "$installed" ] || ! grep -q "\"version\": \"$playwright_version\"" "$installed"; then
  # --ignore-scripts: the package's own files only, no browser download.
  (cd "$node_dir" && npm install --no-audit --no-fund --ignore-scripts --no-save \
      "playwright-core@$playwright_version" >npm-install.log 2>&1) ||
    { cat "$node_dir/npm-install.log" >&2; exit 1; }
fi

# The table's files: the test kit's shapes, a signed file, a raw file, an
# empty one, awkward names, an index with its files, and for the benchmark
# files of 1 MiB, 64 MiB and one byte more.
out=build/web-test
cases=$out/cases
rm -rf "$cases"
mkdir -p "$cases"/{shapes,signed,other,names,index,bench}
"$release/examples/otawrap_make_shapes" "$cases/shapes" >/dev/null
"$otawrap" convert examples/sample.raw -o "$cases/signed" -s examples/test-ca-credentials.txt >/dev/null
cp examples/sample.raw "$cases/other/"
: >"$cases/other/empty.ota"
cp "$cases/shapes/plain.ota" "$cases/names/Lampe ü 'Küche' 1.zigbee"
cp "$cases/shapes/integrity-code.ota" "$cases/names/--json"
(
  cd "$cases/shapes"
  cp plain.ota signed-container.ota integrity-code.ota ../index/
  # crc32-trailer.ota is listed but not given: a file the index lacks.
  "$otawrap" index plain.ota signed-container.ota integrity-code.ota crc32-trailer.ota >../index/index.json 2>/dev/null
)
printf '[{"fileName": ' >"$cases/index/broken.json"
if [ ${#bench[@]} -gt 0 ]; then
  payload() { node -e 'let x = 1; const b = Buffer.alloc(+process.argv[1]);
    for (let i = 0; i < b.length; i++) { x = (x * 1103515245 + 12345) >>> 0; b[i] = x >>> 24; }
    process.stdout.write(b);' "$1"; }
  payload 1048576 >"$cases/bench/1mib.bin"
  "$otawrap" build -m 1234 -t 5678 -v 00000001 --tag 0000="$cases/bench/1mib.bin" --integrity-code \
    --output "$cases/bench/1mib.zigbee" >/dev/null
  payload $((64 * 1024 * 1024 - 62)) >"$cases/bench/64mib.bin"
  "$otawrap" build -m 1234 -t 5678 -v 00000001 --tag 0000="$cases/bench/64mib.bin" \
    --output "$cases/bench/64mib.zigbee" >/dev/null
  { cat "$cases/bench/64mib.zigbee"; printf '\0'; } >"$cases/bench/64mib-plus-1.zigbee"
  rm "$cases/bench/"*.bin
fi

realworld=${OTAWRAP_REALWORLD:-../shared/realworld}
node tests/web/browser_test.js --web build/web --otawrap "$otawrap" --cases "$cases" --out "$out" \
  --playwright "$node_dir" --realworld "$realworld" "${bench[@]}"
