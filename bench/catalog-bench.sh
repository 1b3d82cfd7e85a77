#!/usr/bin/env bash
# Catalog benchmark: how long mendor-cli takes to catalogue a volume, against find walking the
# same tree with the same metadata, in the same run with a warm cache; the peak memory of the run
# and the database bytes per catalogued file (index on parent included).
#
# usage: bench/catalog-bench.sh [--files N] [--tree DIR] [--rounds R] [--cli PATH] [--work DIR]
#   --files N   files in the synthetic volume (default 100000)
#   --tree DIR  catalogue this existing tree instead (made by make-tree with --files N); it is
#               never written to: the runs see it through a read-only bind mount in a mount
#               namespace of their own (needs root), so no marker lands in it
#   --rounds R  timed rounds of each command, interleaved (default 5); medians are reported
#   --cli PATH  the mendor-cli to measure (default: build/program/mendor-cli of this checkout)
#   --work DIR  where the tree and the scratch home folder go (default /tmp/mendor-bench);
#               the tree is kept for later runs with the same --files
#
# Prerequisites (not installed by the project): python3, GNU time as /usr/bin/time
# (apt-get install time). The tree comes from the shared make-tree generator beside the checkout
# (../shared/bench/make-tree, or $MAKE_TREE), with --seed 1.
# Goals: catalog time <= 1.0x find at 100,000 files and <= 0.9x at 1,000,000; peak memory < 150 MB;
# <= 75 bytes per file.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
files=100000
rounds=5
cli="$repo/build/program/mendor-cli"
work=/tmp/mendor-bench
make_tree=${MAKE_TREE:-$repo/../shared/bench/make-tree}
given_tree=
arguments=("$@")

while [ $# -gt 0 ]; do
    case "$1" in
    --files) files=$2; shift 2 ;;
    --tree) given_tree=$(cd "$2" && pwd); shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    --cli) cli=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    *) sed -n '5,14p' "$0" >&2; exit 2 ;;
    esac
done

tools=(python3 /usr/bin/time)
[ -n "$given_tree" ] || tools+=("$make_tree")
for tool in "${tools[@]}"; do
    command -v "$tool" >/dev/null || { echo "missing: $tool (GNU time: apt-get install time)" >&2; exit 1; }
done
[ -x "$cli" ] || { echo "no mendor-cli at $cli (build it, or give --cli)" >&2; exit 1; }
template="$(dirname "$cli")/template.qvt"
[ -f "$template" ] || { echo "no template.qvt beside $cli" >&2; exit 1; }

tree="$work/tree-$files"
home="$work/home"
mkdir -p "$work"
identity=()
if [ -n "$given_tree" ]; then
    # Once more, inside a mount namespace where the tree is mounted read-only; the catalog runs
    # then cannot write their marker and take the identity given here instead.
    if [ -z "${MENDOR_BENCH_READ_ONLY:-}" ]; then
        mkdir -p "$work/read-only-tree"
        exec unshare -m env MENDOR_BENCH_READ_ONLY=1 "$0" "${arguments[@]}"
    fi
    mount --bind "$given_tree" "$work/read-only-tree"
    mount -o remount,bind,ro "$work/read-only-tree"
    tree="$work/read-only-tree"
    identity=(--identity bench)
elif [ ! -f "$tree.done" ]; then
    rm -rf "$tree"
    echo "building $tree ..." >&2
    python3 "$make_tree" "$tree" --files "$files" --seed 1 --quiet
    touch "$tree.done"
fi
rm -rf "$home"
mkdir -p "$home"
"$cli" --home "$home" map X: "$tree"

# One timed command: prints "seconds peak-kilobytes".
timed() {
    /usr/bin/time -f '%e %M' -o "$work/time.out" "$@" >/dev/null 2>"$work/stderr.out" ||
        { cat "$work/stderr.out" >&2; exit 1; }
    cat "$work/time.out"
}

fresh_database() {
    rm -f "$home/Bench.mdb" "$home/Bench.mdb-journal"
    cp "$template" "$home/Bench.mdb"
    chmod u+w "$home/Bench.mdb"
}

catalog() {
    timed "$cli" --home "$home" catalog X: --db Bench --name "Bench volume" "${identity[@]}" --zip --descript \
        --clear-descriptions --no-eject
}

# Warm the cache (and write the volume's marker) before anything is timed.
find "$tree" -printf '%p %s %A@ %T@ %C@\n' >/dev/null
fresh_database
catalog >/dev/null

: >"$work/find.txt"
: >"$work/catalog.txt"
for ((round = 1; round <= rounds; round++)); do
    timed find "$tree" -printf '%p %s %A@ %T@ %C@\n' >>"$work/find.txt"
    fresh_database
    catalog >>"$work/catalog.txt"
done
# Cataloguing the same volume again into the same database, keeping descriptions: the old
# catalog is saved, replaced and its descriptions restored.
recatalog=$(timed "$cli" --home "$home" catalog X: --db Bench "${identity[@]}" --keep-descriptions --zip --descript \
    --no-eject)

volume=$("$cli" --home "$home" volumes Bench)
db_bytes=$(stat -c %s "$home/Bench.mdb")
template_bytes=$(stat -c %s "$template")

python3 - "$work/find.txt" "$work/catalog.txt" "$recatalog" "$volume" "$db_bytes" "$template_bytes" \
    "$files" "$rounds" <<'PY'
import statistics, sys
find_file, catalog_file, recatalog, volume, db_bytes, template_bytes, files, rounds = sys.argv[1:]
def load(path):
    rows = [line.split() for line in open(path) if line.strip()]
    return [float(r[0]) for r in rows], [int(r[1]) for r in rows]
find_s, _ = load(find_file)
cat_s, cat_kb = load(catalog_file)
re_s, re_kb = recatalog.split()
fields = volume.strip().split("\t")
dirs, catalogued = int(fields[7]), int(fields[8])
rows = dirs + catalogued + 1
size = int(db_bytes) - int(template_bytes)
fm, cm = statistics.median(find_s), statistics.median(cat_s)
print(f"tree: {files} files requested; catalogued {catalogued} files, {dirs} folders")
print(f"rounds: {rounds}, medians (min-max)")
print(f"find -printf      {fm:7.2f} s  ({min(find_s):.2f}-{max(find_s):.2f})")
print(f"mendor-cli catalog{cm:7.2f} s  ({min(cat_s):.2f}-{max(cat_s):.2f})   ratio {cm / fm:.2f}x   goal <= {0.9 if int(files) >= 1000000 else 1.0}x")
print(f"peak memory       {max(cat_kb) / 1024:7.1f} MB (largest round)                goal < 150 MB")
print(f"database          {size / catalogued:7.1f} bytes per file, {size / rows:.1f} per row"
      f"                goal <= 75 bytes per file")
print(f"catalog again, keeping descriptions: {float(re_s):.2f} s, peak {int(re_kb) / 1024:.1f} MB")
PY
