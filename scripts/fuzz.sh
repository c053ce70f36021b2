#!/usr/bin/env bash
# Installs what is missing (clang and its fuzzer runtime among it), builds the libFuzzer targets
# with clang and runs each for a bounded time on a copy of its seed corpus. Any crash, leak,
# sanitizer finding or time-out fails the run.
# FUZZ_SECONDS sets the time per target (default 30); FUZZ_ONLY="fuzz_a fuzz_b" runs only those.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

seconds=${FUZZ_SECONDS:-30}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKV40812_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
targets=$(cd tests/fuzz && ls fuzz_*.cpp | sed 's/\.cpp$//')
# shellcheck disable=SC2086
cmake --build build-fuzz -j"$(nproc)" --target $targets >build-fuzz/build.log 2>&1 || { tail -n 50 build-fuzz/build.log; exit 1; }

artifacts=build-fuzz/artifacts
mkdir -p "$artifacts"
failed=0
for t in ${FUZZ_ONLY:-$targets}; do
  work=$(mktemp -d)
  cp -r "tests/fuzz/corpus/$t/." "$work/" 2>/dev/null || true
  log=build-fuzz/$t.log
  dict=()
  case $t in fuzz_settings|fuzz_parameters|fuzz_image|fuzz_xml) dict=(-dict=tests/fuzz/xml.dict) ;; esac
  if ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
     "build-fuzz/fuzz/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
       -artifact_prefix="$artifacts/$t-" -print_final_stats=1 "${dict[@]}" "$work" >"$log" 2>&1; then
    runs=$(grep -m1 'stat::number_of_executed_units' "$log" | awk '{print $2}')
    echo "fuzz $t: ok, ${runs:-?} runs in ${seconds}s"
  else
    echo "fuzz $t: FAILED (see $log and $artifacts)"
    tail -n 40 "$log"
    failed=1
  fi
  rm -rf "$work"
done
exit $failed
