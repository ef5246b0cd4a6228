#!/usr/bin/env bash
# Live-view delivery benchmark: ROUNDS runs of HITS hits from WORKERS threads into the
# results view (offscreen), reporting each run and the best and median rates.
#   bench/gui/run.sh [HITS] [WORKERS] [ROUNDS] [batch|sync]
set -euo pipefail
cd "$(dirname "$0")/../.."
hits="${1:-200000}"; workers="${2:-10}"; rounds="${3:-5}"; mode="${4:-batch}"
driver=build/bench/gui/kestrova-gui-bench
[ -x "$driver" ] || scripts/build.sh default >/dev/null
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
rates=(); gaps=()
for ((round = 1; round <= rounds; round++)); do
  line=$("$driver" "$hits" "$workers" "$mode")
  echo "run $round: $line"
  rates+=("$(awk '{print $8}' <<<"$line")")
  gaps+=("$(awk '{print $10}' <<<"$line")")
done
sorted_rates=$(printf '%s\n' "${rates[@]}" | sort -n)
sorted_gaps=$(printf '%s\n' "${gaps[@]}" | sort -n)
median() { awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
echo "hits/s: best $(tail -1 <<<"$sorted_rates"), median $(median <<<"$sorted_rates")"
echo "longest gap ms: best $(head -1 <<<"$sorted_gaps"), median $(median <<<"$sorted_gaps"), worst $(tail -1 <<<"$sorted_gaps")"
