#!/usr/bin/env bash
# Content scanner throughput against grep -F -c and rg -F -c on the same 1 GiB text
# corpus, one term and three terms combined with OR, every tool on a warm page cache.
#
# Usage: bench/scanner/run.sh [PARENT-FOLDER] [ROUNDS]
#   PARENT-FOLDER  where the corpus folder is created (default /tmp); removed at exit
#   ROUNDS         timed runs per tool (default 5); best and median are reported
# The driver is taken from build/bench/scanner (scripts/build.sh default builds it),
# or from $KESTROVA_SCANNER_BENCH.
set -euo pipefail

root="$(cd "$(dirname "$0")/../.." && pwd)"
driver="${KESTROVA_SCANNER_BENCH:-$root/build/bench/scanner/kestrova-scanner-bench}"
parent="${1:-/tmp}"
rounds="${2:-5}"
corpus_mebibytes=1024
corpus_files=16

[[ -x "$driver" ]] || { echo "driver not found: $driver (run scripts/build.sh default)" >&2; exit 1; }
command -v rg >/dev/null || { echo "rg (ripgrep) is not installed" >&2; exit 1; }

corpus="$(mktemp -d "$parent/kestrova-scanner-bench-XXXXXX")"
trap 'rm -rf "$corpus"' EXIT

echo "Generating ${corpus_mebibytes} MiB in ${corpus_files} files under $corpus ..."
"$driver" generate "$corpus" "$corpus_mebibytes" "$corpus_files"
files=("$corpus"/corpus-*.txt)
total_bytes=$(stat -c %s "${files[@]}" | awk '{ s += $1 } END { print s }')

# Warm the page cache so every tool reads from memory.
cat "${files[@]}" >/dev/null
cat "${files[@]}" >/dev/null

export LC_ALL=C # grep's fastest mode: no multibyte handling

# Files that hold a match: grep -c prints every file with its count, rg -c only
# files with matches, the driver the number of matching files.
count_grep() { awk -F: '$NF > 0' | wc -l; }
count_rg() { wc -l; }
count_driver() { cat; }

# run NAME COUNTER COMMAND...: times ROUNDS runs, checks every tool finds the same
# files, prints best and median throughput by wall-clock time and by CPU time
# (user + system, all threads). On a machine shared with other work the CPU figure
# is the steadier one: a waiting process spends wall time but no CPU time.
expected=""
run() {
    local name="$1" counter="$2"
    shift 2
    local samples=() matched="" output timing
    output="$(mktemp)"
    timing="$(mktemp)"
    for ((round = 0; round < rounds; round++)); do
        local TIMEFORMAT='%3R %3U %3S'
        { time "$@" >"$output" 2>/dev/null; } 2>"$timing" || true
        samples+=("$(cat "$timing")")
        matched="$(sed '/^$/d' "$output" | "$counter")"
    done
    rm -f "$output" "$timing"
    if [[ -z "$expected" ]]; then
        expected="$matched"
    elif [[ "$matched" != "$expected" ]]; then
        echo "MISMATCH: $name found $matched files, expected $expected" >&2
        exit 1
    fi
    printf '%s\n' "${samples[@]}" | awk -v name="$name" -v bytes="$total_bytes" -v files="$matched" '
        function sort(a, n,    i, j, v) {
            for (i = 2; i <= n; i++) { v = a[i]; for (j = i - 1; j >= 1 && a[j] > v; j--) a[j + 1] = a[j]; a[j + 1] = v }
        }
        { wall[NR] = $1; cpu[NR] = $2 + $3 }
        END {
            sort(wall, NR); sort(cpu, NR); mid = int((NR + 1) / 2)
            printf "  %-36s wall: best %5.2f median %5.2f GB/s   cpu: best %5.2f median %5.2f GB/s   files %s\n",
                   name, bytes / wall[1] / 1e9, bytes / wall[mid] / 1e9,
                   bytes / cpu[1] / 1e9, bytes / cpu[mid] / 1e9, files
        }'
}

echo "Corpus: $total_bytes bytes, ${#files[@]} files; $rounds rounds per tool; $(nproc) cores"
echo "One term (quicksilver, in 4 of 16 files):"
expected=""
run "kestrova scanner" count_driver "$driver" scan 0 0 quicksilver "${files[@]}"
run "grep -F -c" count_grep grep -F -c quicksilver "${files[@]}"
run "rg -F -c" count_rg rg -F -c quicksilver "${files[@]}"
run "rg -F -c -j1 (one thread)" count_rg rg -F -c -j1 quicksilver "${files[@]}"

echo "Three terms, OR (quicksilver, marmalade, zeppelin; 8 of 16 files):"
expected=""
run "kestrova scanner (logic 1)" count_driver "$driver" scan 1 0 "quicksilver marmalade zeppelin" "${files[@]}"
run "grep -F -c -e -e -e" count_grep grep -F -c -e quicksilver -e marmalade -e zeppelin "${files[@]}"
run "rg -F -c -e -e -e" count_rg rg -F -c -e quicksilver -e marmalade -e zeppelin "${files[@]}"
run "rg -F -c -j1 -e -e -e (one thread)" count_rg rg -F -c -j1 -e quicksilver -e marmalade -e zeppelin "${files[@]}"
