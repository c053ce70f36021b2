#!/usr/bin/env bash
# Times batch against the least that writing its files can cost, a benchmark and not a test.
#   bash scripts/bench-batch.sh [ROWS]     (default 10000)
# The floor (bench/floor_batch.cpp) makes each row's two folders and writes its ParGen.xml and
# bin/bank.bin through a temporary file, a sync and a rename, on eight threads as batch does.
# Both run RUNS times (default 5), alternating, each into an empty workspace after a sync;
# then a dry run of the same plan, and, for the record, the plan again as updates and a dry
# run over those configurations. Installs what is missing first. BUILD_DIR (default
# build-bench) holds the Release build; KEEP=1 keeps the plan and workspaces.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

rows=${1:-10000}
runs=${RUNS:-5}
build=${BUILD_DIR:-build-bench}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j2 --target kv40812-tool >/dev/null
tool=$(realpath "$build/bin/kv40812-tool")
floor=$(realpath "$build")/floor_batch
"${CXX:-c++}" -O2 -std=c++20 -pthread bench/floor_batch.cpp -o "$floor"

scratch=$(mktemp -d)
if [ "${KEEP:-0}" = 1 ]; then
  echo "plan and workspaces kept in $scratch" >&2
else
  trap 'rm -rf "$scratch"' EXIT
fi

# Every unit its own address in 10.0.0.0/16 and its own Modbus ID; the values only lie in the
# plan and the files, nothing is sent anywhere.
make_plan() {
  awk -v rows="$1" 'BEGIN {
    split("1200 2400 4800 9600 19200 38400 57600 115200", baud, " ")
    print "Name,ModbusTCPSlave_IP1,ModbusTCPSlave_IP2,ModbusTCPSlave_IP3,ModbusTCPSlave_IP4,ModbusTCPSlave_SM3,Serial_Baud,Serial_Parity,ModbusSlave_ID_Device"
    for (i = 0; i < rows; i++)
      printf "Unit %05d,10,0,%d,%d,0,%s,%s,%d\n", i + 1, int(i / 250), i % 250 + 1, baud[i % 8 + 1], (i % 2 ? "EVEN" : "none"), i % 247 + 1
  }'
}

# Seconds that a command takes, its output discarded; a failing command ends the benchmark.
seconds() {
  local start=$EPOCHREALTIME
  "$@" >/dev/null
  awk -v s="$start" -v e="$EPOCHREALTIME" 'BEGIN { printf "%.3f", e - s }'
}

# "median min max" of the numbers given.
stats() {
  printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 }
    END { m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; printf "%.3f %.3f %.3f", m, v[1], v[NR] }'
}

plan=$scratch/plan.csv
make_plan "$rows" >"$plan"

# The floor writes the files that batch writes for the plan's first row.
make_plan 1 >"$scratch/first.csv"
"$tool" --workspace "$scratch/sample" batch "$scratch/first.csv" >/dev/null
sample=$scratch/sample/PROJECTS/"Unit 00001"
# A dry run writes nothing: one empty workspace serves every run.
mkdir -p "$scratch/empty/PROJECTS"

fresh() {
  rm -rf "$scratch/ws"
  mkdir -p "$scratch/ws/PROJECTS"
  sync
}

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
floor_times=()
tool_times=()
dry_times=()
for ((run = 1; run <= runs; run++)); do
  fresh
  floor_times+=("$(seconds "$floor" "$scratch/ws/PROJECTS" "$rows" "$sample/ParGen.xml" "$sample/bin/bank.bin")")
  fresh
  tool_times+=("$(seconds "$tool" --workspace "$scratch/ws" batch "$plan")")
  dry_times+=("$(seconds "$tool" --workspace "$scratch/empty" batch --dry-run "$plan")")
done
# The last run's configurations exist now: the same plan updates them.
sync
update=$(seconds "$tool" --workspace "$scratch/ws" batch "$plan")
dry_existing=$(seconds "$tool" --workspace "$scratch/ws" batch --dry-run "$plan")
echo "load average after:  $(cut -d' ' -f1-3 /proc/loadavg)"

read -r floor_median floor_min floor_max <<<"$(stats "${floor_times[@]}")"
read -r tool_median tool_min tool_max <<<"$(stats "${tool_times[@]}")"
read -r dry_median dry_min dry_max <<<"$(stats "${dry_times[@]}")"
echo
echo "$rows rows, $runs runs each, alternating"
printf '%-34s %10s  %s\n' "" "median (s)" "min - max (s)"
printf '%-34s %10s  %s - %s\n' "file-writing floor, new rows" "$floor_median" "$floor_min" "$floor_max"
printf '%-34s %10s  %s - %s\n' "batch, new rows" "$tool_median" "$tool_min" "$tool_max"
printf '%-34s %10s\n' "ratio batch / floor (medians)" "$(awk -v t="$tool_median" -v f="$floor_median" 'BEGIN { printf "%.2f", t / f }')"
printf '%-34s %10s  %s - %s\n' "batch --dry-run, new rows" "$dry_median" "$dry_min" "$dry_max"
printf '%-34s %10s\n' "batch, every row an update (once)" "$update"
printf '%-34s %10s\n' "batch --dry-run, updates (once)" "$dry_existing"
