#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite.
# With SANITIZE=1 the suite runs a second time in an AddressSanitizer + UBSan build.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh"
ctest --test-dir "${BUILD_DIR:-$here/build}" --output-on-failure --timeout 600 -j "$(nproc)"
if [ "${SANITIZE:-0}" = 1 ]; then
    BUILD_DIR="$here/build-asan" BUILD_TYPE=Debug "$here/scripts/build.sh" -DMENDOR_SANITIZE=ON
    ctest --test-dir "$here/build-asan" --output-on-failure --timeout 900 -j "$(nproc)"
fi
