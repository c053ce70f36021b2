#!/usr/bin/env bash
# The start benchmark: how long the configurator takes to show its main window, and how much
# memory it takes, against a bare Qt window of the same size (bench/floor_window.cpp). Both are
# started alternately under an Xvfb of their own, RUNS times each (20 by default); the time runs
# from the fork to the MapNotify of the first top-level window, as bench/map_timer.c watches for
# it on the X connection (to well under a millisecond), and the peak memory is VmHWM read half a
# second after the window appeared, just before the program is ended. Then the batch benchmark
# (scripts/bench-batch.sh) runs. A benchmark, not a test: run it on a quiet machine.
#   bash scripts/bench.sh                  RUNS=20, BUILD_DIR=build-bench
#   CONFIGURATOR=/path/to/kv40812 bash scripts/bench.sh    measures another build
#   BATCH=0 bash scripts/bench.sh          skips the batch benchmark
# The configurator runs on a throw-away workspace whose settings hold the address 127.0.0.1 and
# both internet flags off; its web server is 127.0.0.1 too, so nothing leaves loopback.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh libxcb1-dev

build=${BUILD_DIR:-build-bench}
runs=${RUNS:-20}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake -S bench -B "$build/bench" -DCMAKE_BUILD_TYPE=Release >/dev/null
if [ -z "${CONFIGURATOR:-}" ]; then
  cmake --build "$build" -j2 --target kv40812 >/dev/null
fi
cmake --build "$build/bench" -j2 >/dev/null
configurator=$(realpath "${CONFIGURATOR:-$build/bin/kv40812}")
floor=$(realpath "$build/bench/floor_window")
timer=$(realpath "$build/bench/map_timer")

scratch=$(mktemp -d)
xvfb=
finish() {
  if [ -n "$xvfb" ]; then
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
  fi
  rm -rf "$scratch"
}
trap finish EXIT

workspace=$scratch/workspace
mkdir -p "$workspace"
printf '%s' '<Conf_Settings><lastproj><projectname></projectname></lastproj><lastipadd><ipaddress>127.0.0.1</ipaddress></lastipadd><lastlang><language>English</language></lastlang><lastinternet><enable_internet>0</enable_internet><enable_update>0</enable_update><enable_jump_field_tables>0</enable_jump_field_tables><Double_Click_Auto_Size>0</Double_Click_Auto_Size></lastinternet></Conf_Settings>' \
  >"$workspace/Zentrel.xml"
export KV40812_WEB_BASE=http://127.0.0.1:9
XDG_RUNTIME_DIR=$scratch/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
export XDG_RUNTIME_DIR

# An X server of our own on the first free display, which it names through the pipe.
mkfifo "$scratch/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$scratch/display" 2>/dev/null &
xvfb=$!
read -r display <"$scratch/display"
export DISPLAY=:$display

echo "load before: $(uptime)"
# One unmeasured start of each warms the caches of the file system and the fonts.
"$timer" -- "$floor" >/dev/null
"$timer" -- "$configurator" --workspace "$workspace" >/dev/null
for ((i = 1; i <= runs; i++)); do
  echo "floor $("$timer" -- "$floor")" >>"$scratch/results"
  echo "configurator $("$timer" -- "$configurator" --workspace "$workspace")" >>"$scratch/results"
done
echo "load after:  $(uptime)"

# Median, min and max of one column for one program.
stats() {
  awk -v who="$1" -v col="$2" '$1 == who { print $col }' "$scratch/results" | sort -g | awk '
    { v[NR] = $1 }
    END { m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; printf "%s %s %s\n", m, v[1], v[NR] }'
}
read -r fm fmin fmax <<<"$(stats floor 2)"
read -r cm cmin cmax <<<"$(stats configurator 2)"
read -r fr frmin frmax <<<"$(stats floor 3)"
read -r cr crmin crmax <<<"$(stats configurator 3)"
echo "shown after (ms) and peak memory (MiB), median [min-max] of $runs starts each:"
awk -v fm="$fm" -v fmin="$fmin" -v fmax="$fmax" -v cm="$cm" -v cmin="$cmin" -v cmax="$cmax" \
    -v fr="$fr" -v frmin="$frmin" -v frmax="$frmax" -v cr="$cr" -v crmin="$crmin" -v crmax="$crmax" 'BEGIN {
  printf "  %-13s %8s  %-17s %8s  %s\n", "", "shown", "", "memory", ""
  printf "  %-13s %8.1f  [%6.1f-%6.1f]  %8.1f  [%5.1f-%5.1f]\n", "floor window", fm, fmin, fmax, fr / 1024, frmin / 1024, frmax / 1024
  printf "  %-13s %8.1f  [%6.1f-%6.1f]  %8.1f  [%5.1f-%5.1f]\n", "configurator", cm, cmin, cmax, cr / 1024, crmin / 1024, crmax / 1024
  printf "  %-13s %7.2fx  %17s %7.2fx   (goals: 1.25x, 1.15x)\n", "ratio", cm / fm, "", cr / fr
}'

if [ "${BATCH:-1}" != 0 ] && [ -f scripts/bench-batch.sh ]; then
  echo
  BUILD_DIR=$build bash scripts/bench-batch.sh
fi
