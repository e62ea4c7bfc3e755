#!/usr/bin/env bash
# Runs the Windows build under Wine in a virtual X display: every test
# program, then the real TarnFlourish.scr: full screen (painted, changing,
# logo in the corner, closed by a key), the preview inside a stand-in of the
# settings page, the clipboard both ways, single instance and /a.
# TF_DISPLAY picks the X display number (default: a random one of 90-189).
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:?usage: wine_tests.sh BUILD_DIR}" && pwd)"
export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
shots="$build/wine-shots"
mkdir -p "$shots"

display=":${TF_DISPLAY:-$((90 + RANDOM % 100))}"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY="$display"
cleanup() { wineserver -k >/dev/null 2>&1 || true; kill "$xvfb" >/dev/null 2>&1 || true; }
trap cleanup EXIT
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done 2>/dev/null || sleep 2
wineboot -i >/dev/null 2>&1 || true
wineserver -w || true

failed=0
for exe in "$build"/tests/test_*.exe; do
  [ -e "$exe" ] || continue
  [ -n "${TF_WINE_SKIP_UNIT:-}" ] && break  # for a quick run of the saver checks alone
  echo "wine $(basename "$exe")"
  log="$shots/$(basename "$exe" .exe).log"
  if (cd "$top" && timeout 600 wine "$exe" --gtest_brief=1 >"$log" 2>&1); then
    tail -n 2 "$log"
  else
    tail -n 30 "$log"
    echo "FAILED: $(basename "$exe") under Wine"
    failed=1
  fi
done

mean() { convert "$1" -colorspace Gray -format '%[fx:mean]' info:; }
fail() { echo "FAILED: $*"; failed=1; }
# Share of a region's pixels near an RGB colour: share IMAGE GEOMETRY R G B [FUZZ%]
share() {
  convert "$1" -crop "$2" +repage -fill white -fuzz "${6:-16}%" -opaque "rgb($3,$4,$5)" -fill black +opaque white \
    -colorspace Gray -format '%[fx:mean]' info:
}
# Waits up to $2 tenths of a second for pid $1 to end; true when it did.
ends_within() { for _ in $(seq "$2"); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done; ! kill -0 "$1" 2>/dev/null; }
show_log() { tr '\r' '\n' <"$1" | sed '/^$/d'; }  # Wine's console ends lines with CR
saver_xwindow() { xdotool search --name '^Screen Saver$' 2>/dev/null | head -n 1; }
close_saver() {  # sends a key to the full-screen saver
  local w; w="$(saver_xwindow)"
  if [ -n "$w" ]; then xdotool key --window "$w" space; else xdotool key space; fi
}

scr="$build/hosts/TarnFlourish.scr"
tools="$build/tests"
run="$build/wine-run"
rm -rf "$run"
mkdir -p "$run"
# A copy of the saver with its own profile beside it; the presets folder is
# found in a parent folder.
setup_saver() {  # setup_saver NAME PROFILE
  mkdir -p "$run/$1"
  cp "$scr" "$run/$1/TarnFlourish.scr"
  printf '%s' "$2" >"$run/$1/TarnFLSaver.prf"
  echo "$run/$1/TarnFlourish.scr"
}

