#!/usr/bin/env bash
# Start-up benchmark: a data folder of 50 databases holding 20 volumes each, built through
# mendor-cli, then the time from starting the desktop program to its main window being mapped
# on an Xvfb screen (median of several rounds).
#
# usage: bench/startup-bench.sh [PROGRAM_DIR] [ROUNDS]    (default: build/program, 5 rounds)
# needs: xvfb-run, xdotool
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
program=$(cd "${1:-$here/../build/program}" && pwd)
rounds=${2:-5}
work=${WORK:-/tmp/mendor-startup-bench}
cli="$program/mendor-cli"

if [ ! -f "$work/home/.complete" ]; then
    rm -rf "$work"
    mkdir -p "$work/home" "$work/media"
    for v in $(seq 1 20); do
        mkdir -p "$work/media/v$v/music/album$v"
        for f in $(seq 1 25); do echo "track $f" > "$work/media/v$v/music/album$v/track$f.mp3"; done
    done
    for d in $(seq 1 50); do
        "$cli" --home "$work/home" new-db "Catalog$d" >/dev/null
        for v in $(seq 1 20); do
            "$cli" --home "$work/home" map E: "$work/media/v$v" >/dev/null
            "$cli" --home "$work/home" catalog E: --db "Catalog$d" --name "Volume $v" --no-eject >/dev/null
        done
    done
    touch "$work/home/.complete"
fi
echo "data folder: $(ls "$work/home"/*.mdb | wc -l) databases, $("$cli" --home "$work/home" volumes Catalog1 | wc -l) volumes in the first"

# The program reads MNP3.ini from its program folder: run a copy whose folder is the data folder.
cp "$program/mendor" "$program/template.qvt" "$work/home/"
times=()
for r in $(seq 1 "$rounds"); do
    t=$(xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
        start=$(date +%s.%N)
        "$0/mendor" >/dev/null 2>&1 &
        # xdotool --sync polls only every half second: poll more often.
        until xdotool search --onlyvisible --name "^Mendor Pro$" >/dev/null 2>&1; do sleep 0.01; done
        end=$(date +%s.%N)
        kill %1
        echo "$end - $start" | bc -l' "$work/home")
    times+=("$t")
    echo "round $r: $t s"
done
printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {printf "median start-up to a shown window: %.3f s\n", a[int((NR+1)/2)]}'
