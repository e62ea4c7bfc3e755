#!/usr/bin/env bash
# The X11 saver end to end on Xvfb: its own window, the root window, a
# window handed in, signals, the clipboard, an installed tree, and the real
# xscreensaver daemon running the installed hack as an unprivileged user,
# and the settings panel in a window of its own.
#   tools/x11_tests.sh BUILD_DIR
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:-$top/build}" && pwd)"
program="$build/hosts/tarn-flourish"
display="${TF_X11_DISPLAY:-:201}"
daemon_display="${TF_X11_DAEMON_DISPLAY:-:202}"
saver_user="${TF_X11_USER:-tfsaver}"
work="$(mktemp -d)"
chmod 755 "$work"
pids=()
failures=0

cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -f "$build/hosts/TarnFLSaver.prf"
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

start_xvfb() {  # DISPLAY [extra args]
  local d="$1"; shift
  Xvfb "$d" -screen 0 1280x800x24 -nolisten tcp "$@" >"$work/xvfb${d#:}.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do xdpyinfo -display "$d" >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "Xvfb $d did not start"; exit 1
}

# How many distinct colours a screenshot of WINDOW (default root) holds.
colours() { import -display "$display" -window "${2:-root}" "$1" && identify -format '%k' "$1"; }

# Milliseconds until PID is gone, or 9999 after three seconds.
gone_within() {
  local pid="$1" start
  start=$(date +%s%N)
  for _ in $(seq 300); do
    kill -0 "$pid" 2>/dev/null || { echo $((($(date +%s%N) - start) / 1000000)); return; }
    sleep 0.01
  done
  echo 9999
}

ended_in() {  # PID LABEL: the process ended (and was reaped) within a second
  local ms
  ms=$(gone_within "$1")
  wait "$1" 2>/dev/null || true
  if [ "$ms" -le 1000 ]; then pass "$2 ended in $ms ms"; else fail "$2 still running after a second"; fi
}

start_xvfb "$display"
export DISPLAY="$display"

# Own window: paints, a key press closes it within a second.
"$program" --geometry 640x400 &
saver=$!
sleep 2
win=$(xdotool search --name '^Tarn Flourish$' | head -1 || true)
if [ -z "$win" ]; then fail "window mode: no window titled Tarn Flourish"; else
  n=$(colours "$work/window.png" "$win")
  [ "$n" -gt 200 ] && pass "window mode paints ($n colours)" || fail "window mode shows $n colours"
  xdotool key --window "$win" space 2>/dev/null || true
fi
ended_in "$saver" "window mode after a key"

# Own window: a resize starts the picture afresh at the new size.
"$program" --geometry 400x300 &
saver=$!
sleep 1
win=$(xdotool search --name '^Tarn Flourish$' | head -1 || true)
xdotool windowsize "$win" 700 500
sleep 1.5
n=$(colours "$work/resized.png")
size=$(xwininfo -id "$win" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}')
convert "$work/resized.png" -crop 10x10+680+480 +repage -format '%k' info: >"$work/corner" 2>/dev/null || true
[ "$size" = 700x500 ] && pass "resized window is $size" || fail "resized window is $size"
kill -TERM "$saver"
ended_in "$saver" "window mode after SIGTERM"

# --root paints the root window and ignores a key press.
"$program" --root &
saver=$!
sleep 2
n=$(colours "$work/root.png")
[ "$n" -gt 200 ] && pass "--root paints the root ($n colours)" || fail "--root shows $n colours"
xdotool key space 2>/dev/null || true
xdotool mousemove 10 10 mousemove 400 400 click 1 2>/dev/null || true
sleep 0.5
kill -0 "$saver" 2>/dev/null && pass "--root ignores input" || fail "--root ended on input"
kill -TERM "$saver"
ended_in "$saver" "--root after SIGTERM"