if [ -e "$scr" ]; then
  echo "wine TarnFlourish.scr /s"
  (cd "$build/hosts" && wine "$scr" /s) &
  saver=$!
  sleep 8
  import -window root "$shots/saver-1.png"
  sleep 3
  import -window root "$shots/saver-2.png"
  m1="$(mean "$shots/saver-1.png")"
  changed="$(compare -metric AE "$shots/saver-1.png" "$shots/saver-2.png" null: 2>&1 || true)"
  # The logo sits 8 pixels in from the bottom-right corner (144x178 at 1024 wide).
  convert "$shots/saver-2.png" -crop 144x178+872+582 +repage "$shots/logo.png"
  logo_sd="$(convert "$shots/logo.png" -colorspace Gray -format '%[fx:standard_deviation]' info:)"
  echo "screen mean $m1, pixels changed $changed, logo contrast $logo_sd"
  awk -v m="$m1" 'BEGIN { exit !(m > 0.02) }' || { echo "FAILED: the saver's screen is black"; failed=1; }
  awk -v c="${changed%% *}" 'BEGIN { exit !(c + 0 > 100) }' || { echo "FAILED: the picture does not change"; failed=1; }
  awk -v s="$logo_sd" 'BEGIN { exit !(s > 0.05) }' || { echo "FAILED: no logo in the corner"; failed=1; }
  close_saver
  for _ in $(seq 50); do kill -0 "$saver" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$saver" 2>/dev/null; then
    echo "FAILED: the saver did not close on a key press"
    kill "$saver" || true
    failed=1
  else
    echo "the saver closed on a key press"
  fi

  echo "wine TarnFlourish.scr /a 0: ends at once"
  if timeout 20 wine "$scr" /a 0 >/dev/null 2>&1; then echo "/a ended"; else fail "/a did not end at once"; fi

  echo "single instance: a second /s ends and leaves the first running"
  one="$(setup_saver single 'Background=0;')"
  (cd "$(dirname "$one")" && wine "$one" /s) &
  first=$!
  sleep 6
  (cd "$(dirname "$one")" && wine "$one" /s) &
  second=$!
  if ends_within "$second" 100; then echo "the second saver ended"; else fail "a second saver kept running"; kill "$second" || true; fi
  if kill -0 "$first" 2>/dev/null; then echo "the first saver still runs"; else fail "the first saver ended"; fi
  close_saver
  ends_within "$first" 80 || { fail "the first saver did not close"; kill "$first" || true; }

  echo "preview: /p inside a 152x112 area of a stand-in settings page"
  pre="$(setup_saver preview 'Background=0;Pace=1000;')"
  (cd "$(dirname "$pre")" && wine "$tools/tf_preview_host.exe" "$(winepath -w "$pre")" >"$shots/preview.log" 2>&1) &
  host=$!
  sleep 5
  # A real click into the area as well: the preview must not close on it.
  xdotool mousemove 80 80 click 1 || true
  # The preset is the clock's choice, and a dark one on a dark background
  # takes a few seconds more to show contrast: look again, once a second,
  # while the host keeps the page open.
  for attempt in 1 2 3 4 5 6; do
    import -window root "$shots/preview.png"
    convert "$shots/preview.png" -crop 152x112+40+40 +repage "$shots/preview-area.png"
    area_sd="$(convert "$shots/preview-area.png" -colorspace Gray -format '%[fx:standard_deviation]' info:)"
    unpainted="$(share "$shots/preview.png" 152x112+40+40 60 60 60 2)"
    page="$(share "$shots/preview.png" 160x80+200+140 200 200 200 2)"
    echo "preview area contrast $area_sd, share still unpainted $unpainted, page around it untouched $page"
    painted=0
    awk -v u="$unpainted" -v s="$area_sd" -v p="$page" 'BEGIN { exit !(u < 0.5 && s > 0.05 && p > 0.99) }' && painted=1
    [ "$painted" = 1 ] && break
    awk -v p="$page" 'BEGIN { exit !(p > 0.99) }' || break  # painted outside: no use waiting
    sleep 1
  done
  [ "$painted" = 1 ] || fail "the preview area was not painted, or the preview painted outside it"
  if wait "$host"; then
    show_log "$shots/preview.log"
  else
    show_log "$shots/preview.log"
    fail "the preview host reported a fault"
  fi

  echo "clipboard: a 24-bit image shows top-left on black with the Clipboard background"
  clip="$(setup_saver clip 'Background=2;SaveToClip=0;')"
  wine "$tools/tf_clip_tool.exe" put 300 200 24 >"$shots/clip-put.log" 2>&1 &
  holder=$!
  sleep 3
  (cd "$(dirname "$clip")" && wine "$clip" /s) &
  saver=$!
  sleep 4
  import -window root "$shots/clipboard.png"
  close_saver
  ends_within "$saver" 80 || { kill "$saver" || true; }
  inside="$(share "$shots/clipboard.png" 300x200+0+0 250 40 200)"
  # Just right of and just below the image: no image colour; the rest of
  # the screen shows black between the strokes.
  right="$(share "$shots/clipboard.png" 24x200+300+0 250 40 200)"
  below="$(share "$shots/clipboard.png" 300x24+0+200 250 40 200)"
  black="$(share "$shots/clipboard.png" 1024x568+0+200 0 0 0 2)"
  echo "image colour inside $inside, right of it $right, below it $below; black elsewhere $black"
  awk -v a="$inside" -v b="$right" -v c="$below" -v k="$black" \
    'BEGIN { exit !(a > 0.15 && b < 0.02 && c < 0.02 && k > 0.05) }' ||
    fail "the clipboard image is not in the top-left corner on black"
  kill "$holder" 2>/dev/null || true
  wait "$holder" 2>/dev/null || true

  echo "clipboard: an 8-bit image is ignored"
  wine "$tools/tf_clip_tool.exe" put 300 200 8 >"$shots/clip-put8.log" 2>&1 &
  holder=$!
  sleep 3
  (cd "$(dirname "$clip")" && wine "$clip" /s) &
  saver=$!
  sleep 6
  import -window root "$shots/clipboard8.png"
  close_saver
  ends_within "$saver" 80 || { kill "$saver" || true; }
  inside="$(share "$shots/clipboard8.png" 300x200+0+0 250 40 200)"
  echo "image colour in the corner $inside"
  awk -v a="$inside" 'BEGIN { exit !(a < 0.02) }' || fail "an 8-bit clipboard image was shown"
  kill "$holder" 2>/dev/null || true
  wait "$holder" 2>/dev/null || true

  echo "clipboard: SaveToClip leaves a 32-bit bottom-up CF_DIB of the screen"
  save="$(setup_saver save 'Background=0;SaveToClip=1;')"
  wine "$tools/tf_clip_tool.exe" hold >/dev/null 2>&1 &
  holder=$!
  sleep 2
  (cd "$(dirname "$save")" && wine "$save" /s) &
  saver=$!
  sleep 6
  close_saver
  ends_within "$saver" 80 || { kill "$saver" || true; }
  if wine "$tools/tf_clip_tool.exe" check 1024 768 "$(winepath -w "$shots/saved-clip.bmp")" >"$shots/clip-check.log" 2>&1; then
    show_log "$shots/clip-check.log"
  else
    show_log "$shots/clip-check.log"
    fail "SaveToClip did not leave the picture on the clipboard"
  fi
  kill "$holder" 2>/dev/null || true
  wait "$holder" 2>/dev/null || true
