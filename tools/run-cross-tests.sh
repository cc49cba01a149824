#!/usr/bin/env bash
# Cross builds and the cross-architecture differential test:
#  1. otawrap built with the two plainest toolchain files, which must work
#     because the sources, not the build, decide on the hardware paths:
#     cmake/toolchains/mingw-w64-plain.cmake (no processor named) into
#     build/cross-mingw-plain, and cmake/toolchains/aarch64-compilers-only.cmake
#     (the compilers alone), linked statically, into build/cross-aarch64;
#  2. static otawrap for armhf, i686 and s390x (big-endian) with Debian's cross
#     compilers (cmake/toolchains/<triple>.cmake) into build/cross-<arch>;
#  3. the differential test (tests/cross/run_differential.sh): every step of
#     the Windows differential's generated cases under the release build
#     (build/release) and under each foreign build in qemu-user, named
#     explicitly; exit codes, messages and files must be identical.
# Fails, rather than skips, when a compiler or qemu is missing.
#
#   tools/run-cross-tests.sh [ARCH...]   aarch64 armhf i686 s390x (default: all)
#
# OTAWRAP_CROSS_EVERY=N runs only every Nth generated conversion case on the
# foreign builds (see tests/cross/run_differential.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh full cross windows
jobs=$(nproc 2>/dev/null || echo 2)
[ $# -gt 0 ] || set -- aarch64 armhf i686 s390x

# build NAME CMAKE-ARGUMENTS...: otawrap alone, Release, tests off; output in
# build/NAME/build.log.
build() {
  local name=$1 start=$SECONDS
  shift
  mkdir -p "build/$name"
  if ! { cmake -S . -B "build/$name" -G Ninja -DCMAKE_BUILD_TYPE=Release -DOTAWRAP_BUILD_TESTS=OFF "$@" &&
         cmake --build "build/$name" -j "$jobs" --target otawrap; } >"build/$name/build.log" 2>&1; then
    grep -E "error|Error|FAILED" "build/$name/build.log" | head -20
    echo "$name: build FAILED, see build/$name/build.log"
    exit 1
  fi
  echo "$name: built in $((SECONDS - start)) s"
}

build cross-mingw-plain -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64-plain.cmake
foreign=()
for arch in "$@"; do
  case "$arch" in
    aarch64) build cross-aarch64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/aarch64-compilers-only.cmake \
               -DCMAKE_EXE_LINKER_FLAGS=-static
             foreign+=("aarch64=qemu-aarch64:build/cross-aarch64/otawrap") ;;
    armhf) build cross-armhf -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/arm-linux-gnueabihf.cmake
           foreign+=("armhf=qemu-arm:build/cross-armhf/otawrap") ;;
    i686) build cross-i686 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/i686-linux-gnu.cmake
          foreign+=("i686=qemu-i386:build/cross-i686/otawrap") ;;
    s390x) build cross-s390x -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/s390x-linux-gnu.cmake
           foreign+=("s390x=qemu-s390x:build/cross-s390x/otawrap") ;;
    *) echo "unknown architecture: $arch"; exit 2 ;;
  esac
done

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DOTAWRAP_BUILD_TESTS=ON >/dev/null
cmake --build build/release -j "$jobs" --target otawrap otawrap_make_windows_cases | tail -1
bash tests/cross/run_differential.sh build/release/otawrap build/release/otawrap_make_windows_cases \
  build/cross-differential "${foreign[@]}"