# A window of someone else's, named by XSCREENSAVER_WINDOW and by --window-id.
# A 500x300 window of another client, kept open for a minute.
python3 - >/dev/null 2>&1 <<'PY' &
import ctypes, sys, time
x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XDefaultRootWindow.restype = ctypes.c_ulong
x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x.XCreateSimpleWindow.restype = ctypes.c_ulong
x.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_int] * 2 + [ctypes.c_uint] * 3 + [ctypes.c_ulong] * 2
x.XMapWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x.XStoreName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_char_p]
x.XFlush.argtypes = [ctypes.c_void_p]
d = x.XOpenDisplay(None)
w = x.XCreateSimpleWindow(d, x.XDefaultRootWindow(d), 100, 100, 500, 300, 0, 0, 0)
x.XStoreName(d, w, b"tf-host-window")
x.XMapWindow(d, w)
x.XFlush(d)
time.sleep(60)
PY
pids+=($!)
given=""
for _ in $(seq 50); do
  given=$(xdotool search --name '^tf-host-window$' 2>/dev/null | head -1 || true)
  [ -n "$given" ] && break
  sleep 0.1
done
for how in env id; do
  if [ "$how" = env ]; then
    XSCREENSAVER_WINDOW="$(printf '0x%x' "$given")" "$program" --root &
  else
    "$program" --window-id "$given" &
  fi
  saver=$!
  sleep 2
  n=$(colours "$work/given-$how.png" "$given")
  rootn=$(import -display "$display" -window root -crop 50x50+1100+700 +repage "$work/outside.png" && identify -format '%k' "$work/outside.png")
  if [ "$n" -gt 200 ] && [ "$rootn" -le 2 ]; then pass "given window painted ($how, $n colours), root left alone"
  else fail "given window ($how): $n colours inside, $rootn outside"; fi
  kill -TERM "$saver"
  ended_in "$saver" "given window ($how) after SIGTERM"
done

# No shared memory segment is left behind by any of these.
left=$(ipcs -m | awk 'NR>3 && $2 ~ /^[0-9]+$/' | wc -l)
[ "$left" -eq 0 ] && pass "no shared memory left" || fail "$left shared memory segments left"

# The plain XPutImage path paints too (a remote display has no MIT-SHM).
TF_X11_NO_SHM=1 "$program" --root &
saver=$!
sleep 1.5
n=$(colours "$work/noshm.png")
[ "$n" -gt 200 ] && pass "without MIT-SHM the root is painted ($n colours)" || fail "without MIT-SHM: $n colours"
kill -INT "$saver"
ended_in "$saver" "--root after SIGINT"

# Clipboard: SaveToClip puts the picture on CLIPBOARD and it stays after the
# saver has gone; a picture put there with xclip is the Clipboard background.
printf 'SaveToClip=1;' >"$build/hosts/TarnFLSaver.prf"
"$program" --geometry 320x240 &
saver=$!
sleep 1.5
kill -TERM "$saver"
ended_in "$saver" "saver with SaveToClip after SIGTERM"
targets=$(timeout 5 xclip -selection clipboard -t TARGETS -o || true)
timeout 5 xclip -selection clipboard -t image/png -o >"$work/clip.png" || true
timeout 5 xclip -selection clipboard -t image/bmp -o >"$work/clip.bmp" || true
geometry_png=$(identify -format '%wx%h %k' "$work/clip.png" 2>/dev/null || echo none)
geometry_bmp=$(identify -format '%wx%h' "$work/clip.bmp" 2>/dev/null || echo none)
if echo "$targets" | grep -q image/png && [ "${geometry_png%% *}" = 320x240 ] && [ "${geometry_png##* }" -gt 100 ] &&
   [ "$geometry_bmp" = 320x240 ]; then
  pass "the saved picture is on the clipboard after exit (png and bmp)"
else
  fail "clipboard after exit: targets '$targets', png $geometry_png, bmp $geometry_bmp"
