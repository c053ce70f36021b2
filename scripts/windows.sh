#!/usr/bin/env bash
# Builds the configurator, the tool and the tests for 64-bit Windows (mingw-w64) into build-win64/,
# runs the tests under Wine, and writes dist/kv40812-VERSION-win64.zip and
# dist/kv40812-VERSION-win64-setup.exe, then installs, starts and uninstalls the latter under Wine.
# Exits non-zero on any failure.
#
# Qt and libcurl for Windows come from the kit that scripts/win64-kit.sh builds from Debian's
# source packages. It is kept outside the repository, in $KV40812_WIN64_CACHE (default
# ~/.cache/kv40812-win64-kit). Missing there, it is unpacked from a shared kit folder when that
# folder's build-kit.sh is our recipe byte for byte and its archive matches its .sha256; otherwise
# it is built (40-90 minutes on two cores). The shared folder is $KV40812_WIN64_KIT_DIR, else
# ../shared/win64 beside the repository, else shared/win64 in a folder above it, else
# /work/shared/win64: the first of these that exists.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build-win64
prefix=$build/wineprefix
recipe=$root/scripts/win64-kit.sh
kit=${KV40812_WIN64_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/kv40812-win64-kit}
if [ -n "${KV40812_WIN64_KIT_DIR:-}" ]; then
  shared=$KV40812_WIN64_KIT_DIR
else
  shared=/work/shared/win64
  candidates=("$root/../shared/win64")
  up=$root
  while [ "$up" != / ]; do up=$(dirname "$up"); candidates+=("$up/shared/win64"); done
  for candidate in "${candidates[@]}"; do
    if [ -d "$candidate" ]; then shared=$candidate; break; fi
  done
fi
jobs=$(nproc)

if [ "$(id -u)" -eq 0 ]; then as_root=(); else as_root=(sudo); fi
started=$SECONDS
step() { echo "== $* [$((SECONDS - started)) s]"; }

tmp=$(mktemp -d)
kit_work=
xvfb_pid=
wine_used=
cleanup() {
  if [ -n "$wine_used" ]; then WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  if [ -n "$kit_work" ]; then "${as_root[@]}" rm -rf "$kit_work"; fi
  rm -rf "$tmp"
}
trap cleanup EXIT

step "Debian packages"
bash scripts/install-deps.sh cmake ninja-build ccache python3 qt6-base-dev qt6-base-dev-tools \
  g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 nsis zip xvfb xauth fonts-dejavu-core xdotool imagemagick \
  dpkg-dev xz-utils debian-archive-keyring
# The kit's Qt runs the machine's moc, rcc and uic: they must be the very version it was built with.
host_qt=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)
if [[ $host_qt != 6.4.2+* ]]; then
  echo "The Windows kit needs the Qt 6.4.2 host tools; qt6-base-dev-tools is $host_qt." >&2
  exit 1
fi

recipe_sum=$(sha256sum < "$recipe" | cut -d' ' -f1)

shared_kit_usable() {
  local archive=$shared/kv40812-win64-kit.tar.xz want
  [ -f "$archive" ] && [ -f "$archive.sha256" ] && [ -f "$shared/build-kit.sh" ] || return 1
  if ! cmp -s "$shared/build-kit.sh" "$recipe"; then
    echo "The kit in $shared was made by another recipe than scripts/win64-kit.sh; not using it." >&2
    return 1
  fi
  read -r want _ < "$archive.sha256"
  if [ "$(sha256sum < "$archive" | cut -d' ' -f1)" != "$want" ]; then
    echo "$archive does not match its checksum; not using it." >&2
    return 1
  fi
}

# A kit counts only with the stamp of the recipe that made it, written when it is complete.
# Runs from other clones share the cache: one at a time unpacks or builds it.
mkdir -p "$(dirname "$kit")"
exec 8>"$kit.lock"
flock 8
if [ "$(cat "$kit/.recipe-sha256" 2>/dev/null)" = "$recipe_sum" ]; then
  step "Windows kit in $kit"
elif shared_kit_usable; then
  step "Windows kit: unpacking $shared into $kit"
  rm -rf "$kit"
  mkdir -p "$kit"
  tar -C "$kit" --strip-components=1 -xJf "$shared/kv40812-win64-kit.tar.xz"
  echo "$recipe_sum" > "$kit/.recipe-sha256"
