#!/usr/bin/env bash
# Installs dependencies, builds everything (warnings are errors) and runs every test.
# The end-to-end tests run three times in a row, so that a race fails here and not for a user.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-ci}
bash scripts/install-deps.sh
cmake --preset "$preset"
cmake --build --preset "$preset"
status=0
ctest --preset "$preset" --timeout 600 -j2 -E '^e2e_' || status=1
ctest --preset "$preset" --timeout 600 -R '^e2e_' --repeat until-fail:3 || status=1
exit $status