fi
convert -size 200x120 xc:'#2050c0' -type TrueColor "$work/paste.png"
convert -size 150x100 xc:'#c05020' -type TrueColor "BMP3:$work/paste.bmp"
for kind in png bmp; do
  xclip -selection clipboard -t "image/$kind" -i "$work/paste.$kind" &
  pids+=($!)
  sleep 0.3
  printf 'Background=2;' >"$build/hosts/TarnFLSaver.prf"
  "$program" --root --speed 0.1 &
  saver=$!
  sleep 0.8
  import -display "$display" -window root "$work/pasted.png"
  kill -TERM "$saver"
  ended_in "$saver" "Clipboard background ($kind)"
  want=$([ "$kind" = png ] && echo 2050C0 || echo C05020)
  # The share of the pasted picture's corner that shows its colour (a
  # painter may have crossed part of it).
  inside=$(convert "$work/pasted.png" -crop 140x90+5+5 +repage -fuzz 2% -fill white -opaque "#$want" \
           -fill black +opaque white -format '%[fx:mean>0.5?1:0]' info:)
  # Most of the screen is still black; a painter may have crossed any one point.
  outside=$(convert "$work/pasted.png" -crop 600x400+680+400 +repage -format '%[fx:mean<0.25?1:0]' info:)
  if [ "$inside" = 1 ] && [ "$outside" = 1 ]; then
    pass "an image/$kind on the clipboard is the background, on black"
  else
    fail "Clipboard background ($kind): #$want in the corner: $inside, black outside: $outside"
  fi
done
rm -f "$build/hosts/TarnFLSaver.prf"

# An install into a temporary prefix paints what the build tree paints.
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/tarn-flourish libexec/xscreensaver/tarn-flourish share/xscreensaver/config/tarn-flourish.xml \
         share/man/man6/tarn-flourish.6 share/applications/tarn-flourish.desktop \
         share/tarn-flourish/TARN_FL_PRESETS/plants/vineLeafy.vbr; do
  [ -e "$prefix/$f" ] || fail "install lacks $f"
done
(cd / && "$prefix/libexec/xscreensaver/tarn-flourish" render --size 400x250 --frames 40 --clock 4242 --out "$work/installed.png" >/dev/null)
"$program" render --size 400x250 --frames 40 --clock 4242 --out "$work/tree.png" >/dev/null
if cmp -s "$work/installed.png" "$work/tree.png" && [ "$(identify -format '%k' "$work/tree.png")" -gt 200 ]; then
  pass "the installed program paints the build tree's picture"
else
  fail "the installed program paints another picture"
fi
xmllint --noout "$prefix/share/xscreensaver/config/tarn-flourish.xml" 2>/dev/null ||
  python3 -c "import sys, xml.dom.minidom; xml.dom.minidom.parse(sys.argv[1])" "$prefix/share/xscreensaver/config/tarn-flourish.xml" ||
  fail "the hack's settings file is not well-formed XML"

# The real daemon runs the installed hack; it will not launch hacks as root.
id "$saver_user" >/dev/null 2>&1 || useradd --create-home --shell /bin/sh "$saver_user"
home="$(getent passwd "$saver_user" | cut -d: -f6)"
start_xvfb "$daemon_display" -ac
cat >"$home/.xscreensaver" <<CONF
mode:		one
selected:	0
lock:		False
fade:		False
unfade:		False
splash:		False
dpmsEnabled:	False
programs:	"Tarn Flourish" $prefix/libexec/xscreensaver/tarn-flourish --root \n
CONF
chown "$saver_user" "$home/.xscreensaver"
as_user() { su -s /bin/sh "$saver_user" -c "cd /tmp && DISPLAY=$daemon_display HOME=$home $*"; }
as_user "xscreensaver -no-splash >$home/tf-daemon.log 2>&1 &"
for _ in $(seq 50); do as_user "xscreensaver-command -version" >/dev/null 2>&1 && break; sleep 0.2; done
as_user "xscreensaver-command -activate" >/dev/null 2>&1 || true
hack=""
for _ in $(seq 50); do
  hack=$(pgrep -u "$saver_user" -f "$prefix/libexec/xscreensaver/tarn-flourish" | head -1 || true)
  [ -n "$hack" ] && break
  sleep 0.1
done
if [ -z "$hack" ]; then
  fail "the daemon did not start the hack"; tail -n 20 "$home/tf-daemon.log"
