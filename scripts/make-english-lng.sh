#!/usr/bin/env bash
# Writes languages/English.lng from the built-in texts, with the tool's `texts` command.
# Run it after changing a built-in text; a test fails while the file is out of step.
# Installs what is missing first. The file is written whole beside the old one, then moved into
# place, so a failed run leaves the old file as it was.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build -j"$(nproc)" --target kv40812-tool >/dev/null

target=languages/English.lng
tmp=$(mktemp languages/.English.lng.XXXXXX)
trap 'rm -f "$tmp"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
build/bin/kv40812-tool texts >"$tmp"
[ -s "$tmp" ] || { echo "kv40812-tool texts wrote nothing; $target is unchanged" >&2; exit 1; }
# mktemp makes the file private; the language file is for everyone to read.
chmod 644 "$tmp"
mv -f "$tmp" "$target"
