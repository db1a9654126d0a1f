#!/usr/bin/env bash
# Draws the pictures and the click sound of the skins Tessaline ships, from scratch:
#   res/skins/<skin>/*.png   backgrounds (cut to the skin's outline), menu icons, button looks
#   res/skins/<skin>/click.wav
# Each background follows the outline written in the skin's skin.ini ("SHAPE" GPX/GPY), so window and
# picture always agree. `make_art.sh outline ...` prints the points of an outline for a skin.ini, and
# `make_art.sh points SKIN.INI` the outline of a skin.ini as polygon points.
#
# The outputs are checked in; the build turns them into the skins' movies and never runs this script.
# Run it after changing a picture or an outline, then commit the new files:
#
#   res/skins/make_art.sh                 (from anywhere; writes into res/skins/<skin>/)
#
# Needs (Debian): imagemagick, python3. Pictures are drawn four times larger and scaled down, for smooth
# edges; PNGs are written without metadata or timestamps.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
command -v convert >/dev/null || { echo "missing convert (apt-get install imagemagick)" >&2; exit 1; }

# The points of a rounded rectangle W x H with corner radius R (top) and RB (bottom, 0: chamfer of C),
# printed as "GPX=..." and "GPY=...". WAVE (optional) makes the bottom edge a soft wave of that depth.
outline() {
    python3 - "$@" <<'EOF'
import math, sys
w, h, r, rb, chamfer, wave = (int(a) for a in sys.argv[1:7])
pts = []
def arc(cx, cy, rad, a0, a1, n=6):
    for i in range(n + 1):
        a = math.radians(a0 + (a1 - a0) * i / n)
        pts.append((round(cx + rad * math.cos(a)), round(cy + rad * math.sin(a))))
arc(r, r, r, 180, 270)                     # top left
arc(w - r, r, r, 270, 360)                 # top right
if rb:
    base = h - wave
    arc(w - rb, base - rb, rb, 0, 90)       # bottom right
    if wave:
        n = 22
        for i in range(1, n):
            t = i / n
            x = (w - rb) - t * (w - 2 * rb)
            y = base + wave * math.sin(2 * math.pi * t) * math.sin(math.pi * t) ** 0.5
            pts.append((round(x), round(y)))
    arc(rb, base - rb, rb, 90, 180)         # bottom left
else:
    pts += [(w, h - chamfer), (w - chamfer, h), (chamfer, h), (0, h - chamfer)]
clean = []
for p in pts:
    if not clean or clean[-1] != p:
        clean.append(p)
if clean[0] == clean[-1]:
    clean.pop()
print("GPX=" + ",".join(str(x) for x, _ in clean))
print("GPY=" + ",".join(str(y) for _, y in clean))
EOF
}

# "x1,y1 x2,y2 ..." at scale S from a skin.ini's outline.
polygon_of() {
    local ini=$1 scale=$2
    local xs ys
    xs=$(sed -n 's/^GPX=//p' "$ini" | tr -d '\r')
    ys=$(sed -n 's/^GPY=//p' "$ini" | tr -d '\r')
    paste -d, <(tr ',' '\n' <<<"$xs") <(tr ',' '\n' <<<"$ys") | awk -F, -v s="$scale" '{printf "%d,%d ", $1*s, $2*s}'
}

if [[ "${1:-}" == "points" ]]; then
    polygon_of "$2" 1
    exit 0
fi
if [[ "${1:-}" == "outline" ]]; then
    shift
    outline "$@"
    exit 0
fi

