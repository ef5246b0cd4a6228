#!/usr/bin/env bash
# Stop times under faults: runs the fault tests that stop a search (an SMB agent
# hung with SIGSTOP, smbd killed in a walk, 200 hosts of which 190 never answer, an
# FTP server stalled in a listing) ROUNDS times and reports, per case, the time from
# the stop request to the end of the search: best, median and worst in ms. The
# tests print each figure as "stop took N ms: CASE". Usage (from the repository
# root, as root, after a build of the smb and ftp test binaries):
#
#   bench/faults/run.sh [ROUNDS]     # default 5
#
# Environment: KESTROVA_TEST_NET (three octets, default 127.0.9), BUILD (default build).
set -euo pipefail
cd "$(dirname "$0")/../.."
rounds="${1:-5}"
export KESTROVA_TEST_NET="${KESTROVA_TEST_NET:-127.0.9}"
build="${BUILD:-build}"
smb_tests="$build/tests/smb/ShareSearchFailureTest"
ftp_tests="$build/tests/ftp/FtpSearchUnderLoadTest"
[ -x "$smb_tests" ] && [ -x "$ftp_tests" ] || { echo "Build first: cmake --build $build --target ShareSearchFailureTest FtpSearchUnderLoadTest" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || { echo "Starting smbd and FTP servers on port 21 needs root" >&2; exit 1; }

work="$(mktemp -d /tmp/kestrova-faults-bench.XXXXXX)"
chmod 0755 "$work" # guest access runs as nobody
fixture="$work/smb-fixture"
cleanup() {
    tests/fixtures/smb-servers.sh stop "$fixture" >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT
tests/fixtures/smb-servers.sh start "$fixture" >/dev/null
export KESTROVA_SMB_FIXTURE_DIR="$fixture"

for round in $(seq "$rounds"); do
    "$smb_tests" --gtest_filter='*StopEnds*:*ServerKilled*' >>"$work/out" 2>&1 || { echo "round $round: an SMB test failed" >&2; grep -E 'FAILED|Failure' "$work/out" >&2 || true; }
    "$ftp_tests" --gtest_filter='*Stop*' >>"$work/out" 2>&1 || echo "round $round: an FTP test failed" >&2
done

median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : int((v[NR / 2] + v[NR / 2 + 1]) / 2)}'; }
echo "| Case | runs | best ms | median ms | worst ms |"
echo "|---|---|---|---|---|"
grep -o 'stop took [0-9-]* ms: .*' "$work/out" | sed 's/^stop took \([0-9-]*\) ms: /\1\t/' | sort -t$'\t' -k2 >"$work/figures"
cut -f2 "$work/figures" | uniq | while IFS= read -r what; do
    awk -F'\t' -v w="$what" '$2 == w {print $1}' "$work/figures" >"$work/one"
    printf '| %s | %d | %d | %d | %d |\n' "$what" "$(wc -l <"$work/one")" "$(sort -n "$work/one" | head -1)" \
        "$(median <"$work/one")" "$(sort -n "$work/one" | tail -1)"
done
