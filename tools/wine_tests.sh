#!/usr/bin/env bash
# Runs the Windows build under Wine in a virtual X display: every test
# program, then the real TarnFlourish.scr full screen, checked by a
# screenshot (painted, changing, logo in the corner) and closed by a key.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:?usage: wine_tests.sh BUILD_DIR}" && pwd)"
export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
shots="$build/wine-shots"
mkdir -p "$shots"

display=":$((90 + RANDOM % 100))"
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
scr="$build/hosts/TarnFlourish.scr"
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
  xdotool key space
  for _ in $(seq 50); do kill -0 "$saver" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$saver" 2>/dev/null; then
    echo "FAILED: the saver did not close on a key press"
    kill "$saver" || true
    failed=1
  else
    echo "the saver closed on a key press"
  fi
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
    win="$(xdotool search --name 'Tarn Flourish Setup' 2>/dev/null | head -1)"
    [ -n "$win" ] && break; sleep 0.2
  done
  if [ -z "$win" ]; then echo "FAILED: /c shows no settings dialog"; kill "$panel"; failed=1; fi
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
exit "$failed"