# icon NAME COLOUR SIZE OUT: one of the six page glyphs, drawn at 4x and scaled to SIZE.
icon() {
    local name=$1 c=$2 size=$3 file=$4
    local d
    case $name in
    taskbar) # a screen whose taskbar lets the desktop show through
        d="-fill none -stroke '$c' -strokewidth 7 -draw 'roundrectangle 10,14 86,74 8,8'
           -fill '$c' -stroke none -draw 'rectangle 30,80 66,86' -draw 'rectangle 42,74 54,82'
           -fill '${c}88' -draw 'rectangle 14,56 82,70' -fill '$c' -draw 'roundrectangle 16,58 30,68 3,3'" ;;
    styles) # a window with a styled title bar and buttons
        d="-fill none -stroke '$c' -strokewidth 7 -draw 'roundrectangle 8,14 88,82 8,8'
           -fill '$c' -stroke none -draw 'roundrectangle 8,14 88,34 8,8' -draw 'rectangle 8,26 88,34'
           -fill '${c}99' -draw 'roundrectangle 18,44 50,56 4,4' -draw 'roundrectangle 18,62 74,72 4,4'" ;;
    logons) # a person in front of a welcome screen
        d="-fill '$c' -stroke none -draw 'circle 48,32 48,14'
           -draw 'path \"M 14,88 C 14,58 30,52 48,52 C 66,52 82,58 82,88 Z\"'" ;;
    wallpapers) # a landscape picture
        d="-fill none -stroke '$c' -strokewidth 7 -draw 'roundrectangle 8,14 88,82 8,8'
           -fill '$c' -stroke none -draw 'circle 66,34 66,25'
           -draw 'polygon 12,78 36,44 52,64 62,54 84,78'" ;;
    skins) # a painter's palette
        d="-fill '$c' -stroke none -draw 'path \"M 48,10 C 76,10 90,28 90,46 C 90,60 80,64 70,62 C 60,60 56,66 60,74 C 64,84 56,88 46,88 C 22,88 6,70 6,48 C 6,26 24,10 48,10 Z\"'
           \\( -size 96x96 xc:none -fill white -draw 'circle 28,46 28,39' -draw 'circle 38,26 38,19'
              -draw 'circle 60,24 60,17' -draw 'circle 74,42 74,35' \\) -compose DstOut -composite" ;;
    about) # an "i" in a ring
        d="-fill none -stroke '$c' -strokewidth 7 -draw 'circle 48,48 48,10'
           -fill '$c' -stroke none -draw 'circle 48,28 48,22' -draw 'roundrectangle 42,40 54,74 4,4'" ;;
    esac
    local drawing
    eval "drawing=($d)"
    convert -size 96x96 xc:none "${drawing[@]}" \
        -filter Lanczos -resize "${size}x${size}" -strip -define png:exclude-chunks=date,time "PNG32:$file"
}

# A short soft click: a decaying 2.4 kHz tone, 16-bit mono PCM at 22050 Hz.
click_wav() {
    python3 - "$1" <<'EOF'
import math, struct, sys, wave
rate, n = 22050, 22050 * 35 // 1000
with wave.open(sys.argv[1], "wb") as f:
    f.setnchannels(1); f.setsampwidth(2); f.setframerate(rate)
    f.writeframes(b"".join(struct.pack("<h", int(9000 * math.exp(-i / 90) * math.sin(2 * math.pi * 2400 * i / rate)
                                                  + 3000 * math.exp(-i / 30) * math.sin(2 * math.pi * 900 * i / rate)))
                           for i in range(n)))
EOF
}

# A pill-shaped look W x H with a vertical gradient FROM-TO, OPACITY (0-1) and an outline LINE.
pill() {
    local w=$1 h=$2 r=$3 from=$4 to=$5 opacity=$6 line=$7 file=$8
    local W=$((w * 4)) H=$((h * 4)) R=$((r * 4))
    convert -size "${W}x${H}" gradient:"$from"-"$to" \
        \( -size "${W}x${H}" xc:black -fill white -draw "roundrectangle 2,2 $((W - 3)),$((H - 3)) $R,$R" \
           -evaluate multiply "$opacity" \) \
        -alpha off -compose CopyOpacity -composite -compose Over \
        -fill none -stroke "$line" -strokewidth 4 -draw "roundrectangle 2,2 $((W - 3)),$((H - 3)) $R,$R" \
        -filter Lanczos -resize "${w}x${h}" -strip -define png:exclude-chunks=date,time "PNG32:$file"
}

