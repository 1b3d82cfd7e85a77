#!/usr/bin/env bash
# Identical-files benchmark: mendor-cli dupes --identical --in ALL over 1,000,000 checksummed
# files in 100 volumes of 10 databases (one file in ten has a twin on another volume), output to
# /dev/null, warm cache; the median of the rounds.
#
# usage: bench/identical-bench.sh [--rounds R] [--cli PATH] [--work DIR]
#   --rounds R   timed rounds (default 5)
#   --cli PATH   the mendor-cli to measure (default build/program/mendor-cli of this checkout)
#   --work DIR   the databases (default /tmp/mendor-identical-bench); kept for later runs
# Goal: <= 2 s. Needs python3 and GNU time as /usr/bin/time.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
rounds=5
cli="$repo/build/program/mendor-cli"
work=/tmp/mendor-identical-bench

while [ $# -gt 0 ]; do
    case "$1" in
    --rounds) rounds=$2; shift 2 ;;
    --cli) cli=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    *) sed -n '6,10p' "$0" >&2; exit 2 ;;
    esac
done
[ -x "$cli" ] || { echo "no mendor-cli at $cli (build it, or give --cli)" >&2; exit 1; }
template="$(dirname "$cli")/template.qvt"

if [ ! -s "$work/Sums010.mdb" ]; then
    echo "writing 1,000,000 checksummed files into $work ..." >&2
    rm -rf "$work"
    python3 "$here/make-checksummed.py" "$work" --files 1000000 --volumes 100 --databases 10 \
        --template "$template"
fi

"$cli" --home "$work" dupes --identical --in ALL >"$work/out.txt"
echo "output: $(wc -l <"$work/out.txt") lines; $(tail -n 1 "$work/out.txt")"
times=()
for ((round = 1; round <= rounds; round++)); do
    /usr/bin/time -f '%e %M' -o "$work/time.out" "$cli" --home "$work" dupes --identical --in ALL >/dev/null
    times+=("$(cat "$work/time.out")")
done
printf '%s\n' "${times[@]}" | sort -n | awk -v r="$rounds" \
    '{ t[NR] = $1; m[NR] = $2 } END { printf "median %.2f s (goal <= 2 s), peak %d MB\n", t[int((r + 1) / 2)], m[int((r + 1) / 2)] / 1024 }'
