#!/usr/bin/env bash
# Search benchmark: mendor-cli's searches over a catalogued 1,000,000-file tree against plocate
# over an updatedb database of the same tree, measured side by side in interleaved rounds (the
# machine may be shared: compare the ratios of one run).
#
#   name search "report" over the one volume, every location included    goal <= 1.0x plocate -b -i
#   the same over the tree split as 1000 volumes in 10 databases           goal <= 1.5x the one volume
#   duplicates by name, and by name and size, over the one volume          goal <= 1 s each
#   search --name '*' over the one volume, every row printed               goal <= 5 s, < 400 MB
#   the desktop result list filled with those rows (search-list-bench)     goal <= 5 s, < 600 MB
#
# Each figure carries its processor time (user and system, median) and the mean one-minute load
# average seen when its rounds started: on a shared machine the wall times grow with the load.
#
# usage: bench/search-bench.sh [--tree DIR] [--rounds R] [--cli PATH] [--baseline PATH] [--work DIR]
#   --tree DIR   the tree (default /tmp/t1m, made by ../shared/bench/make-tree --files 1000000 --seed 1)
#   --rounds R   timed rounds, interleaved (default 5); medians are reported
#   --cli PATH   the mendor-cli to measure (default: mendor-cli built in build-bench, Release,
#                with search-list-bench, which measures the desktop list)
#   --baseline PATH  an older mendor-cli, timed with the same commands in the same rounds, right
#                after each command of the measured one: a before/after table whose ratios hold
#                on a shared machine
#   --work DIR   databases and the plocate database (default /tmp/mendor-search-bench); kept for
#                later runs, delete it after changing the tree
#
# The tree is catalogued through a read-only bind mount in a private mount namespace (unshare,
# as root), so nothing is written into it; the volume is named with --identity since its marker
# cannot be written. Needs: plocate (updatedb), python3, GNU time as /usr/bin/time, unshare.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
tree=/tmp/t1m
rounds=5
cli=
baseline=
work=/tmp/mendor-search-bench

while [ $# -gt 0 ]; do
    case "$1" in
    --tree) tree=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    --cli) cli=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    --baseline) baseline=$2; shift 2 ;;
    *) sed -n '14,24p' "$0" >&2; exit 2 ;;
    esac
done
cmake -S "$here" -B "$repo/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$repo/build-bench" --target search-list-bench mendor-cli -j2 >/dev/null
list_bench="$repo/build-bench/search-list-bench"
[ -n "$cli" ] || cli="$repo/build-bench/program/mendor-cli"
for tool in python3 /usr/bin/time updatedb plocate unshare; do
    command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done
[ -d "$tree" ] || { echo "no tree at $tree" >&2; exit 1; }
[ -x "$cli" ] || { echo "no mendor-cli at $cli (build it, or give --cli)" >&2; exit 1; }
template="$(dirname "$cli")/template.qvt"
cli=$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")
if [ -n "$baseline" ]; then
    [ -x "$baseline" ] || { echo "no baseline mendor-cli at $baseline" >&2; exit 1; }
    baseline=$(cd "$(dirname "$baseline")" && pwd)/$(basename "$baseline")
fi
mkdir -p "$work"
work=$(cd "$work" && pwd)

if [ ! -s "$work/plocate.db" ]; then
    echo "updatedb over $tree ..." >&2
    updatedb -l 0 -U "$tree" --prunepaths '' --prunenames '' --prunefs '' -o "$work/plocate.db"
fi
if [ ! -s "$work/one/One.mdb" ]; then
    echo "cataloguing $tree ..." >&2
    rm -rf "$work/one" && mkdir -p "$work/one" "$work/mount"
    cp "$template" "$work/one/One.mdb" && chmod u+w "$work/one/One.mdb"
    "$cli" --home "$work/one" map X: "$work/mount"
    unshare -m --propagation private sh -c '
        mount --bind "$1" "$2" && mount -o remount,bind,ro "$2" &&
        "$3" --home "$4" catalog X: --db One --name "Tree" --identity tree --zip --descript --no-eject >/dev/null' \
        sh "$tree" "$work/mount" "$cli" "$work/one"
fi
if [ ! -s "$work/split/Part001.mdb" ]; then
    echo "splitting into 1000 volumes ..." >&2
    rm -rf "$work/split"
    python3 "$here/split-volume.py" "$work/one/One.mdb" "$work/split" --volumes 1000 --databases 10 \
        --template "$template"
fi

# The desktop program's settings: the one volume's data folder.
mkdir -p "$work/listhome"
printf '[Options]\noUseAppPath=0\ngDataPath=%s\n' "$work/one" >"$work/listhome/MNP3.ini"

# One timed command: "seconds peak-kilobytes user system load", its output to a file.
timed() {
    local out=$1
    shift
    local load
    load=$(cut -d' ' -f1 /proc/loadavg)
    /usr/bin/time -f '%e %M %U %S' -o "$work/time.out" "$@" >"$out" 2>"$work/stderr.out" ||
        { cat "$work/stderr.out" >&2; exit 1; }
    echo "$(cat "$work/time.out") $load"
}

