#!/usr/bin/env bash
# Scheduling cost per host of a whole search: HOSTS listed computers that answer at
# once (an in-memory share client), MaxThreads THREADS, ROUNDS runs of the engine and
# of a bare thread-per-host pool doing the same work, alternating; then once more with
# WORK ms of host work per host, to show that the engine overlaps it as the pool does.
#   bench/engine/run.sh [HOSTS] [THREADS] [ROUNDS] [WORK]
set -euo pipefail
cd "$(dirname "$0")/../.."
hosts="${1:-200}"; threads="${2:-10}"; rounds="${3:-5}"; work="${4:-20}"
driver=build/bench/engine/kestrova-engine-bench
[ -x "$driver" ] || { echo "build first: scripts/build.sh default" >&2; exit 1; }

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
best() { sort -n | head -1; }

# series WORK: ROUNDS alternating runs; prints each run and the best and median
# overhead per host of both.
series() {
  local work_ms="$1" engine=() pool=() line
  for ((round = 1; round <= rounds; round++)); do
    line=$("$driver" engine --hosts "$hosts" --max-threads "$threads" --work-ms "$work_ms")
    echo "  $line"; engine+=("$(awk '{print $NF}' <<<"$line")")
    line=$("$driver" pool --hosts "$hosts" --max-threads "$threads" --work-ms "$work_ms")
    echo "  $line"; pool+=("$(awk '{print $NF}' <<<"$line")")
  done
  echo "  overhead ms per host, engine: best $(printf '%s\n' "${engine[@]}" | best), median $(printf '%s\n' "${engine[@]}" | median)"
  echo "  overhead ms per host, pool:   best $(printf '%s\n' "${pool[@]}" | best), median $(printf '%s\n' "${pool[@]}" | median)"
}

echo "== $hosts hosts answering at once, MaxThreads $threads, $rounds rounds"
series 0
if [ "$work" -gt 0 ]; then
  echo "== $hosts hosts with $work ms of work each, MaxThreads $threads, $rounds rounds"
  series "$work"
fi
