#!/usr/bin/env bash
# Builds otawrap and converts the bundled sample raw file into out/.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build/release --target otawrap
mkdir -p out
build/release/otawrap examples/sample.raw -oout -pQUILLDEV
echo
ls -l out
