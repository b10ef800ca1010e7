#!/usr/bin/env bash
# Runs every end-to-end test (CTest label e2e) N times and prints how often each one passed.
# The output of every failed run is kept in BUILD_DIR/Testing/e2e-repeat/.
# usage: scripts/e2e-repeat.sh N [PRESET]      (PRESET: a test preset, dev by default)
# Exits 1 unless every run of every test passed.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:?usage: e2e-repeat.sh N [PRESET]}
preset=${2:-dev}
build=build/$preset
[ -d "$build" ] || { echo "no build tree at $build: cmake --preset $preset && cmake --build --preset $preset"; exit 2; }
keep=$build/Testing/e2e-repeat
rm -rf "$keep"
mkdir -p "$keep"

mapfile -t tests < <(ctest --test-dir "$build" -L e2e -N | sed -n 's/^ *Test *#[0-9]*: *//p')
[ "${#tests[@]}" -gt 0 ] || { echo "no end-to-end tests in $build"; exit 2; }
declare -A passed=() skipped=()
for name in "${tests[@]}"; do passed[$name]=0; skipped[$name]=0; done

for run in $(seq "$runs"); do
    for name in "${tests[@]}"; do
        out=$keep/$name-$run.log
        if ctest --test-dir "$build" -R "^${name}\$" --output-on-failure >"$out" 2>&1; then
            if grep -q 'Not Run\|Skipped' "$out"; then
                skipped[$name]=$((skipped[$name] + 1))
            else
                passed[$name]=$((passed[$name] + 1))
                rm -f "$out"
            fi
            status=ok
        else
            status="FAILED (output in $out)"
        fi
        printf 'run %d/%d  %-24s %s\n' "$run" "$runs" "$name" "$status"
    done
done

echo "--- passed runs per end-to-end test"
all=0
for name in "${tests[@]}"; do
    note=""
    [ "${skipped[$name]}" -eq 0 ] || note="  (${skipped[$name]} skipped)"
    printf '%-24s %d/%d%s\n' "$name" "${passed[$name]}" "$runs" "$note"
    [ "${passed[$name]}" -eq "$runs" ] || all=1
done
exit $all
