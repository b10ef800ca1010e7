#!/usr/bin/env bash
# Installs everything needed to build, run and test porukane on Debian 12.
# Idempotent: packages already present are left alone.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config clang lld
    qt6-base-dev qt6-base-dev-tools libgl-dev
    qt6-multimedia-dev
    libicu-dev libmspack-dev zlib1g-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    gcab xvfb openbox xdotool x11-utils imagemagick fonts-vlgothic
    trayer
    libxcb1-dev libxcb-shape0-dev libxcb-sync-dev
    desktop-file-utils appstream man-db groff-base lintian dpkg-dev file
    sox
    python3 procps unicode-data
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
