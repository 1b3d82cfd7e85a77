#!/usr/bin/env bash
# Installs a build into a temporary prefix and checks the installed copy: every file in its place,
# mendor-cli runs from the prefix and finds its data files there, and the desktop program started
# without a display says so in one line. Run by the test suite.
#   check-install.sh BUILD_DIR VERSION
set -euo pipefail
build=${1:?usage: check-install.sh BUILD_DIR VERSION}
version=${2:?usage: check-install.sh BUILD_DIR VERSION}
prefix=$(mktemp -d)
home=$(mktemp -d)
trap 'rm -rf "$prefix" "$home"' EXIT
failed() {
    echo "check-install: $*" >&2
    exit 1
}

cmake --install "$build" --prefix "$prefix" >/dev/null
for file in bin/mendor bin/mendor-cli share/mendor-pro/template.qvt share/mendor-pro/help/default.htm \
    share/mendor-pro/findfile.avi share/mendor-pro/search.avi share/applications/mendor-pro.desktop \
    share/icons/hicolor/scalable/apps/mendor-pro.svg; do
    [ -f "$prefix/$file" ] || failed "$file is not installed"
done

reported=$("$prefix/bin/mendor-cli" --version)
[ "$reported" = "mendor-cli $version" ] || failed "--version printed '$reported'"

# A new database is a copy of the installed template.qvt.
"$prefix/bin/mendor-cli" --home "$home" new-db Check || failed "new-db failed"
[ -f "$home/Check.mdb" ] || failed "new-db made no database"

set +e
message=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/mendor" 2>&1 </dev/null)
code=$?
set -e
[ "$code" -ne 0 ] || failed "mendor without a display exited 0"
[ "$(printf '%s\n' "$message" | wc -l)" -eq 1 ] && [[ "$message" == *"no display"* ]] ||
    failed "mendor without a display said: $message"
echo "check-install: ok"
