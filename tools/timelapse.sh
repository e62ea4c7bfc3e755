#!/usr/bin/env bash
# timelapse.sh BINARY: paints the default saver and five presets of other
# families at the default pace and writes the picture after 10 seconds, 1, 3,
# 6 and 9.5 minutes of saver time into docs/gallery/timelapse/, with its
# README.md. A frame is 20 ms of saver time, so a minute is 3000 frames.
# Each picture is its own run from the same start second, so each is what a
# user would see at that moment.
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: tools/timelapse.sh BINARY" >&2
  exit 2
fi
binary="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
presets="$top/TARN_FL_PRESETS"
out="$top/docs/gallery/timelapse"
jobs="${TF_JOBS:-2}"

[ -x "$binary" ] || { echo "timelapse: $binary is not a program" >&2; exit 1; }

# The picture settings; README.md repeats them.
size=960x540
clock_base=4242   # the default saver's start second; each preset adds its own offset
seconds=(10 60 180 360 570)
labels=("10 s" "1 min" "3 min" "6 min" "9.5 min")
# The default saver first (no preset given: the profile's default vine),
# then one preset from each of five other families.
chosen=(default trees/cherryBlossom sea/kelpRibbons grasses/meadowGrass patterns/candyRibbon abstract/featherPlume)

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

render_one() {  # render_one PRESET SECONDS
  local preset="$1" t="$2"
  local name="${preset//\//_}"
  local args=()
  [ "$preset" != default ] && args=(--preset "$presets/$preset.vbr")
  # Each preset its own start second (from its name, as in the gallery), so
  # that the presets do not all walk, and drift in colour, the same way.
  local clock=$clock_base
  [ "$preset" != default ] && clock=$((clock_base + $(printf '%s' "$preset" | cksum | cut -d' ' -f1) % 100000))
  local bmp="$scratch/$name.$t.bmp"
  # No profile is read beside the program in the build folder, so every
  # other setting is the saver's default, the pace too.
  "$binary" render --size "$size" --frames $((t * 50)) --clock "$clock" --out "$bmp" "${args[@]}" >/dev/null
  python3 "$top/tools/presets/thumbnail.py" "$bmp" "$out/$name.$t.png" 2
  rm -f "$bmp"
}
export -f render_one
export binary presets out scratch size clock_base top

rm -rf "$out"
mkdir -p "$out"
for p in "${chosen[@]}"; do for t in "${seconds[@]}"; do printf '%s\0%s\0' "$p" "$t"; done; done |
  xargs -0 -n 2 -P "$jobs" bash -c 'render_one "$0" "$1"'

{
  echo "# Time-lapse"
  echo
  echo "The saver at its default pace, as a user sees it after 10 seconds and 1, 3, 6 and 9.5 minutes"
  echo "(the background is repainted every ten minutes). Each picture is"
  echo "\`tarn-flourish render --size $size --clock C --frames F\` with F = 50 frames per second of"
  echo "saver time and every other setting at its default (Bright background, Random Selection), the"
  echo "preset given with \`--preset\`; C is $clock_base for the default saver and $clock_base plus the \`cksum\` of the"
  echo "preset's category/name modulo 100000 for the others. Brushes drift in colour and size from stroke to stroke,"
  echo "so the later pictures stray from the preset's own colours. Shrunk to half size. Made by \`tools/timelapse.sh\`, run by \`./tf gallery\`."
  echo
  printf '| preset |'
  for l in "${labels[@]}"; do printf ' %s |' "$l"; done
  echo
  printf '|---|'
  for _ in "${labels[@]}"; do printf -- '---|'; done
  echo
  for p in "${chosen[@]}"; do
    name="${p//\//_}"
    if [ "$p" = default ]; then printf '| default (`plants/vineLeafy`) |'; else printf '| `%s` |' "$p"; fi
    for t in "${seconds[@]}"; do printf ' ![%s at %s s](%s.%s.png) |' "$p" "$t" "$name" "$t"; done
    echo
  done
} >"$out/README.md"
echo "timelapse: $(( ${#chosen[@]} * ${#seconds[@]} )) pictures in $out"
