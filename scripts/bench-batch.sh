#!/usr/bin/env bash
# Times batch on generated plans: checking and writing N new configurations into an empty
# workspace, the same plan again as updates, and a dry run. A benchmark, not a test.
#   bash scripts/bench-batch.sh [ROWS...]     (default: 1000 10000)
# Installs what is missing first. BUILD_DIR (default build-bench) holds the Release build of
# kv40812-tool; KEEP=1 keeps the generated plans and workspaces.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

build=${BUILD_DIR:-build-bench}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target kv40812-tool >/dev/null
tool=$build/bin/kv40812-tool

scratch=$(mktemp -d)
if [ "${KEEP:-0}" = 1 ]; then
  echo "plans and workspaces kept in $scratch" >&2
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

seconds() {
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null
  end=$(date +%s.%N)
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.2f", e - s }'
}

printf '%8s  %12s  %12s  %12s\n' rows "create (s)" "update (s)" "dry run (s)"
for rows in "${@:-1000 10000}"; do
  for n in $rows; do
    plan=$scratch/plan-$n.csv
    workspace=$scratch/workspace-$n
    make_plan "$n" >"$plan"
    create=$(seconds "$tool" --workspace "$workspace" batch "$plan")
    update=$(seconds "$tool" --workspace "$workspace" batch "$plan")
    dry=$(seconds "$tool" --workspace "$workspace" batch --dry-run "$plan")
    printf '%8s  %12s  %12s  %12s\n' "$n" "$create" "$update" "$dry"
  done
done
