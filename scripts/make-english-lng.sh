#!/usr/bin/env bash
# Writes languages/English.lng from the built-in texts, with the tool's `texts` command.
# Run it after changing a built-in text; a test fails while the file is out of step.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target kv40812-tool >/dev/null
build/bin/kv40812-tool texts > languages/English.lng
