#!/usr/bin/env bash
# Installs the Debian 12 packages the configurator needs to build, run and test, and the
# further packages named as arguments (the screenshots name xdotool and imagemagick).
#   bash scripts/install-deps.sh [PACKAGE...]
set -euo pipefail

packages=(
  build-essential cmake ccache pkg-config clang libclang-rt-14-dev llvm
  qt6-base-dev qt6-base-dev-tools libgl-dev libegl-dev libxkbcommon-dev
  libcurl4-openssl-dev
  fonts-dejavu-core
  iputils-ping python3
  xvfb xauth x11-utils
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null; then
  as_root=(sudo)
else
  echo "These packages are missing and there is no sudo to install them: ${missing[*]}" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
# sudo resets the environment, so the front end is set on its far side; another apt run's lock
# is waited for rather than failed on.
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
