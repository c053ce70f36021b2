#!/usr/bin/env bash
# Installs what is missing, builds the whole suite and runs it through CTest.
# Needs no display: the window tests run on Qt's offscreen platform.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build-tests -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-tests -j"$(nproc)"
ctest --test-dir build-tests --output-on-failure -j"$(nproc)"
