#!/usr/bin/env bash
# Cross-builds the static Windows executable (MinGW-w64, warnings as errors,
# tests off) into build/mingw, then runs the Windows/Linux differential test
# of the release build (build/release) under Wine. Fails, rather than skips,
# when Wine or the cross build is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh full windows

cmake -S . -B build/mingw -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DOTAWRAP_BUILD_TESTS=OFF >/dev/null
cmake --build build/mingw -j 2 --target otawrap | tail -1
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DOTAWRAP_BUILD_TESTS=ON \
  -DOTAWRAP_WINDOWS_BINARY="$PWD/build/mingw/otawrap.exe" >/dev/null
cmake --build build/release -j 2 --target otawrap otawrap_make_windows_cases | tail -1
OTAWRAP_WINDOWS_REQUIRED=1 ctest --test-dir build/release -L windows --output-on-failure |
  grep -E "tests passed|Test +#|DIFFERENCE|skipped|windows differential|Wine failed"
grep -hE "^(Wine|windows differential)" build/release/Testing/Temporary/LastTest.log

# The Windows package: a .zip whose (stripped) otawrap.exe converts the sample
# to the same bytes as the Linux build.
(cd build/mingw && cpack -G ZIP >cpack.log 2>&1) || { cat build/mingw/cpack.log; exit 1; }
zip=$(ls build/mingw/otawrap-*-Windows-*.zip)
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
(cd "$unpacked" && unzip -q "$OLDPWD/$zip")
mkdir -p "$unpacked/linux" "$unpacked/windows"
build/release/otawrap examples/sample.raw -o"$unpacked/linux" -sexamples/test-credentials.txt
WINEDEBUG=-all WINEPREFIX=$PWD/build/release/wineprefix /usr/lib/wine/wine64 \
  "$unpacked"/otawrap-*/bin/otawrap.exe examples/sample.raw -o"$unpacked/windows" -sexamples/test-credentials.txt
cmp "$unpacked"/linux/*.zigbee "$unpacked"/windows/*.zigbee
cmp LICENSE "$unpacked"/otawrap-*/share/doc/otawrap/LICENSE ||
  { echo "the Windows package lacks the licence text"; exit 1; }
echo "windows package: $(($(stat -c %s "$zip") / 1024)) KiB $(basename "$zip"); its otawrap.exe signs the sample like the Linux build"
