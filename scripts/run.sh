#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program from its staged program folder.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh"
program="${BUILD_DIR:-$here/build}/program"
if [ -x "$program/mendor" ]; then
    exec "$program/mendor" "$@"
fi
"$program/mendor-cli" settings
exec "$program/mendor-cli" databases
