#!/usr/bin/env bash
# Runs a program of the Windows build under Wine; CTest uses it as the cross-compiling emulator.
#   wine-run.sh WINEPREFIX KIT_BIN PROGRAM.exe [ARG...]
# The prefix is made on first use. A program on Qt's windows platform needs an X display
# ($DISPLAY); the offscreen ones run without one.
set -euo pipefail
export WINEPREFIX=$1
kitbin=$2
shift 2
export WINEDEBUG=-all WINEARCH=win64
# No prompts to install Mono or Gecko into a fresh prefix; nothing here needs them.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

fonts=$WINEPREFIX/kv40812-fonts
if [ ! -e "$WINEPREFIX/.kv40812-ready" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  # Tests start in parallel: one of them makes the prefix, the others wait for it.
  exec 9>"$WINEPREFIX.lock"
  flock 9
  if [ ! -e "$WINEPREFIX/.kv40812-ready" ]; then
    wineboot -i
    wineserver -w
    # Only DejaVu Sans, so every family the windows ask for falls back to it, as fontconfig
    # does on Linux.
    mkdir -p "$fonts"
    ln -sf /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf /usr/share/fonts/truetype/dejavu/DejaVuSans-*.ttf "$fonts/"
    touch "$WINEPREFIX/.kv40812-ready"
  fi
  exec 9>&-
fi
[ $# -gt 0 ] || exit 0

# Wine's Z: drive is the Unix root.
export WINEPATH="Z:${kitbin//\//\\}"
# Without a console, Qt sends its messages and Qt Test's report to the debugger channel.
export QT_FORCE_STDERR_LOGGING=1
# Qt's offscreen platform on Windows reads the fonts of one folder, without fontconfig.
export QT_QPA_FONTDIR=${QT_QPA_FONTDIR:-Z:$fonts}
# Wine keeps QT_* out of a Windows program's environment and hands WINEQT_* over as QT_*.
for name in $(compgen -e); do
  case $name in QT_*) export "WINE$name=${!name}" ;; esac
done

# The programs Wine starts for itself (services.exe, rpcss.exe, explorer.exe, ...) inherit the
# output of the program that needed them first and outlive it, and CTest would wait for them to
# close it. So the output goes to files, copied out while the program runs and until it ends.
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
# Made here, so that the copies never look before the program has opened them.
: >"$out/stdout"
: >"$out/stderr"
wine "$@" >"$out/stdout" 2>"$out/stderr" &
program=$!
tail -s 0.1 -n +1 -f --pid="$program" "$out/stdout" &
copy_out=$!
tail -s 0.1 -n +1 -f --pid="$program" "$out/stderr" >&2 &
copy_err=$!
status=0
wait "$program" || status=$?
wait "$copy_out" "$copy_err"
exit "$status"
