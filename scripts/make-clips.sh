#!/usr/bin/env bash
# Draws the two busy clips of the program folder as looping animated GIFs:
#   data/search.avi   - a magnifier circling over a folder (played while a list is being built)
#   data/findfile.avi - a magnifier sweeping over a page (played while a search runs)
# The program reads the clips with QMovie, which recognises the format from the content, so the
# .avi names can stay. The generated files are committed; the build does not need ImageMagick.
set -euo pipefail

data="$(cd "$(dirname "$0")/.." && pwd)/data"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

frames=12
size=48

magnifier() { # centre x, centre y: sets the array lens to the drawing arguments
    local x=$1 y=$2
    lens=(-stroke '#3c3c3c' -strokewidth 4 -draw "line $((x + 6)),$((y + 6)) $((x + 13)),$((y + 13))"
          -stroke '#3c3c3c' -strokewidth 2 -fill '#dcebfab0' -draw "circle $x,$y $((x + 8)),$y")
}

for ((i = 0; i < frames; i++)); do
    angle=$(echo "$i * 6.2832 / $frames" | bc -l)
    x=$(printf '%.0f' "$(echo "20 + 9 * c($angle)" | bc -l)")
    y=$(printf '%.0f' "$(echo "24 + 7 * s($angle)" | bc -l)")
    magnifier "$x" "$y"
    convert -size ${size}x${size} xc:white \
        -stroke '#3c3c3c' -strokewidth 1.5 -fill '#d6a42c' \
        -draw 'polygon 5,12 18,12 22,16 43,16 43,40 5,40' \
        -fill '#f6cc56' -draw 'roundrectangle 5,19 43,40 2,2' \
        "${lens[@]}" "$work/search-$(printf '%02d' "$i").png"

    # The magnifier goes right over the page's lines and back.
    step=$((i < frames / 2 ? i : frames - i))
    magnifier $((14 + step * 4)) 24
    convert -size ${size}x${size} xc:white \
        -stroke '#3c3c3c' -strokewidth 1.5 -fill white \
        -draw 'polygon 10,4 30,4 38,12 38,44 10,44' \
        -stroke '#96aac8' -strokewidth 1.5 \
        -draw 'line 14,18 34,18' -draw 'line 14,24 34,24' -draw 'line 14,30 34,30' -draw 'line 14,36 30,36' \
        "${lens[@]}" "$work/findfile-$(printf '%02d' "$i").png"
done

convert -delay 8 -loop 0 "$work"/search-*.png -layers Optimize "gif:$data/search.avi"
convert -delay 8 -loop 0 "$work"/findfile-*.png -layers Optimize "gif:$data/findfile.avi"
ls -l "$data/search.avi" "$data/findfile.avi"