else
  echo "No usable kit in $shared (KV40812_WIN64_KIT_DIR)." >&2
  step "Windows kit: building it from Debian's sources into $kit (40-90 minutes)"
  rm -rf "$kit"
  # The recipe's sources and build trees take several GB of its temporary folder: this one,
  # beside the cache rather than in /tmp, goes when the script ends, however it ends.
  kit_work=$(mktemp -d "$(dirname "$kit")/kv40812-win64-kit-work.XXXXXX")
  "${as_root[@]}" env TMPDIR="$kit_work" bash "$recipe" "$kit"
  [ ${#as_root[@]} -eq 0 ] || "${as_root[@]}" chown -R "$(id -u):$(id -g)" "$kit"
  echo "$recipe_sum" > "$kit/.recipe-sha256"
fi
exec 8>&-

step "Configure"
# A build folder keeps the paths of the kit it was first configured with.
configured=$(sed -n 's/^CMAKE_TOOLCHAIN_FILE:[A-Z]*=//p' "$build/CMakeCache.txt" 2>/dev/null || true)
if [ -n "$configured" ] &&
   [ "$(realpath -m "$configured")" != "$(realpath -m "$kit/lib/cmake/Qt6/qt.toolchain.cmake")" ]; then
  echo "build-win64 was configured with the kit in ${configured%/bin/*}; configuring it afresh."
  rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles"
fi
# CTest runs each Windows test executable through Wine, in a prefix of this build's own.
"$kit/bin/qt-cmake" -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$root/cmake/wine-run.sh;$prefix;$kit/bin" >/dev/null

step "Build"
cmake --build "$build" -j"$jobs"

step "Tests under Wine"
# An X server of our own: Wine draws the windows of the installer and of the configurator there.
Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5>"$tmp/display" 2>"$tmp/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$tmp/display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || { cat "$tmp/xvfb.log" >&2; exit 1; }
  sleep 0.1
done
[ -s "$tmp/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(cat "$tmp/display")
wine_used=1
# A server left over from an earlier run makes new programs wait; one that stays up for the whole
# run saves each test the server's start.
WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
cmake/wine-run.sh "$prefix" "$kit/bin"
WINEPREFIX=$prefix wineserver -p
ctest --test-dir "$build" --output-on-failure -j"$jobs"

step "Packages for Windows"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
name=kv40812-$version-win64
stage=$build/stage/$name
rm -rf "$build/stage"
cmake --install "$build" --prefix "$stage" >/dev/null
bash scripts/win64-deploy.sh "$kit" "$stage/bin" "$stage"/bin/*.exe
(cd "$build/stage" && zip -qrX "$tmp/$name.zip" "$name")
# The uninstaller removes exactly the installed files, deepest folders last, so that anything
# a user put there stays.
{
  (cd "$stage" && find . -type f | sort) | while IFS= read -r f; do
    f=${f#./}; printf 'Delete "$INSTDIR\\%s"\n' "${f//\//\\}"
  done
  (cd "$stage" && find . -mindepth 1 -type d | sort -r) | while IFS= read -r d; do
    d=${d#./}; printf 'RMDir "$INSTDIR\\%s"\n' "${d//\//\\}"
  done
} > "$build/uninstall-files.nsh"
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DUNINSTALL_LIST="$build/uninstall-files.nsh" \
  -DOUTFILE="$tmp/$name-setup.exe" scripts/win64-setup.nsi

step "Installer under Wine"
# Installed without the kit on the path, the programs must find every DLL and plugin they need
# beside them. The folder has no blank, so that the uninstaller's _?= takes it unquoted and runs
# in place until it is done.
check_dir='C:\kv40812-setup-check'
check_unix=$prefix/drive_c/kv40812-setup-check
rm -rf "$check_unix"
(
  export WINEPREFIX=$prefix WINEDEBUG=-all
  unset WINEPATH
  wine "$tmp/$name-setup.exe" /S "/D=$check_dir"
  wine "$check_dir\\bin\\kv40812-tool.exe" --workspace "$tmp/workspace" new 'Line 1' >/dev/null
  wine "$check_dir\\bin\\kv40812-tool.exe" --workspace "$tmp/workspace" set 'Line 1' Serial_Baud=19200 >/dev/null
  printf '%s' '<Conf_Settings><lastproj><projectname>Line 1</projectname></lastproj></Conf_Settings>' \
    >"$tmp/workspace/Zentrel.xml"
  wine "$check_dir\\bin\\kv40812.exe" --workspace "$tmp/workspace" &
  gui=$!
  # The main window with its exact title, trailing blank included; then the editor (step 2).
  title='Norvexa - Configurator KV40812 - Serial / Modbus Slave '
  main=$(timeout 120 xdotool search --sync --onlyvisible --name "^$title\$" | head -n 1) || true
  [ -n "$main" ] || { echo "The installed configurator showed no window titled \"$title\"." >&2; exit 1; }
  [ "$(xdotool getwindowname "$main")" = "$title" ] || { echo "The main window's title is not \"$title\"." >&2; exit 1; }
  [ -f "$tmp/workspace/LANGUAGE/English.lng" ] || { echo "The installed configurator filled no LANGUAGE folder." >&2; exit 1; }
  mkdir -p "$build/screenshots"
  sleep 2
  import -window "$main" "$build/screenshots/windows-main.png"
  xdotool mousemove --window "$main" 165 174 click 1
  editor=$(timeout 60 xdotool search --sync --onlyvisible --name '^Set Communication$' | head -n 1) || true
  [ -n "$editor" ] || { echo "The editor did not open." >&2; exit 1; }
  sleep 2
  import -window "$editor" "$build/screenshots/windows-editor.png"
  kill "$gui" 2>/dev/null || true
  wait "$gui" 2>/dev/null || true
  wine "$check_dir\\Uninstall.exe" /S "_?=$check_dir"
)
[ -d "$tmp/workspace/PROJECTS/Line 1" ] || { echo "The uninstaller took the workspace." >&2; exit 1; }
left=$(cd "$check_unix" && find . -mindepth 1 ! -name Uninstall.exe)
if [ -n "$left" ]; then
  echo "The uninstaller left: $left" >&2
  exit 1
fi
rm -rf "$check_unix"

mkdir -p dist
mv -f "$tmp/$name.zip" "$tmp/$name-setup.exe" dist/
step "Done: dist/$name.zip, dist/$name-setup.exe"
