#!/usr/bin/env bash
# Installs dependencies, builds everything (warnings are errors) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset ci
cmake --build --preset ci
ctest --preset ci --timeout 600 -j2
