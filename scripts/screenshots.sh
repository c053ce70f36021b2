#!/usr/bin/env bash
# Takes the README's screenshots of the real windows under Xvfb, from a Release build on a
# throw-away workspace: docs/main-window.png (English, no configuration open) and
# docs/editor-italiano.png (the parameter editor in Italian). Installs what is missing,
# including xdotool and ImageMagick, which drive and grab the windows.
# Runs as an ordinary user (sudo for the packages), as root, or as `sudo bash scripts/screenshots.sh`;
# under sudo only the packages are installed as root, the build and the shots are made as the
# user who owns this checkout, so build/ and docs/ stay theirs.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" != --inside-xvfb ]; then
  if [ "${1:-}" != --installed ]; then
    bash scripts/install-deps.sh xdotool imagemagick
    if [ "$(id -u)" -eq 0 ] && [ "${SUDO_UID:-0}" != 0 ] && [ "$(stat -c %u .)" = "$SUDO_UID" ]; then
      exec sudo -H -u "$SUDO_USER" bash scripts/screenshots.sh --installed
    fi
  fi
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
  cmake --build build -j"$(nproc)" --target kv40812 kv40812-tool
  # A screen tall enough for the editor with every group expanded.
  exec xvfb-run -a -s '-screen 0 1280x1024x24' bash scripts/screenshots.sh --inside-xvfb
fi

# No version check leaves the machine.
export KV40812_WEB_BASE=http://127.0.0.1:9
ws=$(mktemp -d)
# A runtime folder of this user's own: an inherited one (sudo -E) may belong to someone else.
XDG_RUNTIME_DIR=$(mktemp -d)
export XDG_RUNTIME_DIR
pid=
finish() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
  rm -rf "$ws" "$XDG_RUNTIME_DIR"
}
trap finish EXIT

# The first visible window whose title matches; a program that shows none within a minute
# fails the run instead of leaving it waiting.
window() {
  local id
  id=$(timeout 60 xdotool search --sync --onlyvisible --name "$1" | head -n 1) || true
  [ -n "$id" ] || { echo "no window \"$1\" appeared" >&2; exit 1; }
  echo "$id"
}
start() {
  build/bin/kv40812 --workspace "$ws" &
  pid=$!
  main=$(window 'Configurator KV40812')
}
stop() {
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  pid=
}
# Grabs the first visible window whose title matches, once it has painted.
shoot() {
  local id
  id=$(window "$1")
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