fi

renderer="$build/hosts/tarn-flourish.exe"
if [ -n "${TF_NATIVE_RENDERER:-}" ] && [ -e "$renderer" ]; then
  echo "the Windows renderer paints the same pictures as $(basename "$TF_NATIVE_RENDERER")"
  for preset in plants/vineLeafy light/auroraVeil trees/oakSpread sea/anemone; do
    name="${preset//\//_}"
    args=(render --clock 777 --size 480x270 --frames 150 --preset "TARN_FL_PRESETS/$preset.vbr")
    rm -f "$shots/$name.linux.bmp" "$shots/$name.windows.bmp"
    (cd "$top" && "$TF_NATIVE_RENDERER" "${args[@]}" --out "$shots/$name.linux.bmp" >"$shots/$name.linux.log" 2>&1) ||
      { show_log "$shots/$name.linux.log"; fail "the native renderer failed on $preset"; continue; }
    (cd "$top" && wine "$renderer" "${args[@]}" --out "$(winepath -w "$shots/$name.windows.bmp")" \
      >"$shots/$name.windows.log" 2>&1) ||
      { show_log "$shots/$name.windows.log"; fail "the Windows renderer failed on $preset"; continue; }
    if cmp -s "$shots/$name.linux.bmp" "$shots/$name.windows.bmp"; then
      echo "same picture: $preset"
    else
      fail "$preset differs between the builds ($(compare -metric AE "$shots/$name.linux.bmp" "$shots/$name.windows.bmp" null: 2>&1) pixels)"
    fi
  done
fi