names=(plocate one thousand dupes_name dupes_size everything desktop)
compared=(one thousand dupes_name dupes_size everything)
if [ -n "$baseline" ]; then
    names=(plocate)
    for name in "${compared[@]}"; do names+=("$name" "${name}_base"); done
    names+=(desktop)
fi
run() {
    local with=$cli
    case $1 in *_base) with=$baseline ;; esac
    case $1 in
    plocate) timed "$work/plocate.out" plocate -b -i -d "$work/plocate.db" report ;;
    one*) timed "$work/$1.out" "$with" --home "$work/one" search --name report ;;
    thousand*) timed "$work/$1.out" "$with" --home "$work/split" search --name report ;;
    dupes_name*) timed "$work/$1.out" "$with" --home "$work/one" dupes --in One --name '*' --yes ;;
    dupes_size*) timed "$work/$1.out" "$with" --home "$work/one" dupes --in One --name '*' --yes --by-size ;;
    everything*) timed "$work/$1.out" "$with" --home "$work/one" search --name '*' ;;
    desktop) timed "$work/desktop.out" env QT_QPA_PLATFORM=offscreen "$list_bench" "$work/listhome" '*' ;;
    esac
}
for name in "${names[@]}"; do
    run "$name" >/dev/null # warm the cache
    : >"$work/$name.times"
done
: >"$work/desktop.times.own"
for ((round = 1; round <= rounds; round++)); do
    for name in "${names[@]}"; do
        run "$name" >>"$work/$name.times"
    done
    cat "$work/desktop.out" >>"$work/desktop.times.own"
done

python3 - "$work" "$rounds" "${names[@]}" <<'PY'
import statistics, sys
work, rounds, names = sys.argv[1], sys.argv[2], sys.argv[3:]
t, kb, cpu, load = {}, {}, {}, {}
for n in names:
    rows = [line.split() for line in open(f"{work}/{n}.times") if line.strip()]
    t[n] = statistics.median(float(r[0]) for r in rows)
    kb[n] = max(int(r[1]) for r in rows)
    cpu[n] = statistics.median(float(r[2]) + float(r[3]) for r in rows)
    load[n] = statistics.mean(float(r[4]) for r in rows)
# The desktop list's own clock: from the click on "Start Search" to the filled list.
shown = [line.split() for line in open(f"{work}/desktop.times.own") if line.strip()]
t["list"] = statistics.median(float(r[0]) for r in shown)
def lines(n):
    return sum(1 for _ in open(f"{work}/{n}.out"))
def last(n):
    return open(f"{work}/{n}.out").read().splitlines()[-1].strip()
print(f"rounds: {rounds}, medians; load: the mean one-minute load average as the rounds started")
print(f"plocate -b -i report           {t['plocate']:6.2f} s                   cpu {cpu['plocate']:5.2f} s  load {load['plocate']:4.1f}  {lines('plocate')} names")
print(f"search report, one volume      {t['one']:6.2f} s  {t['one'] / t['plocate']:.2f}x plocate     cpu {cpu['one']:5.2f} s  load {load['one']:4.1f}  goal <= 1.0x   ({last('one')})")
print(f"search report, 1000 volumes    {t['thousand']:6.2f} s  {t['thousand'] / t['one']:.2f}x one volume  cpu {cpu['thousand']:5.2f} s  load {load['thousand']:4.1f}  goal <= 1.5x   ({last('thousand')})")
print(f"duplicates by name             {t['dupes_name']:6.2f} s                   cpu {cpu['dupes_name']:5.2f} s  load {load['dupes_name']:4.1f}  goal <= 1 s   ({last('dupes_name')})")
print(f"duplicates by name and size    {t['dupes_size']:6.2f} s                   cpu {cpu['dupes_size']:5.2f} s  load {load['dupes_size']:4.1f}  goal <= 1 s   ({last('dupes_size')})")
print(f"search '*', all rows printed   {t['everything']:6.2f} s  peak {kb['everything'] / 1024:4.0f} MB  cpu {cpu['everything']:5.2f} s  load {load['everything']:4.1f}  goal <= 5 s, < 400 MB   ({last('everything')})")
print(f"desktop list filled, '*'       {t['list']:6.2f} s  peak {kb['desktop'] / 1024:4.0f} MB  cpu {cpu['desktop']:5.2f} s  load {load['desktop']:4.1f}  goal <= 5 s, < 600 MB   ({last('desktop')}; {t['desktop']:.2f} s with start-up)")
if "one_base" in t:
    print("before/after, the same rounds (baseline, measured, measured/baseline; cpu; peak):")
    for n in ["one", "thousand", "dupes_name", "dupes_size", "everything"]:
        b = n + "_base"
        print(f"  {n:12} {t[b]:6.2f} s -> {t[n]:6.2f} s  {t[n] / t[b]:5.2f}x   cpu {cpu[b]:5.2f} -> {cpu[n]:5.2f} s"
              f"   peak {kb[b] / 1024:4.0f} -> {kb[n] / 1024:4.0f} MB")
    print(f"  baseline: one volume {t['one_base'] / t['plocate']:.2f}x plocate, 1000 volumes {t['thousand_base'] / t['one_base']:.2f}x one volume")
PY
