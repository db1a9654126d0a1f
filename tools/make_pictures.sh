#!/usr/bin/env bash
# Draws Tessaline's built-in pictures from scratch:
#   res/pictures/101.gif  230x164  "no preview" picture of the wallpaper/logon lists
#   res/pictures/102.gif  230x164  "how to add files" hint of the same lists
#   res/pictures/103.jpg  230x164  picture of the about page
#
# The outputs are checked in; the build embeds them and never runs this script.
# Run it only after changing a picture, then commit the new files:
#
#   tools/make_pictures.sh            (from anywhere; writes into res/pictures/)
#
# Needs (Debian): imagemagick, fonts-dejavu-core.
# Output is reproducible: fixed font files, no dithering, no metadata, no
# timestamps. The formats are the plainest the OLE picture loader reads:
# GIF87a without interlace, transparency or extension blocks, and baseline
# (non-progressive) JPEG with standard Huffman tables.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="${root}/res/pictures"
fonts=/usr/share/fonts/truetype/dejavu
sans="${fonts}/DejaVuSans.ttf"
bold="${fonts}/DejaVuSans-Bold.ttf"

for f in "${sans}" "${bold}"; do
  [[ -f "${f}" ]] || { echo "missing font ${f} (apt-get install fonts-dejavu-core)" >&2; exit 1; }
done
command -v convert >/dev/null || { echo "missing convert (apt-get install imagemagick)" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "${work}"' EXIT
mkdir -p "${out}"

# Same result regardless of the caller's ImageMagick settings.
export MAGICK_THREAD_LIMIT=1
unset MAGICK_CONFIGURE_PATH || true

# The icon: a monitor showing a landscape, with a painter's palette in front.
# Drawn on a 64x64 grid at 4x, then scaled down, so every edge is smooth.
cat >"${work}/icon.mvg" <<'MVG'
push graphic-context
scale 4,4
stroke-linejoin round
stroke-linecap round

# stand
fill '#b9c0c8' stroke '#4a5561' stroke-width 1.2
path 'M 23,39 L 31,39 L 33,46 L 21,46 Z'
roundrectangle 14,45.5 40,49.5 2,2

# bezel
fill '#e4e8ec' stroke '#4a5561' stroke-width 1.4
roundrectangle 3,5 51,40 3.5,3.5

# screen: sky, sun, hills
stroke none
fill '#4f97de'
rectangle 7,9 47,35
fill '#8cc4f2'
rectangle 7,9 47,16
fill '#ffd54a'
circle 16,17 16,21
fill '#66bb55'
path 'M 7,35 L 7,27 C 15,21 23,23 30,28 C 36,25 42,24 47,26 L 47,35 Z'
fill '#3f9440'
path 'M 7,35 L 7,31 C 16,28 26,30 34,35 Z'
fill none stroke '#33404c' stroke-width 1
rectangle 7,9 47,35

# palette with a thumb hole
fill '#f1c98a' stroke '#7d5228' stroke-width 1.3
fill-rule evenodd
path 'M 30,49 C 29,38 43,31 54,33 C 62,34.5 64,43 59,48.5 C 56,51.5 51.5,50 49.5,53.5 C 48,57 51,60 44.5,61.5 C 36.5,63 30.5,57 30,49 Z M 43.5,55 A 2.6,2.6 0 1,0 38.3,55 A 2.6,2.6 0 1,0 43.5,55 Z'

# paint blobs
stroke none
fill '#e53935' circle 36.5,46 36.5,49
fill '#fdd835' circle 41.5,40.5 41.5,43.5
fill '#43a047' circle 48.5,38 48.5,41
fill '#1e88e5' circle 55.5,40 55.5,43
fill '#8e44ad' circle 55,46.5 55,49

pop graphic-context
MVG

icon() { # icon SIZE FILE
  convert -size 256x256 xc:none -draw "$(<"${work}/icon.mvg")" \
    -filter Lanczos -resize "$1x$1" "$2"
}

# GIF: flatten on white, quantise without dithering. GIF87a: header, colour
# table, one image and the trailer; no extension blocks at all.
to_gif() { # to_gif IN OUT
  convert "$1" -background white -flatten -alpha off +dither -colors 256 \
    "GIF87:${work}/quantised.gif"
  # A second pass so the screen descriptor's background index names white.
  convert "GIF87:${work}/quantised.gif" -background white -interlace none -strip \
    "GIF87:$2"
}

# 101: no preview available
icon 72 "${work}/icon72.miff"
convert -size 230x164 xc:white -density 72 \
  "${work}/icon72.miff" -gravity north -geometry +0+30 -composite \
  -font "${sans}" -pointsize 14 -fill black -gravity north \
  -annotate +0+116 'No preview available' \
  "${work}/101.miff"
to_gif "${work}/101.miff" "${out}/101.gif"

# 102: how to add files to the list
icon 64 "${work}/icon64.miff"
convert -size 230x164 xc:white -density 72 \
  "${work}/icon64.miff" -gravity north -geometry +0+22 -composite \
  -font "${sans}" -pointsize 12 -fill black -gravity north -interline-spacing 2 \
  -annotate +0+98 $'Click "Add to list" to add files,\nor drag them here from Explorer.' \
  "${work}/102.miff"
to_gif "${work}/102.miff" "${out}/102.gif"

# 103: about page
icon 88 "${work}/icon88.miff"
convert -size 230x164 gradient:'#ffffff-#d6e6f7' -density 72 \
  "${work}/icon88.miff" -gravity north -geometry +0+12 -composite \
  -font "${bold}" -pointsize 22 -fill '#1f3b5a' -gravity north \
  -annotate +0+104 'Tessaline' \
  -font "${sans}" -pointsize 11 -fill '#3d556e' \
  -annotate +0+134 'desktop customiser' \
  "${work}/103.miff"
convert "${work}/103.miff" -alpha off -colorspace sRGB -type TrueColor \
  -sampling-factor 2x2 -quality 92 -interlace none -strip \
  -define jpeg:optimize-coding=false "${out}/103.jpg"

echo "wrote ${out}/101.gif ${out}/102.gif ${out}/103.jpg"