# A round title-bar button look: a disc FROM-TO with a glyph (help, minimize, close) in GLYPHCOLOUR.
disc() {
    local size=$1 from=$2 to=$3 line=$4 glyph=$5 gc=$6 file=$7
    local S=$((size * 4)) g
    case $glyph in
    help) g="-fill '$gc' -stroke none -font DejaVu-Sans-Bold -pointsize $((S * 6 / 10)) -gravity center -annotate +0+2 '?'" ;;
    minimize) g="-fill '$gc' -stroke none -draw 'roundrectangle $((S * 30 / 100)),$((S * 46 / 100)) $((S * 70 / 100)),$((S * 56 / 100)) 4,4'" ;;
    close) g="-stroke '$gc' -strokewidth $((S / 10)) -draw 'line $((S * 34 / 100)),$((S * 34 / 100)) $((S * 66 / 100)),$((S * 66 / 100))' -draw 'line $((S * 66 / 100)),$((S * 34 / 100)) $((S * 34 / 100)),$((S * 66 / 100))'" ;;
    esac
    local drawing
    eval "drawing=($g)"
    convert -size "${S}x${S}" gradient:"$from"-"$to" \
        \( -size "${S}x${S}" xc:black -fill white -draw "circle $((S / 2)),$((S / 2)) $((S / 2)),3" \) \
        -alpha off -compose CopyOpacity -composite -compose Over \
        -fill none -stroke "$line" -strokewidth 4 -draw "circle $((S / 2)),$((S / 2)) $((S / 2)),3" "${drawing[@]}" \
        -filter Lanczos -resize "${size}x${size}" -strip -define png:exclude-chunks=date,time "PNG32:$file"
}

# The whole window's background: LAYERS (ImageMagick drawing at 4x over the body gradient) cut to the
# outline of INI, with a light edge along it.
background() {
    local ini=$1 w=$2 h=$3 from=$4 to=$5 edge=$6 file=$7
    shift 7
    local W=$((w * 4)) H=$((h * 4)) poly
    poly=$(polygon_of "$ini" 4)
    local drawing
    eval "drawing=($*)"
    convert -size "${W}x${H}" gradient:"$from"-"$to" "${drawing[@]}" \
        \( -size "${W}x${H}" xc:black -fill white -draw "polygon $poly" \) \
        -alpha off -compose CopyOpacity -composite -compose Over \
        -fill none -stroke "$edge" -strokewidth 6 -draw "polygon $poly" \
        -filter Lanczos -resize "${w}x${h}" -strip -define png:exclude-chunks=date,time "PNG32:$file"
}

pages=(taskbar styles logons wallpapers skins about)

# ---------------------------------------------------------------------------------------------------
# Blue Lagoon: 640 x 352, aqua title bar, deep-water body with waves along its wavy bottom edge.
d="$here/Blue_Lagoon"
background "$d/skin.ini" 640 352 '#0f5f80' '#05283b' '#a8eef7' "$d/background.png" \
    "\( -size 2560x176 gradient:'#46d3e4'-'#0b7495' \) -geometry +0+0 -composite" \
    "\( -size 2560x84 gradient:'#ffffff55'-'#ffffff00' \) -geometry +0+0 -composite" \
    "-fill '#b9f3fa' -draw 'rectangle 0,176 2560,179' -fill '#03243499' -draw 'rectangle 0,180 2560,185'" \
    "-fill '#1aa5c022' -stroke none -draw 'path \"M 0,1180 C 500,1080 900,1260 1400,1170 C 1900,1080 2200,1200 2560,1130 L 2560,1408 L 0,1408 Z\"'" \
    "-fill '#36c4d81f' -draw 'path \"M 0,1260 C 600,1190 1000,1330 1600,1250 C 2000,1200 2300,1280 2560,1240 L 2560,1408 L 0,1408 Z\"'" \
    "-fill '#ffffff10' -stroke '#ffffff30' -strokewidth 4 -draw 'roundrectangle 56,224 664,1232 40,40'" \
    "-fill '#00000030' -stroke '#7fdcea40' -strokewidth 4 -draw 'roundrectangle 696,216 2508,1064 24,24'"
