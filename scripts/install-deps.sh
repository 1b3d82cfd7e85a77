#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs to build, run and test. Safe to run again:
# only missing packages are fetched, and apt is not touched when everything is present.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libgl-dev
    libsqlite3-dev libzip-dev libblkid-dev libarchive-dev libxxhash-dev
    googletest libgtest-dev libgmock-dev
    shared-mime-info xvfb xauth
    zip p7zip-full dosfstools mtools xorriso attr fuse3 fusefat fuseiso udftools ntfs-3g
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
