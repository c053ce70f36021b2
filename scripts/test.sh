#!/usr/bin/env bash
# Installs what is missing, then builds and runs the whole suite three ways: the plain build,
# the same tests under AddressSanitizer and UndefinedBehaviorSanitizer, and a bounded run of
# every fuzz target (FUZZ_SECONDS each, default 30); then the Windows build, its tests under Wine
# and its packages (scripts/windows.sh). Exits non-zero on any failure.
# Needs no display: the window tests run on Qt's offscreen platform.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

bash scripts/install-deps.sh

echo "== Tests"
cmake -S . -B build-tests -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-tests -j"$jobs"
ctest --test-dir build-tests --output-on-failure -j"$jobs"

echo "== Tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DKV40812_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp" \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs"

echo "== Fuzzing"
bash scripts/fuzz.sh

echo "== Windows: the build, its tests under Wine, its packages"
bash scripts/windows.sh
