#!/usr/bin/env bash
# Installs what is missing, builds a Release build and starts the configurator.
# Its workspace (PROJECTS, LANGUAGE, MASTER, Zentrel.xml) lies next to the executable in build/bin.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build -j"$(nproc)" --target kv40812

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found; start the configurator under Xvfb instead: xvfb-run -a -s '-screen 0 1280x1024x24' build/bin/kv40812${*:+ $*}"
  exit 1
fi
exec build/bin/kv40812 "$@"
