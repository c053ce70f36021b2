#!/usr/bin/env bash
# Copies into DIR every DLL the given Windows programs load, found by following their import
# tables through the kit's bin/ and the mingw-w64 runtime, plus the Qt plugins a window needs
# (platforms/qwindows.dll, styles/qwindowsvistastyle.dll), libcurl.dll in any case, and what
# those import in turn.
#   bash scripts/win64-deploy.sh KIT DIR FILE.exe|FILE.dll...
# Windows' own DLLs are recognised by their names in Wine's set; any other DLL found nowhere is
# an error, so a package never lacks one.
set -euo pipefail
[ $# -ge 3 ] || { echo "usage: $0 KIT DIR FILE..." >&2; exit 2; }
kit=$1
dest=$2
shift 2

objdump=x86_64-w64-mingw32-objdump
search=("$kit/bin" "$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")" /usr/x86_64-w64-mingw32/lib)
wine_dlls=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows
[ -d "$wine_dlls" ] || { echo "win64-deploy: $wine_dlls is missing (package wine64)" >&2; exit 1; }

declare -A seen=()
copied=0

find_dll() {
  local d
  for d in "${search[@]}"; do
    [ -f "$d/$1" ] && { echo "$d/$1"; return 0; }
  done
  return 1
}

is_system_dll() {
  local lower=${1,,}
  [[ $lower == api-ms-win-* || $lower == ext-ms-win-* || -f $wine_dlls/$lower ]]
}

# Copies the DLL NAME, which USER needs, into DIR and follows its imports; the names compare in
# any letter case, as on Windows.
deploy_dll() {
  local name=$1 user=$2 path
  [ -n "${seen[${name,,}]:-}" ] && return 0
  seen[${name,,}]=1
  if path=$(find_dll "$name"); then
    cp "$path" "$dest/$name"
    copied=$((copied + 1))
    deploy_imports "$path"
  elif ! is_system_dll "$name"; then
    echo "win64-deploy: $name, needed by $user, is in none of: ${search[*]}" >&2
    exit 1
  fi
}

deploy_imports() {
  local file=$1 name
  while read -r name; do
    deploy_dll "$name" "$(basename "$file")"
  done < <("$objdump" -p "$file" | sed -n 's/^[[:space:]]*DLL Name: //p')
}

deploy_plugin() {
  mkdir -p "$dest/$1"
  cp "$kit/plugins/$1/$2" "$dest/$1/"
  copied=$((copied + 1))
  deploy_imports "$kit/plugins/$1/$2"
}

mkdir -p "$dest"
for f in "$@"; do
  deploy_imports "$f"
done
# The version check may load libcurl only when it runs, so that no import table names it.
deploy_dll libcurl.dll "the version check"
[ -z "${seen[qt6gui.dll]:-}" ] || deploy_plugin platforms qwindows.dll
[ -z "${seen[qt6widgets.dll]:-}" ] || deploy_plugin styles qwindowsvistastyle.dll
echo "win64-deploy: $copied files into $dest"
