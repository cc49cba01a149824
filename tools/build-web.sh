#!/usr/bin/env bash
# The WebAssembly build and the page: the subsystem libraries compiled by
# Debian's emscripten at -Os with web/entry.cpp as the entry (web/CMakeLists.txt),
# then build/web/ assembled: index.html, app.js, style.css, otawrap.js,
# otawrap.wasm, and otawrap-wasm.js (the same wasm in base64, which the page
# loads only when opened from file://, where browsers fetch nothing).
#   tools/build-web.sh          (emscripten from tools/install-deps.sh web)
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v emcc >/dev/null 2>&1; then
  echo "build-web: emcc not found; tools/install-deps.sh web installs it" >&2
  exit 2
fi
# Debian's emcc runs its JavaScript tools on the node found first; one that is
# not Debian's finds their modules (acorn) only through NODE_PATH.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
objects=build/web-obj
out=build/web
mkdir -p build
log=build/web-build.log
{ emcmake cmake -S web -B "$objects" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel &&
  cmake --build "$objects" -j2 --target otawrap_web; } >"$log" 2>&1 || { cat "$log" >&2; exit 1; }
rm -rf "$out"
mkdir -p "$out"
cp web/index.html web/app.js web/style.css "$objects/otawrap.js" "$objects/otawrap.wasm" "$out/"
{
  printf '// otawrap.wasm in base64, for a page opened from file:// (see app.js).\n'
  printf 'self.otawrapWasmBase64 = "'
  base64 -w0 "$objects/otawrap.wasm"
  printf '";\n'
} >"$out/otawrap-wasm.js"
wasm_bytes=$(wc -c <"$out/otawrap.wasm")
wasm_gzip=$(gzip -9c "$out/otawrap.wasm" | wc -c)
echo "build-web: $out/ written; otawrap.wasm $wasm_bytes bytes ($wasm_gzip gzipped), otawrap.js $(wc -c <"$out/otawrap.js") bytes"