for p in "${pages[@]}"; do
    icon "$p" '#ffffff' 22 "$d/icon-$p.png"
    icon "$p" '#5f9fb6' 22 "$d/icon-$p-dim.png"
done
pill 144 34 9 '#5fe0ef' '#1aa0bd' 0.4 '#c8f7fc88' "$d/menu-over.png"
pill 144 34 9 '#0a5d7a' '#0c7c9a' 0.6 '#8fe6f299' "$d/menu-down.png"
pill 144 34 9 '#43cfe2' '#0e86a6' 1 '#d6fbff' "$d/menu-current.png"
pill 96 28 14 '#5ee3f0' '#0d8eae' 1 '#e4fdff' "$d/ok-up.png"
pill 96 28 14 '#8af0f8' '#16a8c8' 1 '#ffffff' "$d/ok-over.png"
pill 96 28 14 '#0b7a98' '#0a5f7a' 1 '#bff3f9' "$d/ok-down.png"
pill 170 28 14 '#ffffff' '#ffffff' 0.13 '#a8eef766' "$d/links-up.png"
pill 170 28 14 '#ffffff' '#ffffff' 0.27 '#d6fbffaa' "$d/links-over.png"
pill 170 28 14 '#000000' '#000000' 0.27 '#a8eef766' "$d/links-down.png"
for g in help minimize close; do
    disc 24 '#8ff0f8' '#1aa3c2' '#e8fdff' "$g" '#ffffff' "$d/$g-up.png"
    disc 24 '#c4fbff' '#38c6de' '#ffffff' "$g" '#ffffff' "$d/$g-over.png"
    disc 24 '#0d7d9b' '#085a73' '#a8eef7' "$g" '#e0fbff' "$d/$g-down.png"
done
disc 24 '#ff9a8a' '#d6352a' '#ffe3de' close '#ffffff' "$d/close-over.png"
disc 24 '#b7261d' '#8a1a13' '#ffb9ad' close '#ffe9e5' "$d/close-down.png"
# The emblem: a drop over a wave.
convert -size 112x112 xc:none \
    -fill '#ffffff' -draw 'path "M 56,6 C 74,34 92,52 92,70 C 92,90 76,104 56,104 C 36,104 20,90 20,70 C 20,52 38,34 56,6 Z"' \
    -fill '#1495b4' -draw 'path "M 22,74 C 36,62 48,84 62,72 C 74,62 84,74 92,70 C 92,90 76,104 56,104 C 36,104 22,92 22,74 Z"' \
    -fill '#ffffffaa' -draw 'path "M 40,54 C 44,44 50,36 54,30 C 50,44 46,52 44,62 Z"' \
    -filter Lanczos -resize 28x28 -strip -define png:exclude-chunks=date,time "PNG32:$d/emblem.png"
convert -size 448x448 xc:none \
    -fill '#ffffff14' -draw 'path "M 224,24 C 296,136 368,208 368,280 C 368,360 304,416 224,416 C 144,416 80,360 80,280 C 80,208 152,136 224,24 Z"' \
    -filter Lanczos -resize 150x150 -strip -define png:exclude-chunks=date,time "PNG32:$d/watermark.png"
click_wav "$d/click.wav"

