#!/usr/bin/env bash
# Installs the Debian packages the build, the tests, the benchmarks, the
# fuzzers (clang-14 with its libFuzzer runtime) and the static analysis need,
# skipping the package manager when everything is already present.
set -euo pipefail
packages=(cmake ninja-build g++ clang clang-14 libclang-rt-14-dev clang-tidy-14 cppcheck
  libgtest-dev libbenchmark-dev libssl-dev)
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
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
