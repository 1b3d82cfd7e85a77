#!/usr/bin/env bash
# Export benchmark: how long mendor-cli takes to write a catalogued volume as a listing in the
# itemized format (3) and the full-paths format (2), against find listing the same tree with
# paths, sizes and dates, in the same run with a warm cache; and the peak memory of an export.
#
# usage: bench/export-bench.sh [--tree DIR] [--rounds R] [--cli PATH] [--work DIR] [--out DIR]
#   --tree DIR  the volume to catalogue and export (default /tmp/t1m, the 1,000,000-file tree
#               of ../shared/bench/make-tree --files 1000000 --seed 1)
#   --rounds R  timed rounds of each command, interleaved (default 3); medians are reported
#   --cli PATH  the mendor-cli to measure (default: build/program/mendor-cli of this checkout)
#   --work DIR  scratch home folder with the catalog (default /tmp/mendor-export-bench); the
#               catalog is kept for later runs over the same tree
#   --out DIR   where the listings go (default: the work folder)
#
# The tree is only read. Cataloguing writes a marker file into a writable volume, so when the
# tree is writable the catalog step runs as the user nobody (through setpriv, as root), for whom
# it is not, and the volume is named with --identity instead.
#
# Prerequisites (not installed by the project): python3, GNU time as /usr/bin/time
# (apt-get install time), setpriv (util-linux) when run as root.
# Goals: each export <= 0.5x find; peak memory < 100 MB.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
tree=/tmp/t1m
rounds=3
cli="$repo/build/program/mendor-cli"
work=/tmp/mendor-export-bench
out=

while [ $# -gt 0 ]; do
    case "$1" in
    --tree) tree=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    --cli) cli=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    *) sed -n '6,13p' "$0" >&2; exit 2 ;;
    esac
done
out=${out:-$work}

for tool in python3 /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "missing: $tool (GNU time: apt-get install time)" >&2; exit 1; }
done
[ -x "$cli" ] || { echo "no mendor-cli at $cli (build it, or give --cli)" >&2; exit 1; }
[ -d "$tree" ] || { echo "no tree at $tree" >&2; exit 1; }
template="$(dirname "$cli")/template.qvt"
[ -f "$template" ] || { echo "no template.qvt beside $cli" >&2; exit 1; }

home="$work/home"
stamp="$work/catalogued"
as_reader=()
if [ -w "$tree" ]; then
    [ "$(id -u)" = 0 ] || { echo "$tree is writable: catalogue it as a user who cannot write it" >&2; exit 1; }
    as_reader=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
fi

if [ "$(cat "$stamp" 2>/dev/null)" != "$tree" ]; then
    rm -rf "$home" "$stamp"
    mkdir -p "$home"
    cp "$template" "$home/Bench.mdb"
    chmod u+w "$home/Bench.mdb"
    [ ${#as_reader[@]} -eq 0 ] || chown -R nobody:nogroup "$home"
    echo "cataloguing $tree ..." >&2
    "${as_reader[@]}" "$cli" --home "$home" map X: "$tree"
    "${as_reader[@]}" "$cli" --home "$home" catalog X: --db Bench --name "Bench volume" --identity bench \
        --zip --descript --keep-descriptions --no-eject >/dev/null
    echo "$tree" >"$stamp"
fi
mkdir -p "$out"

# One timed command: prints "seconds peak-kilobytes".
timed() {
    /usr/bin/time -f '%e %M' -o "$work/time.out" "$@" >/dev/null 2>"$work/stderr.out" ||
        { cat "$work/stderr.out" >&2; exit 1; }
    cat "$work/time.out"
}

listing() {
    timed "$cli" --home "$home" export --format "$1" --out "$out/listing-$1.txt" "Bench/Bench volume"
}

# Warm the cache before anything is timed.
find "$tree" -printf '%p\t%s\t%T@\n' >/dev/null
listing 3 >/dev/null
listing 2 >/dev/null

: >"$work/find.txt"
: >"$work/format3.txt"
: >"$work/format2.txt"
for ((round = 1; round <= rounds; round++)); do
    timed find "$tree" -printf '%p\t%s\t%T@\n' >>"$work/find.txt"
    listing 3 >>"$work/format3.txt"
    listing 2 >>"$work/format2.txt"
done

lines3=$(wc -l <"$out/listing-3.txt")
bytes3=$(stat -c %s "$out/listing-3.txt")
bytes2=$(stat -c %s "$out/listing-2.txt")

python3 - "$work" "$rounds" "$lines3" "$bytes3" "$bytes2" <<'PY'
import statistics, sys
work, rounds, lines3, bytes3, bytes2 = sys.argv[1:]
def load(name):
    rows = [line.split() for line in open(f"{work}/{name}.txt") if line.strip()]
    return [float(r[0]) for r in rows], [int(r[1]) for r in rows]
find_s, _ = load("find")
fm = statistics.median(find_s)
print(f"rounds: {rounds}, medians (min-max); listing 3: {int(lines3)} lines, {int(bytes3) / 1e6:.0f} MB;"
      f" listing 2: {int(bytes2) / 1e6:.0f} MB")
print(f"find -printf        {fm:7.2f} s  ({min(find_s):.2f}-{max(find_s):.2f})")
for name, label in (("format3", "export --format 3"), ("format2", "export --format 2")):
    s, kb = load(name)
    m = statistics.median(s)
    print(f"{label}   {m:7.2f} s  ({min(s):.2f}-{max(s):.2f})   ratio {m / fm:.2f}x   goal <= 0.5x;"
          f"   peak {max(kb) / 1024:.1f} MB   goal < 100 MB")
PY
