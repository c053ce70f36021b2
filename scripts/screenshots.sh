#!/usr/bin/env bash
# Takes the README's screenshots of the real windows under Xvfb, from a Release build on a
# throw-away workspace: docs/main-window.png (English, no configuration open) and
# docs/editor-italiano.png (the parameter editor in Italian). Installs what is missing,
# including xdotool and ImageMagick, which drive and grab the windows.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" != --inside-xvfb ]; then
  bash scripts/install-deps.sh
  missing=()
  command -v xdotool >/dev/null || missing+=(xdotool)
  command -v import >/dev/null || missing+=(imagemagick)
  if [ ${#missing[@]} -gt 0 ]; then
    as_root=()
    [ "$(id -u)" -eq 0 ] || as_root=(sudo)
    echo "Installing: ${missing[*]}"
    "${as_root[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
  cmake --build build -j"$(nproc)" --target kv40812 kv40812-tool
  # A screen tall enough for the editor with every group expanded.
  exec xvfb-run -a -s '-screen 0 1280x1024x24' bash "$0" --inside-xvfb
fi

# No version check leaves the machine.
export KV40812_WEB_BASE=http://127.0.0.1:9
ws=$(mktemp -d)
pid=
finish() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
  rm -rf "$ws"
}
trap finish EXIT

start() {
  build/bin/kv40812 --workspace "$ws" &
  pid=$!
  main=$(xdotool search --sync --onlyvisible --name 'Configurator KV40812' | head -n 1)
}
stop() {
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  pid=
}
# Grabs the first visible window whose title matches, once it has painted.
shoot() {
  local id
  id=$(xdotool search --sync --onlyvisible --name "$1" | head -n 1)
  xdotool mousemove 0 0
  sleep 1
  import -window "$id" "$2"
  echo "$2"
}

start
shoot 'Configurator KV40812' docs/main-window.png
stop

build/bin/kv40812-tool --workspace "$ws" new 'Line 1' >/dev/null
build/bin/kv40812-tool --workspace "$ws" set 'Line 1' Serial_Baud=19200 >/dev/null
printf '%s' '<Conf_Settings><lastproj><projectname>Line 1</projectname></lastproj><lastlang><language>Italiano</language></lastlang></Conf_Settings>' >"$ws/Zentrel.xml"
start
xdotool mousemove --window "$main" 165 174 click 1 # Step 2: Set Communication
shoot '^Imposta comunicazione$' docs/editor-italiano.png
stop
