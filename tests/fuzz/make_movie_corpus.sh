#!/usr/bin/env bash
# Rebuilds the seed movies of the movie fuzzer (tests/fuzz/movie_corpus) with the movie tool, from small
# descriptions that between them use every part of the format. Run after changing the format, from a
# build folder that has the tool (default build/), then commit the new files:
#
#   tests/fuzz/make_movie_corpus.sh [BUILD]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
out="$root/tests/fuzz/movie_corpus"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
winpath() { printf 'Z:%s' "$(printf '%s' "$1" | tr '/' '\\')"; }
tsmovie() { "$root/tools/movie/wine-tool.sh" "$build/toolprefix" "$build/tools/movie/tsmovie.exe" "$@"; }

cp "$root/tests/movie/sample/click.wav" "$work/"
convert -size 3x2 xc:'#ff000080' "PNG32:$work/tiny.png"
convert -size 16x16 radial-gradient:'#ffffffff-#00000000' "PNG32:$work/soft.png"

cat >"$work/minimal.txt" <<'TXT'
movie 1 1
frame 1
end
TXT
cat >"$work/shapes.txt" <<'TXT'
movie 64 48 fps 30 background #102030
rect r 1 2 10 8 fill #ff0000 line #00ff00 2
roundrect q 4 4 20 10 3 line #ffffff
ellipse e 30 2 16 16 fill #0000ff
polygon p 40,40 60,44 50,30 44,47 fill #ffff00
gradient g 0 40 64 8 horizontal #000000 #ffffff
text t 0 20 64 10 "Hi\nthere" font "Tahoma" size 9 colour #ffffff bold italic underline wrap right bottom
button b
    up r
    over q t
    down e
    hit e
    send "tab" "4"
    goto 3
    press
end
button c
    up
    hit p
    send "ok"
end
group all g r b c
frame 1
    show all
    sound on
    goto 2
end
frame 2-3
    show q e p t
    play
    sound off
end
frame 5 like 1
    stop
end
TXT
cat >"$work/pictures.txt" <<'TXT'
movie 32 32 fps 1
image tiny "tiny.png"
image soft "soft.png"
sound click "click.wav"
picture a tiny 0 0
picture pb soft 8 8 24 20
rect hit 0 0 32 32
button b
    up a pb
    hit hit
    click click
    send "bar" "close"
end
frame 1
    show b
    stop
end
TXT
for name in minimal shapes pictures; do
    tsmovie build "$(winpath "$work/$name.txt")" "$(winpath "$out/$name.tsm")"
done
cp "$build/tests/movie/sample.swf" "$out/sample.tsm"
echo "wrote $(ls "$out" | wc -l) seeds to $out"
