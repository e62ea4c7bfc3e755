#!/usr/bin/env bash
# Makes the Windows download: dist/TarnFlourish-<version>-win64.zip with the
# saver, its presets, its help and a short README, from a Windows build.
#   tools/package.sh BUILD_DIR   (a cross-build made with cmake/mingw-w64.cmake)
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:?usage: package.sh BUILD_DIR}" && pwd)"
scr="$build/hosts/TarnFlourish.scr"
[ -f "$scr" ] || { echo "package: no $scr; build the Windows program first" >&2; exit 1; }
version="$(sed -n 's/^project(TarnFlourish VERSION \([0-9.]*\).*/\1/p' "$top/CMakeLists.txt")"
[ -n "$version" ] || { echo "package: no version in CMakeLists.txt" >&2; exit 1; }

# Self-contained: only DLLs every Windows has may be imported.
system_dlls='^(advapi32|comctl32|comdlg32|gdi32|kernel32|msvcrt|ole32|shell32|user32|winmm|ucrtbase|api-ms-win-.*)\.dll$'
while read -r dll; do
  if ! echo "$dll" | tr 'A-Z' 'a-z' | grep -Eq "$system_dlls"; then
    echo "package: TarnFlourish.scr needs $dll, which Windows does not carry" >&2
    exit 1
  fi
done < <(x86_64-w64-mingw32-objdump -p "$scr" | sed -n 's/^\s*DLL Name: //p')

stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
cp "$scr" "$stage/TarnFlourish.scr"
cp -r "$top/TARN_FL_PRESETS" "$stage/TARN_FL_PRESETS"
mkdir -p "$stage/TARN_FL_DOC"
if [ -d "$top/TARN_FL_DOC" ]; then
  cp -r "$top/TARN_FL_DOC"/. "$stage/TARN_FL_DOC"/
fi
[ -f "$stage/TARN_FL_DOC/Help.html" ] || cp "$top/tools/package/first_help.html" "$stage/TARN_FL_DOC/Help.html"
# Windows line ends, so Notepad shows the README as written.
sed "s/@VERSION@/$version/; s/\$/\r/" "$top/tools/package/README.txt" >"$stage/README.txt"

mkdir -p "$top/dist"
zip="$top/dist/TarnFlourish-$version-win64.zip"
rm -f "$zip"
(cd "$stage" && python3 -m zipfile -c "$zip" TarnFlourish.scr TARN_FL_PRESETS TARN_FL_DOC README.txt)
echo "$zip"
