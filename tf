#!/usr/bin/env bash
# Tarn Flourish's one entry for developers and users on Debian:
#   ./tf run    build and start the saver (a picture file without a display)
#   ./tf test   build the native and the Windows programs and run every test
#   ./tf gallery   render every shipped preset into docs/gallery/, and the time-lapse
#   ./tf package   the Windows download, dist/TarnFlourish-<version>-win64.zip
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cd "$top"
jobs="${TF_JOBS:-$(nproc)}"

need_packages() {
  local missing=()
  for p in "$@"; do dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p"); done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -eq 0 ] && command -v apt-get >/dev/null; then
    echo "tf: installing ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  else
    echo "tf: please install these Debian packages first: sudo apt-get install ${missing[*]}" >&2
    exit 1
  fi
}

base_packages=(cmake ninja-build g++ zlib1g-dev libx11-dev libxext-dev pkg-config libfontconfig-dev libfreetype-dev
               fonts-liberation fonts-dejavu-core)
test_packages=(googletest libgtest-dev libbenchmark-dev clang libclang-rt-14-dev mingw-w64 wine wine64 xvfb
               xauth x11-utils xdotool xclip xscreensaver imagemagick python3 python3-pil python3-numpy passwd procps)

build_native() {
  local dir="$1"; shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
}

case "${1:-}" in
  run)
    need_packages "${base_packages[@]}" googletest libgtest-dev libbenchmark-dev
    build_native build -DCMAKE_BUILD_TYPE=Release -DTF_BENCH=OFF -DTF_TESTS=OFF
    shift
    if [ -n "${DISPLAY:-}" ]; then
      exec build/hosts/tarn-flourish "$@"
    fi
    out="${TF_OUT:-$top/flourish.png}"
    echo "tf: no display here; painting a picture instead"
    build/hosts/tarn-flourish render --size 1920x1080 --frames 400 --pace max --out "$out" "$@"
    ;;
  test)
    need_packages "${base_packages[@]}" "${test_packages[@]}"
    exec "$top/tools/test_all.sh"
    ;;
  package)
    need_packages cmake ninja-build mingw-w64 python3
    cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DTF_BENCH=OFF >/dev/null
    cmake --build build-win -j "$jobs" --target TarnFlourish
    exec "$top/tools/package.sh" build-win
    ;;
  gallery)
    need_packages "${base_packages[@]}" googletest libgtest-dev libbenchmark-dev
    build_native build -DCMAKE_BUILD_TYPE=Release -DTF_BENCH=OFF -DTF_TESTS=OFF
    exec "$top/tools/gallery.sh" build/hosts/tarn-flourish
    ;;
  *)
    echo "usage: ./tf run | ./tf test | ./tf gallery | ./tf package" >&2
    exit 2
    ;;
esac
