#!/usr/bin/env bash
# Full walk of a 50,000-file tree in 2,000 folders served by one fixture smbd:
# the search's walk (one worker, hits counted, no window) with several numbers of
# prefetch agents, against `smbclient //HOST/perf -N -c 'recurse ON; ls'`,
# alternating, in the same run. Usage (from the repository root, as root, after
# scripts/build.sh default):
#
#   bench/smb/run.sh [RUNS] [AGENT-COUNTS]     # default: 5 runs, agents "0 2 3"
#
# Environment: KESTROVA_TEST_NET (three octets, default 127.0.9; the host is .6),
# FILES (default 50000), FOLDERS (default 2000), BUILD (default build), TREE (a tree
# made earlier by bench/smb/make_tree.py to serve instead of a new one; kept), BEFORE
# (a folder holding kestrova-smb-bench and kestrova-smb-agent of an earlier version:
# adds its walk with the most agents as a column "before-N", for a before/after
# comparison in one run).
set -euo pipefail
cd "$(dirname "$0")/../.."
runs="${1:-5}"
agent_counts="${2:-0 2 3}"
export KESTROVA_TEST_NET="${KESTROVA_TEST_NET:-127.0.9}"
build="${BUILD:-build}"
driver="$build/bench/smb/kestrova-smb-bench"
export KESTROVA_SMB_AGENT="$PWD/$build/kestrova-smb-agent"
[ -x "$driver" ] && [ -x "$KESTROVA_SMB_AGENT" ] || { echo "Build first: scripts/build.sh default" >&2; exit 1; }
command -v smbclient >/dev/null || { echo "smbclient is not installed" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time is not installed (Debian package time)" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || { echo "Starting smbd needs root" >&2; exit 1; }

work="$(mktemp -d /tmp/kestrova-smb-bench.XXXXXX)"
chmod 0755 "$work" # guest access runs as nobody
fixture="$work/smb-fixture"
export KESTROVA_SMB_PERF_TREE="${TREE:-$work/tree}"
cleanup() {
    tests/fixtures/smb-servers.sh stop "$fixture" >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

if [ -z "${TREE:-}" ]; then
    /usr/bin/python3 bench/smb/make_tree.py "$KESTROVA_SMB_PERF_TREE" "${FILES:-50000}" "${FOLDERS:-2000}"
    chmod -R a+rX "$work"
fi
tests/fixtures/smb-servers.sh start "$fixture"
host="$KESTROVA_TEST_NET.6"

# Wall time and CPU time (user + system, children included) of a command, in ms.
measure() {
    /usr/bin/time -f "%e %U %S" -o "$work/time" "$@" >"$work/stdout" 2>"$work/stderr"
    awk '{printf "%d %d\n", $1 * 1000, ($2 + $3) * 1000}' "$work/time"
}
median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : int((v[NR / 2] + v[NR / 2 + 1]) / 2)}'; }
smbclient_walk() { smbclient "//$host/perf" -N -c 'recurse ON; ls'; }
# Entries smbclient listed: indented lines, "." and ".." left out.
smbclient_entries() { grep -c -E '^  ' "$work/stdout" | awk '{print $1}'; grep -E '^  \.{1,2} ' "$work/stdout" | wc -l; }

# One untimed round of each warms the page cache and smbd.
smbclient_walk >/dev/null 2>&1
"$driver" "$host" 0 1 >/dev/null

columns=(smbclient)
for agents in $agent_counts; do columns+=("kestrova-$agents"); done
before_agents="${agent_counts##* }"
if [ -n "${BEFORE:-}" ]; then
    [ -x "$BEFORE/kestrova-smb-bench" ] && [ -x "$BEFORE/kestrova-smb-agent" ] \
        || { echo "BEFORE=$BEFORE lacks kestrova-smb-bench or kestrova-smb-agent" >&2; exit 1; }
    columns+=("before-$before_agents")
fi
echo "Tree: $(find "$KESTROVA_SMB_PERF_TREE" -type f | wc -l) files in $(find "$KESTROVA_SMB_PERF_TREE" -mindepth 1 -type d | wc -l) folders on //$host/perf; wall ms / cpu ms of the client (agents included)"
printf '%-6s' run; for c in "${columns[@]}"; do printf ' %22s' "$c"; done; echo
: >"$work/results"
for run in $(seq "$runs"); do
    line=()
    read -r wall cpu < <(measure smbclient "//$host/perf" -N -c 'recurse ON; ls')
    read -r total dots < <(smbclient_entries | paste -sd' ')
    smb_found=$((total - dots))
    line+=("$wall/$cpu")
    echo "smbclient $wall $cpu" >>"$work/results"
    for agents in $agent_counts; do
        read -r wall cpu < <(measure "$driver" "$host" "$agents" 1)
        read -r _ found _ _ _ prefetched <"$work/stdout"
        line+=("$wall/$cpu")
        echo "kestrova-$agents $wall $cpu" >>"$work/results"
    done
    if [ -n "${BEFORE:-}" ]; then
        read -r wall cpu < <(KESTROVA_SMB_AGENT="$BEFORE/kestrova-smb-agent" \
            measure "$BEFORE/kestrova-smb-bench" "$host" "$before_agents" 1)
        read -r _ before_found _ <"$work/stdout"
        line+=("$wall/$cpu")
        echo "before-$before_agents $wall $cpu" >>"$work/results"
    fi
    printf '%-6s' "$run"; for cell in "${line[@]}"; do printf ' %22s' "$cell"; done; echo
done
printf '%-6s' median
for c in "${columns[@]}"; do
    printf ' %22s' "$(awk -v c="$c" '$1 == c {print $2}' "$work/results" | median)/$(awk -v c="$c" '$1 == c {print $3}' "$work/results" | median)"
done
echo
echo "Entries found: smbclient $smb_found, kestrova $found${BEFORE:+, before ${before_found:-?}} (last run: $prefetched listings from prefetch agents)."
echo "Load average: $(cut -d' ' -f1-3 /proc/loadavg)"