if [ -n "${TF_PACKAGE_ZIP:-}" ]; then
  echo "download: $(basename "$TF_PACKAGE_ZIP") unpacks and its saver runs from the unpacked folder"
  unpacked="$run/unpacked"
  mkdir -p "$unpacked"
  python3 -m zipfile -e "$TF_PACKAGE_ZIP" "$unpacked"
  for f in TarnFlourish.scr README.txt TARN_FL_DOC/Help.html TARN_FL_PRESETS/plants/vineLeafy.vbr; do
    [ -f "$unpacked/$f" ] || fail "the download lacks $f"
  done
  # Away from the build tree, so that only the unpacked presets can be found.
  away="$(mktemp -d /tmp/tf-unpacked.XXXXXX)"
  cp -r "$unpacked"/. "$away"/
  (cd "$away" && wine "$away/TarnFlourish.scr" /s) &
  saver=$!
  sleep 8
  import -window root "$shots/unpacked.png"
  convert "$shots/unpacked.png" -crop 144x178+872+582 +repage "$shots/unpacked-logo.png"
  m="$(mean "$shots/unpacked.png")"
  sd="$(convert "$shots/unpacked-logo.png" -colorspace Gray -format '%[fx:standard_deviation]' info:)"
  echo "unpacked saver: screen mean $m, logo contrast $sd"
  awk -v m="$m" -v s="$sd" 'BEGIN { exit !(m > 0.02 && s > 0.05) }' || fail "the unpacked saver did not paint"
  close_saver
  ends_within "$saver" 80 || { fail "the unpacked saver did not close"; kill "$saver" || true; }
  rm -rf "$away"
fi
# ---- Settings dialog: /c shows dialog 2003; Background -> Dark and the Depth
# menu write the profile beside the .scr; Alt+C closes it and the process ends.
if [ -e "$scr" ]; then
  build="$(cd "$build" && pwd)"
  scr="$build/hosts/TarnFlourish.scr"
  scr="$build/hosts/TarnFlourish.scr"
  prf="$build/hosts/TarnFLSaver.prf"
  rm -f "$prf"
  echo "wine TarnFlourish.scr /c"
  (cd "$build/hosts" && wine "$scr" /c) &
  panel=$!
  win=""
  for _ in $(seq 100); do
    win="$(xdotool search --name 'Tarn Flourish Setup' 2>/dev/null | head -1 || true)"
    [ -n "$win" ] && break; sleep 0.2
  done
  if [ -z "$win" ]; then echo "FAILED: /c shows no settings dialog"; kill "$panel"; failed=1; else
  sleep 1.5
  import -window root "$shots/panel-1.png"
  eval "$(xdotool getwindowgeometry --shell "$win")"
  # Client origin: the window geometry names the client area under Wine without a WM.
  bx=$((X + 40)); by=$((Y + 124))
  xdotool mousemove "$bx" "$by" click 1; sleep 0.8
  xdotool key Down Return; sleep 0.8
  grep -q 'Background=0.0000' "$prf" 2>/dev/null && echo "Dark wrote Background=0.0000" || { echo "FAILED: Background=0.0000 not in the profile: $(cat "$prf" 2>/dev/null)"; failed=1; }
  xdotool mousemove "$bx" $((Y + 149)) click 1; sleep 0.8
  xdotool key Down Return; sleep 0.8
  grep -q 'UseDepth=0.0000' "$prf" 2>/dev/null && echo "Depth Off wrote UseDepth=0.0000" || { echo "FAILED: UseDepth=0.0000 not in the profile: $(cat "$prf" 2>/dev/null)"; failed=1; }
  sleep 0.5
  import -window root "$shots/panel-2.png"
  xdotool windowfocus "$win" 2>/dev/null; sleep 0.3
  xdotool key --window "$win" alt+c; sleep 0.3
  for _ in $(seq 50); do kill -0 "$panel" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$panel" 2>/dev/null; then echo "FAILED: Alt+C did not close the dialog"; kill "$panel"; failed=1; else echo "Alt+C closed the dialog and the process ended"; fi
  fi
fi
exit "$failed"