# ---------------------------------------------------------------------------------------------------
# Ember: 500 x 404, charcoal with glowing orange accents, rounded top and cut bottom corners.
d="$here/Ember"
background "$d/skin.ini" 500 404 '#332c28' '#120f0e' '#ff9a4a' "$d/background.png" \
    "\( -size 2000x168 gradient:'#4a403a'-'#241e1b' \) -geometry +0+0 -composite" \
    "\( -size 2000x70 gradient:'#ffffff26'-'#ffffff00' \) -geometry +0+0 -composite" \
    "\( -size 2000x10 gradient:'#ffb05a'-'#e2540f' \) -geometry +0+164 -composite" \
    "-fill '#ff7a1814' -stroke none -draw 'ellipse 1000,1616 1300,260 180,360'" \
    "-fill '#ffffff0a' -stroke '#ffffff1c' -strokewidth 4 -draw 'roundrectangle 64,192 1936,468 28,28'" \
    "-fill '#00000038' -stroke '#ff9a4a38' -strokewidth 4 -draw 'roundrectangle 88,484 1908,1340 20,20'"
for p in "${pages[@]}"; do
    icon "$p" '#ffd9b0' 30 "$d/icon-$p.png"
    icon "$p" '#7a6a60' 30 "$d/icon-$p-dim.png"
done
pill 72 64 10 '#ff9a4a' '#d9480f' 0.27 '#ffc08088' "$d/menu-over.png"
pill 72 64 10 '#000000' '#000000' 0.4 '#ff9a4a88' "$d/menu-down.png"
pill 72 64 10 '#ff9a3c' '#c2410c' 1 '#ffd7ae' "$d/menu-current.png"
pill 96 28 8 '#ffa24f' '#d9480f' 1 '#ffd7ae' "$d/ok-up.png"
pill 96 28 8 '#ffbd7a' '#ee6a1c' 1 '#fff0e0' "$d/ok-over.png"
pill 96 28 8 '#b8400d' '#8f300a' 1 '#ffb37a' "$d/ok-down.png"
pill 160 28 8 '#ffffff' '#ffffff' 0.12 '#ff9a4a66' "$d/links-up.png"
pill 160 28 8 '#ff9a4a' '#ff7a18' 0.25 '#ffc080aa' "$d/links-over.png"
pill 160 28 8 '#000000' '#000000' 0.33 '#ff9a4a66' "$d/links-down.png"
for g in help minimize close; do
    disc 22 '#5a4e47' '#2e2622' '#ff9a4a99' "$g" '#ffd9b0' "$d/$g-up.png"
    disc 22 '#ffb066' '#e2540f' '#ffe0c0' "$g" '#ffffff' "$d/$g-over.png"
    disc 22 '#a63a0b' '#7a2a08' '#ffb37a' "$g" '#ffe0c0' "$d/$g-down.png"
done
disc 22 '#ff8a7a' '#c81e1e' '#ffe0dc' close '#ffffff' "$d/close-over.png"
# The emblem: a flame.
convert -size 112x112 xc:none \
    -fill '#ff7a18' -draw 'path "M 58,6 C 66,30 92,44 92,72 C 92,94 76,106 56,106 C 34,106 20,92 20,72 C 20,54 32,44 38,30 C 42,44 48,50 52,52 C 50,34 52,20 58,6 Z"' \
    -fill '#ffd27a' -draw 'path "M 56,52 C 62,66 76,72 76,84 C 76,96 66,102 56,102 C 46,102 36,96 36,86 C 36,76 44,72 46,62 C 50,70 54,70 56,52 Z"' \
    -filter Lanczos -resize 28x28 -strip -define png:exclude-chunks=date,time "PNG32:$d/emblem.png"
convert -size 448x448 xc:none \
    -fill '#ff7a1812' -draw 'path "M 232,24 C 264,120 368,176 368,288 C 368,376 304,424 224,424 C 136,424 80,368 80,288 C 80,216 128,176 152,120 C 168,176 192,200 208,208 C 200,136 208,80 232,24 Z"' \
    -filter Lanczos -resize 150x150 -strip -define png:exclude-chunks=date,time "PNG32:$d/watermark.png"
click_wav "$d/click.wav"
echo "drew the skins' pictures in $here"
