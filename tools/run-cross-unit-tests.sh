#!/usr/bin/env bash
# The unit test suites cross-built for another processor and run under
# qemu-user, with the end-to-end tests starting the foreign otawrap through
# qemu too (OTAWRAP_TEST_LAUNCHER; no binfmt_misc needed):
#  1. the target's OpenSSL and GoogleTest Debian packages are fetched with a
#     private apt state and cache (the host's package lists, architectures
#     and installed packages are not touched) and unpacked with dpkg-deb -x
#     into build/cross-unit-ARCH/sysroot;
#  2. the suites are built statically with Debian's cross compiler
#     (cmake/toolchains/<triple>.cmake) against that sysroot;
#  3. ctest runs them with qemu as CMAKE_CROSSCOMPILING_EMULATOR.
# Excluded by label: interop (node and Python parsers run on the host's
# otawrap), windows (Wine), long (hours under emulation) and fuzz (replays of
# the libFuzzer corpora, built only with clang).
#
#   tools/run-cross-unit-tests.sh ARCH   s390x, aarch64 or armhf
#
# Extra arguments after ARCH go to ctest (e.g. -L ota). Needs the network for
# step 1 the first time; the packages are kept under build/ afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -ge 1 ] || { echo "usage: $0 s390x|aarch64|armhf [ctest arguments]"; exit 2; }
arch=$1
shift
case "$arch" in
  s390x) debian=s390x triple=s390x-linux-gnu qemu=qemu-s390x ;;
  aarch64) debian=arm64 triple=aarch64-linux-gnu qemu=qemu-aarch64 ;;
  armhf) debian=armhf triple=arm-linux-gnueabihf qemu=qemu-arm ;;
  *) echo "unknown architecture: $arch"; exit 2 ;;
esac
for program in "$triple-g++" "$qemu" dpkg-deb apt-get; do
  command -v "$program" >/dev/null || { echo "missing: $program"; exit 1; }
done
jobs=${OTAWRAP_JOBS:-2}
root=$PWD/build/cross-unit-$arch
sysroot=$root/sysroot
start=$SECONDS

# 1. The target's libraries, unpacked; fetched once.
if [ ! -f "$sysroot/.complete" ]; then
  apt=$root/apt
  rm -rf "$sysroot" "$apt"
  mkdir -p "$apt/state/lists/partial" "$apt/cache/archives/partial" "$apt/debs" "$sysroot"
  : >"$apt/status"
  options=(-o "APT::Architecture=$debian" -o "APT::Architectures=$debian"
           -o "Dir::State=$apt/state" -o "Dir::State::status=$apt/status"
           -o "Dir::Cache=$apt/cache" -o "APT::Sandbox::User=root" -qq)
  apt-get "${options[@]}" update
  (cd "$apt/debs" && apt-get "${options[@]}" download \
    "libssl-dev:$debian" "libssl3:$debian" "libgtest-dev:$debian")
  for deb in "$apt/debs"/*.deb; do dpkg-deb -x "$deb" "$sysroot"; done
  touch "$sysroot/.complete"
fi
echo "$arch: sysroot ready after $((SECONDS - start)) s"

# 2. The suites against the sysroot: the toolchain file for the processor,
# the sysroot as a second root for find_package, OpenSSL's per-architecture
# header directory, everything static.
cat >"$root/toolchain.cmake" <<EOF
include("$PWD/cmake/toolchains/$triple.cmake")
list(APPEND CMAKE_FIND_ROOT_PATH "$sysroot")
set(CMAKE_CXX_FLAGS_INIT "-isystem $sysroot/usr/include/$triple")
set(CMAKE_C_FLAGS_INIT "-isystem $sysroot/usr/include/$triple")
EOF
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DOTAWRAP_BUILD_TESTS=ON \
  -DCMAKE_TOOLCHAIN_FILE="$root/toolchain.cmake" -DOPENSSL_USE_STATIC_LIBS=ON \
  -DOTAWRAP_TEST_LAUNCHER="$qemu" "${launcher[@]}" >"$root/configure.log"
targets=(otawrap)
for suite in codec ecc sign image ota payload catalog cli commands report io; do
  targets+=("${suite}_tests")
done
cmake --build "$root/build" -j "$jobs" --target "${targets[@]}" >"$root/build.log" ||
  { grep -E "error|FAILED" "$root/build.log" | head -20; echo "$arch: build FAILED"; exit 1; }
echo "$arch: built after $((SECONDS - start)) s"

# 3. Under qemu.
status=0
# (long_tests_NOT_BUILT: the placeholder ctest lists for the unbuilt long suite.)
ctest --test-dir "$root/build" -j "$jobs" -LE 'interop|windows|long|fuzz' -E '_NOT_BUILT$' \
  --output-on-failure "$@" >"$root/ctest.log" 2>&1 || status=$?
grep -E "tests passed|tests failed|^[[:space:]]+[0-9]+ - " "$root/ctest.log" || true
echo "$arch: done after $((SECONDS - start)) s (ctest log: $root/ctest.log)"
exit "$status"
