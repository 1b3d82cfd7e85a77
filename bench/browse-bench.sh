#!/usr/bin/env bash
# Browse benchmark: builds a data folder of 50 databases x 20 volumes (one folder of 30,000
# files) through the core and times reading the tree, refreshing the tree widget and listing the
# big folder in the content list (offscreen). Goal: the 30,000-file listing in under 0.5 s.
#
# usage: bench/browse-bench.sh [BUILD_DIR]   (default: build-bench in the checkout)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
build=${1:-$repo/build-bench}

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target browse-bench -j2
"$build/browse-bench"
