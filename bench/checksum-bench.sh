#!/usr/bin/env bash
# Checksum benchmark: the catalog's checksum reader (one thread) against xxh128sum over the same
# files, warm cache, interleaved rounds, medians.
#
# usage: bench/checksum-bench.sh FOLDER [ROUNDS] [BUILD_DIR]
#   FOLDER     a tree of files with real data (sparse files would measure nothing but zeros)
#   ROUNDS     timed rounds of each (default 5)
#   BUILD_DIR  default: build-bench in the checkout
# Goal: checksumming costs at most 1.2x what xxh128sum takes.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
folder=${1:?usage: bench/checksum-bench.sh FOLDER [ROUNDS] [BUILD_DIR]}
rounds=${2:-5}
build=${3:-$repo/build-bench}
command -v xxh128sum >/dev/null || { echo "missing: xxh128sum (apt-get install xxhash)" >&2; exit 1; }

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target checksum-bench -j2 >/dev/null

xxh() {
    local start end
    start=$(date +%s.%N)
    (cd "$folder" && find . -type f -print0 | xargs -0 xxh128sum >/dev/null 2>&1)
    end=$(date +%s.%N)
    echo "$end - $start" | bc
}

# Warm the cache.
xxh >/dev/null
"$build/checksum-bench" "$folder" >/dev/null

ours=()
theirs=()
for ((round = 1; round <= rounds; round++)); do
    theirs+=("$(xxh)")
    ours+=("$("$build/checksum-bench" "$folder")")
done
python3 - "$rounds" "${theirs[@]}" "${ours[@]}" <<'PY'
import statistics, sys
rounds = int(sys.argv[1])
theirs = [float(x) for x in sys.argv[2:2 + rounds]]
ours = [line.split() for line in sys.argv[2 + rounds:]]
seconds = [float(r[0]) for r in ours]
files, unreadable, total = ours[0][1], ours[0][2], int(ours[0][3])
t, o = statistics.median(theirs), statistics.median(seconds)
print(f"files: {files} read, {unreadable} unreadable, {total / 1e6:.0f} MB; rounds: {rounds}, medians")
print(f"xxh128sum         {t:7.3f} s  {total / 1e6 / t:8.0f} MB/s")
print(f"ChecksumReader    {o:7.3f} s  {total / 1e6 / o:8.0f} MB/s   ratio {o / t:.2f}x   goal <= 1.2x")
PY
