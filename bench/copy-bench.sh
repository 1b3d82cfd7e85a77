#!/usr/bin/env bash
# Copy benchmark: mendor-cli copy of a catalogued folder of mixed files (a few large, many small,
# about 2 GB of real, non-sparse data) from one folder-mapped drive to another, against cp -a of
# the same folder, interleaved in one run with a warm cache. mendor-cli flushes every file to the
# disk before giving it its name; cp -a does not, so cp -a followed by sync -f (the same data on
# the disk when it ends) is shown as well.
#
# usage: bench/copy-bench.sh [--mb N] [--rounds R] [--cli PATH] [--work DIR]
#   --mb N      size of the folder in MB (default 2048)
#   --rounds R  timed rounds of each command, interleaved (default 3); medians are reported
#   --cli PATH  the mendor-cli to measure (default: build/program/mendor-cli of this checkout)
#   --work DIR  where the folders and the scratch home folder go (default /tmp/mendor-copy-bench);
#               the source folder is kept for later runs of the same size
#
# Prerequisite (not installed by the project): python3.
# Goal: mendor-cli copy <= 1.2x cp -a.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
mb=2048
rounds=3
cli="$repo/build/program/mendor-cli"
work=/tmp/mendor-copy-bench

while [ $# -gt 0 ]; do
    case "$1" in
    --mb) mb=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    --cli) cli=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    *) sed -n '8,13p' "$0" >&2; exit 2 ;;
    esac
done
command -v python3 >/dev/null || { echo "missing: python3" >&2; exit 1; }
[ -x "$cli" ] || { echo "no mendor-cli at $cli (build it, or give --cli)" >&2; exit 1; }
template="$(dirname "$cli")/template.qvt"
[ -f "$template" ] || { echo "no template.qvt beside $cli" >&2; exit 1; }

source_drive="$work/source-$mb"
target_drive="$work/target"
home="$work/home"
mkdir -p "$work" "$target_drive"

# The folder: a quarter of the bytes in 8 files of 10 MB and up, the rest split between 4 large
# files and 40 folders of small files (1 KB to 128 KB). The bytes come from a random block,
# sliced at different offsets, so that no file is sparse or compressible by the file system.
if [ ! -f "$source_drive.done" ]; then
    rm -rf "$source_drive"
    echo "building $source_drive/mixed ..." >&2
    python3 - "$source_drive/mixed" "$mb" <<'PY'
import os, random, sys
root, total = sys.argv[1], int(sys.argv[2]) << 20
rng = random.Random(1)
block = os.urandom(16 << 20)
def write(path, size):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        while size > 0:
            start = rng.randrange(0, len(block) // 2)
            piece = block[start:start + min(size, len(block) // 2)]
            f.write(piece)
            size -= len(piece)
large, medium = total // 2, total // 4
for i in range(4):
    write(f"{root}/large/disk-image-{i}.bin", large // 4)
for i in range(8):
    write(f"{root}/medium/video-{i}.bin", medium // 8)
left, n = total - large - medium, 0
while left > 0:
    size = min(left, rng.randint(1 << 10, 128 << 10))
    write(f"{root}/small/folder-{n % 40:02d}/file-{n:05d}.dat", size)
    left -= size
    n += 1
PY
    touch "$source_drive.done"
fi

rm -rf "$home"
mkdir -p "$home"
cp "$template" "$home/Bench.mdb"
chmod u+w "$home/Bench.mdb"
"$cli" --home "$home" map X: "$source_drive"
"$cli" --home "$home" map Y: "$target_drive"
"$cli" --home "$home" catalog X: --db Bench --name "Copy source" --no-zip --no-descript --no-eject >/dev/null

python3 - "$cli" "$home" "$source_drive/mixed" "$target_drive" "$rounds" <<'PY'
import os, shutil, statistics, subprocess, sys, time
cli, home, source, target, rounds = sys.argv[1:]
def run(command):
    started = time.monotonic()
    subprocess.run(command, check=True)
    return time.monotonic() - started
def fresh(folder):
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    subprocess.run(["sync"], check=True)
files = sum(len(f) for _, _, f in os.walk(source))
size = sum(os.path.getsize(os.path.join(d, n)) for d, _, f in os.walk(source) for n in f)
# Warm the cache: everything read once.
subprocess.run(["cp", "-a", source, os.path.join(target, "warm")], check=True)
shutil.rmtree(os.path.join(target, "warm"))
times = {"cp -a": [], "cp -a + sync -f": [], "mendor-cli copy": []}
out = os.path.join(target, "out")
for _ in range(int(rounds)):
    fresh(out)
    times["cp -a"].append(run(["cp", "-a", source, out]))
    fresh(out)
    times["cp -a + sync -f"].append(run(["sh", "-c", 'cp -a "$0" "$1" && sync -f "$1"', source, out]))
    fresh(out)
    times["mendor-cli copy"].append(run([cli, "--home", home, "copy", "Bench", "Copy source", "\\mixed", "--to", out]))
    if subprocess.run(["diff", "-r", "-q", source, os.path.join(out, "mixed")]).returncode != 0:
        sys.exit("the copy differs from its source")
shutil.rmtree(out)
print(f"folder: {files} files, {size / (1 << 20):.0f} MB; rounds: {rounds}, medians (min-max)")
base = statistics.median(times["cp -a"])
for name, values in times.items():
    m = statistics.median(values)
    print(f"{name:18s} {m:7.2f} s  ({min(values):.2f}-{max(values):.2f})   {m / base:.2f}x cp -a")
print("goal: mendor-cli copy <= 1.2x cp -a")
PY
