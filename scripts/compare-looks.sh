#!/usr/bin/env bash
# Compares how every window looks with how it looks at a reference revision, pixel for pixel.
#   bash scripts/compare-looks.sh [REV]        (default: main)
# Builds tests/looks/grab_windows twice, against REV's sources (taken with git archive) and
# against the working tree, lets each grab every window in English in each state that changes
# its look (QWidget::grab on Qt's offscreen platform: no display, the same pixels every time),
# and compares the pictures. A pixel may differ by the little that anti-aliasing moves; the
# script fails on anything more and names the pictures. Everything lands in LOOKS_DIR
# (build-looks): ref/ and head/ hold the pictures, diff/ marks each differing pixel (orange
# within the tolerance, red beyond it).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

rev=${1:-main}
commit=$(git rev-parse --verify "$rev^{commit}")
root=${LOOKS_DIR:-build-looks}
mkdir -p "$root"
if [ "$(cat "$root/ref.commit" 2>/dev/null)" != "$commit" ]; then
  rm -rf "$root/ref-src"
  mkdir -p "$root/ref-src"
  git archive "$commit" | tar -x -C "$root/ref-src"
  echo "$commit" >"$root/ref.commit"
fi

build() {
  cmake -S tests/looks -B "$2" -DKV40812_SOURCE="$(realpath "$1")" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$2" -j2 --target grab_windows >/dev/null
}
echo "building the windows of $rev ($commit) and of the working tree"
build "$root/ref-src" "$root/ref-build"
build . "$root/head-build"

rm -rf "$root/ref" "$root/head" "$root/diff"
export QT_QPA_PLATFORM=offscreen:configfile=$PWD/tests/support/screens.json
export KV40812_WEB_BASE=http://127.0.0.1:9
XDG_RUNTIME_DIR=$(mktemp -d)
export XDG_RUNTIME_DIR
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
# The offscreen platform's one complaint about every window is no news.
quiet() { "$@" 2> >(grep -v 'does not support propagateSizeHints' >&2); }
quiet "$root/ref-build/grab_windows" "$root/ref"
quiet "$root/head-build/grab_windows" "$root/head"
"$root/head-build/grab_windows" --compare "$root/ref" "$root/head" "$root/diff"
