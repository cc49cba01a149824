#!/usr/bin/env bash
# Installs the Debian packages of the named sets, skipping the package manager
# when everything is already present.
#
#   tools/install-deps.sh SET...
#     build    cmake, ninja-build, g++: all that building the tool needs
#     full     build plus the tests (GoogleTest, OpenSSL, zigpy and xz as
#              oracles, xxd for the documented examples; SoftHSM2 with opensc's
#              pkcs11-tool as an external signer), the benchmarks, the fuzzers
#              (clang-14 with libFuzzer) and the static analysis; ccache for CI's
#              repeated builds
#     windows  the MinGW-w64 cross compiler and Wine (about 170 MB download)
#     cross    the aarch64, armhf, i686 and s390x cross compilers and qemu-user,
#              for the cross-architecture differential (about 150 MB download)
#     docs     mandoc, for the man page lint
#     package  dpkg-dev, file, man-db and lintian, for the package check
#     web      emscripten (the WebAssembly build, tools/build-web.sh), chromium
#              and a font for the browser tests (tools/run-web-tests.sh, which
#              also needs node and npm: the machine's own, or Debian's nodejs
#              and npm when there is no node)
#   (no SET: full, as before)
set -euo pipefail
[ $# -gt 0 ] || set -- full
packages=()
recommends=(--no-install-recommends)
for set in "$@"; do
  case "$set" in
    build) packages+=(cmake ninja-build g++) ;;
    full) recommends=()
      packages+=(cmake ninja-build g++ clang clang-14 libclang-rt-14-dev clang-tidy-14 cppcheck
      libgtest-dev libbenchmark-dev libssl-dev python3-zigpy xz-utils xxd zsh ccache
      softhsm2 opensc openssl) ;;
    windows) packages+=(g++-mingw-w64-x86-64-posix wine wine64) ;;
    cross) packages+=(g++-aarch64-linux-gnu g++-arm-linux-gnueabihf g++-i686-linux-gnu
      g++-s390x-linux-gnu qemu-user) ;;
    docs) packages+=(mandoc) ;;
    package) packages+=(dpkg-dev file man-db lintian) ;;
    web) packages+=(emscripten chromium fonts-dejavu-core)
      command -v node >/dev/null 2>&1 || packages+=(nodejs)
      command -v npm >/dev/null 2>&1 || packages+=(npm) ;;
    *) echo "unknown package set: $set" >&2; exit 2 ;;
  esac
done
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${recommends[@]}" \
  "${missing[@]}" >/dev/null
