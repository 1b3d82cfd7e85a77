#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang (outside the normal build, in build-fuzz/ or
# $BUILD_DIR) and runs each one for a bounded time, one after the other.
#
# usage: scripts/fuzz.sh [--seconds N] [--build-only] [TARGET...]
#   --seconds N    how long each target runs (default 600)
#   --build-only   build the targets and stop
#   TARGET         ListZipArchive, ReadDescriptIon, ReadProfileStrings, IdentifyFromMarker
#                  (default: all four)
#
# Each target starts from its saved inputs in fuzz/corpus/<folder>/ and keeps what it finds in
# build-fuzz/corpus/<folder>/. An input that crashes a reader, trips a sanitizer, breaks an
# invariant or takes longer than 10 s is written to build-fuzz/findings/<TARGET>/ and the script
# fails: fix the reader, then copy the input into fuzz/corpus/<folder>/, where the test suite
# replays it (tests/fuzz).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build-fuzz}
seconds=600
build_only=0
targets=()
while [ $# -gt 0 ]; do
    case "$1" in
    --seconds) seconds=$2; shift 2 ;;
    --build-only) build_only=1; shift ;;
    -*) sed -n '5,9p' "$0" >&2; exit 2 ;;
    *) targets+=("$1"); shift ;;
    esac
done
[ ${#targets[@]} -gt 0 ] || targets=(ListZipArchive ReadDescriptIon ReadProfileStrings IdentifyFromMarker)

folder_of() {
    case "$1" in
    ListZipArchive) echo zip ;;
    ReadDescriptIon) echo descript ;;
    ReadProfileStrings) echo profile ;;
    IdentifyFromMarker) echo marker ;;
    *) echo "unknown target: $1" >&2; exit 2 ;;
    esac
}
for target in "${targets[@]}"; do folder_of "$target" >/dev/null; done

CC=clang CXX=clang++ cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMENDOR_FUZZ=ON \
    >/dev/null
cmake --build "$build" --parallel 2 --target "${targets[@]/#/fuzz_}"
[ "$build_only" = 1 ] && exit 0

status=0
for target in "${targets[@]}"; do
    folder=$(folder_of "$target")
    corpus="$build/corpus/$folder"
    findings="$build/findings/$target"
    mkdir -p "$corpus" "$findings"
    echo "== $target: $seconds s" >&2
    start=$(date +%s)
    # -rss_limit_mb: a reader that reads without bound shows as a finding, not a stalled machine.
    if ! ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        "$build/program/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
        -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" "$here/fuzz/corpus/$folder"; then
        echo "== $target: FINDING after $(($(date +%s) - start)) s, see $findings" >&2
        status=1
    else
        echo "== $target: ran $(($(date +%s) - start)) s without a finding" >&2
    fi
done
exit $status
