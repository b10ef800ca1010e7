#!/usr/bin/env bash
# Installs dependencies, builds and starts the companion from its program folder.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset dev
cmake --build --preset dev
exec build/dev/program/porukane
