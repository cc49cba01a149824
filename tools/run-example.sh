#!/usr/bin/env bash
# Quick start: installs only what building the tool needs (CMake, Ninja, g++),
# builds otawrap and its shell completion (tests off; what `cmake --install`
# installs) into build/release, where the README's
# examples expect it, and converts the bundled sample raw file into out/.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh build
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DOTAWRAP_BUILD_TESTS=OFF >/dev/null
cmake --build build/release --target otawrap otawrap_completion | tail -1
mkdir -p out
build/release/otawrap examples/sample.raw -oout -pQUILLDEV
echo
ls -l out