else
  sleep 2
  n=$(import -display "$daemon_display" -window root "$work/daemon.png" && identify -format '%k' "$work/daemon.png")
  [ "$n" -gt 200 ] && pass "the daemon's hack paints the screen ($n colours)" || fail "under the daemon the screen shows $n colours"
  as_user "xscreensaver-command -deactivate" >"$work/deactivate.log" 2>&1 || true
  start=$(date +%s%N)
  ms=9999
  for _ in $(seq 300); do
    if ! pgrep -u "$saver_user" -f "$prefix/libexec/xscreensaver/tarn-flourish" >/dev/null; then
      ms=$((($(date +%s%N) - start) / 1000000)); break
    fi
    sleep 0.01
  done
  ps -u "$saver_user" -o pid,stat,args >"$work/after.log" 2>&1 || true
  [ "$ms" -le 1000 ] && pass "deactivated, the hack is gone in $ms ms" || { fail "the hack outlived deactivation"; cat "$work/deactivate.log" "$work/after.log"; tail -n 20 "$home/tf-daemon.log"; }
fi
as_user "xscreensaver-command -exit" >/dev/null 2>&1 || true
pkill -u "$saver_user" -x xscreensaver 2>/dev/null || true

# The settings panel in its own window: Background chosen from its pop-up
# menu with the mouse and with the keys lands in the profile beside the
# program (a copy, so the profile is the test's own); the window manager's
# close ends it.
mkdir -p "$work/settings"
cp "$program" "$work/settings/"
profile="$work/settings/TarnFLSaver.prf"
(cd "$work/settings" && exec ./tarn-flourish --settings) &
panel=$!
win=""
for _ in $(seq 50); do
  win=$(xdotool search --name '^Tarn Flourish Setup Version 1.02$' | head -1 || true)
  [ -n "$win" ] && break
  sleep 0.1
done
if [ -z "$win" ]; then fail "settings: no window titled Tarn Flourish Setup Version 1.02"; else
  sleep 0.5
  n=$(colours "$work/settings.png" "$win")
  [ "$n" -gt 8 ] && pass "the settings panel paints ($n colours)" || fail "the settings panel shows $n colours"
  # The Background button, then Dark, the first item of the menu under it.
  xdotool mousemove --window "$win" 45 123 click 1; sleep 0.5
  xdotool mousemove --window "$win" 114 124 click 1; sleep 0.5
  grep -q 'Background=0.0000' "$profile" 2>/dev/null && pass "settings: a click on Dark writes Background=0" ||
    fail "settings: after a click on Dark the profile holds $(cat "$profile" 2>/dev/null)"
  xdotool mousemove --window "$win" 45 123 click 1; sleep 0.5
  xdotool key Down; sleep 0.1; xdotool key Down; sleep 0.1; xdotool key Return; sleep 0.5
  grep -q 'Background=1.0000' "$profile" 2>/dev/null && pass "settings: Down Down Return writes Background=1" ||
    fail "settings: after Down Down Return the profile holds $(cat "$profile" 2>/dev/null)"
  # WM_DELETE_WINDOW as a window manager sends it.
  python3 - "$win" <<'PY'
import ctypes, sys
x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XInternAtom.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
x.XFlush.argtypes = [ctypes.c_void_p]
d = x.XOpenDisplay(None)
w = int(sys.argv[1])
e = (ctypes.c_long * 24)()  # an XClientMessageEvent in the longs of an XEvent
e[0], e[4], e[5], e[6] = 33, w, x.XInternAtom(d, b"WM_PROTOCOLS", 0), 32
e[7] = x.XInternAtom(d, b"WM_DELETE_WINDOW", 0)
x.XSendEvent(d, w, 0, 0, e)
x.XFlush(d)
PY
fi
ended_in "$panel" "the settings panel after WM_DELETE_WINDOW"

if [ "$failures" -ne 0 ]; then echo "x11 tests: $failures failed"; exit 1; fi
echo "x11 tests: all passed"
