#!/usr/bin/env bash
# Cross-compiles the std-only levels and their unit tests for Windows with Debian's mingw-w64
# (POSIX threads, static runtime) and runs the tests under wine in a throw-away prefix.
# Skips, with a message and status 0, when the toolchain or wine is missing and cannot be
# installed. Usage: scripts/windows-check.sh [build folder]
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/windows}"

have_tools() {
    command -v x86_64-w64-mingw32-g++-posix >/dev/null && command -v wine >/dev/null
}

if ! have_tools; then
    SUDO=""
    if [ "$(id -u)" -ne 0 ]; then SUDO="sudo -n"; fi
    if command -v apt-get >/dev/null; then
        export DEBIAN_FRONTEND=noninteractive
        $SUDO apt-get update -qq >/dev/null 2>&1 || true
        $SUDO apt-get install -y -qq --no-install-recommends g++-mingw-w64-x86-64-posix \
            wine wine64 >/dev/null 2>&1 || true
    fi
fi
if ! have_tools; then
    echo "windows-check: skipped: x86_64-w64-mingw32-g++-posix or wine is not available"
    exit 0
fi

prefix="$(mktemp -d)"
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$prefix"' EXIT
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

cmake -S "$root/cmake/windows" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/windows/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j"${JOBS:-2}"
wineboot --init >/dev/null 2>&1 || true
ctest --test-dir "$build" --output-on-failure --timeout 300
