#!/usr/bin/env bash
# gallery.sh BINARY: paints every shipped preset (each .vbr under
# TARN_FL_PRESETS) headless and writes docs/gallery/<category>/<name>.png
# thumbnails and docs/gallery/README.md, which shows them by category; then
# tools/timelapse.sh writes the time-lapse page docs/gallery/timelapse/.
#
# Every picture is repeatable: a fixed clock (the seed, taken from the
# preset's name so that presets do not all walk the same path), size, frame
# count and force mode. Each preset paints alone as painter 1, except brushes that
# only work on paint already there (smear, blur, erase): they get a
# companion painter 2 so that there is something to smear.
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: tools/gallery.sh BINARY" >&2
  exit 2
fi
binary="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
presets="$top/TARN_FL_PRESETS"
out="$top/docs/gallery"
jobs="${TF_JOBS:-2}"

[ -x "$binary" ] || { echo "gallery: $binary is not a program" >&2; exit 1; }
[ -d "$presets" ] || { echo "gallery: no presets folder at $presets" >&2; exit 1; }
command -v python3 >/dev/null || { echo "gallery: python3 is needed to shrink the pictures" >&2; exit 1; }

# The picture settings; README.md repeats them.
size=960x540
clock_base=1000000
frames=90
force=6           # Wandering Swirls: long curves that show a brush well
clip_frames=300   # time-clipped brushes paint the start of each stroke only
companion="ink/feltMarker.vbr"   # hard edges show what smear and blur do

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

# One line per preset: category, name, path (sorted so the index is stable).
list="$scratch/list"
(cd "$presets" && find . -mindepth 2 -maxdepth 2 -type f -iname '*.vbr' ! -path './~*' | sed 's|^\./||' | LC_ALL=C sort) >"$list"
count=$(wc -l <"$list")
[ "$count" -gt 0 ] || { echo "gallery: no presets under $presets" >&2; exit 1; }

# Values a preset states, as the reader sees them (the first occurrence).
stated() {  # stated FILE NAME
  grep -o "\"$2\"[^;]*;" "$1" | head -n 1 | sed "s/\"$2\"//; s/[ \t\";]//g"
}

# The one-line look a preset's header comment gives, for the index: either
# "// Tarn Flourish brush preset: LOOK" or the comment lines after a
# "// category/name.vbr - ..." title up to the first empty comment line.
look() {  # look FILE
  awk '
    NR == 1 && /^\/\/ Tarn Flourish brush preset: / { sub(/^\/\/ Tarn Flourish brush preset: /, ""); text = $0; exit }
    NR == 1 && /^\/\/ .*\.vbr - / { taking = 1; next }
    taking && /^\/\/ ?$/ { exit }
    taking && /^\/\// { sub(/^\/\/ /, ""); text = text (text ? " " : "") $0; next }
    { exit }
    END { gsub(/\|/, "/", text); if (text) printf "<br>%s", text }
  ' "$1"
}

render_one() {  # render_one RELATIVE-PATH
  local rel="$1"
  local file="$presets/$rel"
  local category="${rel%%/*}"
  local base="$(basename "$rel")"
  local name="${base%.*}"
  local background=dark
  local n=$frames
  local extra=()
  local clock=$((clock_base + $(printf '%s' "$rel" | cksum | cut -d' ' -f1) % 100000))
  case "$(stated "$file" brushType)" in
    1|2|3) [ -f "$presets/$companion" ] && extra=(--preset2 "$presets/$companion" --force2 3) ;;
  esac
  case "$(stated "$file" timeClip)" in
    ""|0|0.0) ;;
    *) n=$clip_frames ;;
  esac
  # Presets that read as ink on paper are shown on the bright background.
  if grep -q '^// gallery: bright' "$file"; then background=bright; fi
  mkdir -p "$out/$category"
  local bmp="$scratch/$category.$name.bmp"
  if ! "$binary" render --size "$size" --frames "$n" --clock "$clock" --pace max --force "$force" \
      --background "$background" --out "$bmp" --preset "$file" "${extra[@]}" >/dev/null 2>"$bmp.err"; then
    echo "gallery: $rel failed: $(cat "$bmp.err")" >&2
    return 1
  fi
  python3 "$top/tools/presets/thumbnail.py" "$bmp" "$out/$category/$name.png" 2
  rm -f "$bmp" "$bmp.err"
  echo "$category/$name" >>"$scratch/done"
}
export -f render_one stated
export binary presets out scratch size clock_base frames force clip_frames companion top

echo "gallery: painting $count presets, $jobs at a time"
# Thumbnails of presets that no longer exist would linger in the index.
rm -rf "$out"
mkdir -p "$out"
tr '\n' '\0' <"$list" | xargs -0 -n 1 -P "$jobs" bash -c 'render_one "$0"' || true

# The index.
{
  echo "# Preset gallery"
  echo
  echo "Every preset shipped in \`TARN_FL_PRESETS\`, painted headless by \`tools/gallery.sh\`"
  echo "(run \`./tf gallery\` to paint them again). Each picture is"
  echo "\`tarn-flourish render --size $size --frames $frames --clock C --pace max --force $force --background dark\`"
  echo "with the preset as painter 1, shrunk to half size; the clock C is $clock_base plus the"
  echo "preset's \`cksum\` (of category/name.vbr) modulo 100000, so each preset walks its own path. Brushes that work on paint"
  echo "already there (smear, blur, erase) paint over a companion painter 2 (\`$companion\`);"
  echo "time-clipped brushes get $clip_frames frames, since they paint only the start of each stroke;"
  echo "a few ink-on-paper presets are shown on the bright background."
  echo "Colours drift from stroke to stroke, so later strokes stray from the preset's own colour."
  echo "These pictures are painted at the fastest pace (\`--pace max\`, 20 brush steps every frame);"
  echo "[the time-lapse](timelapse/README.md) shows how the saver's picture grows at its default pace."
  category=""
  while IFS= read -r rel; do
    c="${rel%%/*}"
    base="$(basename "$rel")"
    n="${base%.*}"
    if [ "$c" != "$category" ]; then
      [ -n "$category" ] && echo
      category="$c"
      echo
      echo "## $category"
      echo
      echo "| | | |"
      echo "|---|---|---|"
      col=0
    fi
    [ $col -eq 0 ] && printf '|'
    if [ -f "$out/$c/$n.png" ]; then
      printf ' ![%s](%s/%s.png)<br>`%s`%s |' "$n" "$c" "$n" "$n" "$(look "$presets/$rel")"
    else
      printf ' `%s` (failed to paint) |' "$n"
    fi
    col=$((col + 1))
    if [ $col -eq 3 ]; then
      echo
      col=0
    fi
  done <"$list"
  [ "${col:-0}" -ne 0 ] && { while [ $col -lt 3 ]; do printf ' |'; col=$((col + 1)); done; echo; }
  true
} >"$out/README.md"

painted=$(wc -l <"$scratch/done" 2>/dev/null || echo 0)
echo "gallery: $painted of $count presets painted into $out"
"$top/tools/timelapse.sh" "$binary"
[ "$painted" -eq "$count" ]
