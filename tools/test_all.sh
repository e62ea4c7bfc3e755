#!/usr/bin/env bash
# Builds and tests everything: the native build, the sanitizer build, the
# fuzz targets for a bounded time, and the Windows cross-build under Wine.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$top"
jobs="${TF_JOBS:-$(nproc)}"
step() { printf '\n== %s\n' "$*"; }

step "layers"
python3 tools/check_layers.py

step "native build and tests"
# A build folder of its own with the tests forced on, so whatever ./tf run
# or ./tf gallery configured elsewhere never leaves ctest with nothing to run.
# Benchmarks are built and run by hand (docs/performance.md), not here.
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Release -DTF_TESTS=ON -DTF_BENCH=OFF >/dev/null
cmake --build build-test -j "$jobs"
ctest --test-dir build-test --output-on-failure --no-tests=error -j "$jobs"

step "X11 saver on Xvfb"
"$top/tools/x11_tests.sh" build-test

step "sanitizer build (address, undefined) and tests"
# Every test program, engine and readers alike, optimised so the soak and
# end-to-end tests stay quick under the sanitizers.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTF_SANITIZE=ON -DTF_TESTS=ON -DTF_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure --no-tests=error -j "$jobs"

if [ -f tests/fuzz/CMakeLists.txt ]; then
  step "fuzz targets, a bounded run each"
  cmake -S . -B build-fuzz -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTF_FUZZ=ON -DTF_TESTS=OFF -DTF_BENCH=OFF >/dev/null
  cmake --build build-fuzz -j "$jobs"
  for fuzzer in build-fuzz/tests/fuzz/*_fuzz; do
    [ -x "$fuzzer" ] || continue
    name="$(basename "$fuzzer" _fuzz)"
    case "$name" in
      preset_reader) kind=vbr ;;
      preset_render) kind=render ;;
      profile) kind=prf ;;
      *) kind="${name#image_}" ;;
    esac
    corpus="tests/fuzz/corpus/${kind}"
    work="$(mktemp -d)"
    mkdir "$work/corpus" "$work/found"
    [ -d "$corpus" ] && cp -r "$corpus"/. "$work/corpus"/
    if [ "$kind" = render ]; then
      # The shipped tube presets as they are now, beside the extreme ones.
      for preset in TARN_FL_PRESETS/*/*.vbr; do
        if grep -q '"tubes"[[:space:]]*1' "$preset"; then
          cp "$preset" "$work/corpus/shipped_$(basename "$(dirname "$preset")")_$(basename "$preset")"
        fi
      done
    fi
    echo "fuzzing $name"
    # An input that runs past the timeout is a hang and fails the run; a
    # failure shows the fuzzer's report and keeps the input that caused it.
    # A painted input's frames are bounded in work like the saver's, so the
    # render target keeps the same limit as the others.
    limit=60
    log="$work/fuzz.log"
    if ! "$fuzzer" -max_total_time="${TF_FUZZ_SECONDS:-20}" -timeout="$limit" -rss_limit_mb=2048 \
        -artifact_prefix="$work/found/" "$work/corpus" >"$log" 2>&1; then
      tail -n 60 "$log"
      echo "fuzzing $name failed; the input is in $work/found/"
      exit 1
    fi
    tail -n 2 "$log"
    rm -rf "$work"
  done
fi

step "Windows cross-build and its tests under Wine"
cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DTF_TESTS=ON -DTF_BENCH=OFF >/dev/null
cmake --build build-win -j "$jobs"
# The download is made and its unpacked saver run under Wine too.
zip="$("$top/tools/package.sh" build-win)"
TF_PACKAGE_ZIP="$zip" TF_NATIVE_RENDERER="$top/build-test/hosts/tarn-flourish" "$top/tools/wine_tests.sh" build-win

echo
echo "all tests passed"
