#!/bin/sh
# Compares the drive search with find and its copy with cp on a generated tree.
#   search-bench.sh [BIN_DIR]    (BIN_DIR holds porukane-search and porukane-copy)
# Prints the best of several runs of each and the ratios ours / reference (target: search
# <= 1.0, copy <= 1.1). The tree stays under /tmp/porukane-bench for reuse; delete it after.
set -eu

bin=${1:-$(dirname "$0")/../../build/media/bin}
work=/tmp/porukane-bench
tree=$work/tree
runs=5

if [ ! -f "$tree/.complete" ]; then
    echo "generating 200,000 files in 20,000 folders under $tree ..."
    rm -rf "$tree"
    # 20 top folders of 999 subfolders each = 20,000 folders, 10 files in each; every
    # 1,000th file is a character file, half of them with an upper-case extension.
    python3 - "$tree" <<'PY'
import os, sys
root = sys.argv[1]
n = 0
for top in range(20):
    topdir = os.path.join(root, "top%02d" % top)
    dirs = [topdir] + [os.path.join(topdir, "d%03d" % s) for s in range(999)]
    for d in dirs:
        os.makedirs(d, exist_ok=True)
        for f in range(10):
            n += 1
            if n % 1000 == 0:
                name = "char%06d.%s" % (n, "acs" if n % 2000 else "ACS")
            else:
                name = "file%06d.dat" % n
            open(os.path.join(d, name), "wb").close()
PY
    touch "$tree/.complete"
fi

# Milliseconds of the fastest of $runs runs of a command, after one warming run.
best() {
    "$@" > /dev/null
    min=
    i=0
    while [ $i -lt $runs ]; do
        start=$(date +%s%N)
        "$@" > /dev/null
        t=$(( ($(date +%s%N) - start) / 1000000 ))
        if [ -z "$min" ] || [ "$t" -lt "$min" ]; then min=$t; fi
        i=$((i + 1))
    done
    echo "$min"
}

ours=$("$bin/porukane-search" "$tree" '*.acs' | sort)
theirs=$(find "$tree" -iname '*.acs' | sort)
if [ "$ours" != "$theirs" ]; then
    echo "porukane-search and find disagree" >&2
    exit 1
fi
echo "matches: $(echo "$ours" | wc -l)"

search_ours=$(best "$bin/porukane-search" "$tree" '*.acs')
search_find=$(best find "$tree" -iname '*.acs')

src=$work/copy-src
if [ ! -f "$src/.complete" ]; then
    rm -rf "$src"
    mkdir -p "$src"
    i=1
    while [ $i -le 200 ]; do
        head -c 2097152 /dev/urandom > "$src/f$i.bin"
        i=$((i + 1))
    done
    touch "$src/.complete"
fi
# One timed copy into a fresh, empty target folder made (and synced) outside the timing.
copy_once() {
    rm -rf "$work/copy-dst"
    mkdir "$work/copy-dst"
    sync
    start=$(date +%s%N)
    "$@" "$work/copy-dst"
    echo $(( ($(date +%s%N) - start) / 1000000 ))
}
ours_copy() { "$bin/porukane-copy" "$1" "$src"/f*.bin; }
cp_copy() { cp "$src"/f*.bin "$1"; }
# Alternating runs, so that a busy moment of the machine hits both alike; the best of each.
copy_ours=
copy_cp=
copy_once cp_copy > /dev/null  # warms the page cache
i=0
while [ $i -lt $((runs + 2)) ]; do
    t=$(copy_once ours_copy)
    if [ -z "$copy_ours" ] || [ "$t" -lt "$copy_ours" ]; then copy_ours=$t; fi
    t=$(copy_once cp_copy)
    if [ -z "$copy_cp" ] || [ "$t" -lt "$copy_cp" ]; then copy_cp=$t; fi
    i=$((i + 1))
done
cmp "$src/f7.bin" "$work/copy-dst/f7.bin"
rm -rf "$work/copy-dst"

echo "search: porukane-search ${search_ours} ms, find -iname ${search_find} ms"
echo "copy:   porukane-copy ${copy_ours} ms, cp ${copy_cp} ms (200 files of 2 MB)"
awk -v a="$search_ours" -v b="$search_find" 'BEGIN { printf "search ratio %.2f (target <= 1.00)\n", a / (b > 0 ? b : 1) }'
awk -v a="$copy_ours" -v b="$copy_cp" 'BEGIN { printf "copy ratio   %.2f (target <= 1.10)\n", a / (b > 0 ? b : 1) }'
