#!/usr/bin/env bash
# Sweeps a /24 where a few addresses answer and the rest stay silent, with the
# host checker (discovery_bench), nmap -sn -n and fping, inside network namespaces
# made here and deleted on exit. Nothing routes out of them. Needs root.
#
#   bench/discovery/run.sh [path/to/discovery_bench]
#   ROUNDS=3 DEFAULT_ROUNDS=1 SCENARIOS="lan routed noicmp multicast" bench/discovery/run.sh
#
# lan:       the /24 is on the scanner's own link (a veth pair); silent addresses get
#            no ARP answer.
# routed:    the /24 sits behind a router namespace; silent addresses are dropped by
#            the router after its ARP attempt fails.
# noicmp:    lan, with every answering host dropping ICMP echo (nft).
# multicast: 20 computers on one bridge, 10 answering WS-Discovery (wsdd) and 10
#            announcing _smb._tcp over mDNS (tests/fixtures/mdns_responder.py).
set -euo pipefail
cd "$(dirname "$0")/../.."
BENCH="${1:-build/bench/discovery/discovery_bench}"
ROUNDS="${ROUNDS:-3}"
DEFAULT_ROUNDS="${DEFAULT_ROUNDS:-1}"
SCENARIOS="${SCENARIOS:-lan routed noicmp multicast}"
RANGE="198.19.77.0/24"
HOSTS=(198.19.77.2 198.19.77.30 198.19.77.77 198.19.77.150 198.19.77.200)

[ "$(id -u)" -eq 0 ] || { echo "run.sh needs root (network namespaces)" >&2; exit 1; }
[ -x "$BENCH" ] || { echo "build the benchmark first: scripts/build.sh default" >&2; exit 1; }

STEM="kd-bench-$$"
SCANNER="$STEM-s"
ROUTER="$STEM-r"
TARGETS="$STEM-h"
RESPONDERS=() # PIDs of the multicast responders this script started
cleanup() {
  local pid
  for pid in "${RESPONDERS[@]}"; do kill "$pid" 2>/dev/null || true; done
  RESPONDERS=()
  for ns in $(ip netns list | awk '{print $1}' | grep "^$STEM-" || true); do ip netns del "$ns" 2>/dev/null || true; done
}
trap cleanup EXIT

setup_lan() {
  cleanup
  ip netns add "$SCANNER"; ip netns add "$TARGETS"
  ip -n "$SCANNER" link add kv0 type veth peer name kv1 netns "$TARGETS"
  ip -n "$SCANNER" addr add 198.19.77.1/24 dev kv0
  for host in "${HOSTS[@]}"; do ip -n "$TARGETS" addr add "$host/24" dev kv1; done
  for ns in "$SCANNER" "$TARGETS"; do ip -n "$ns" link set lo up; done
  ip -n "$SCANNER" link set kv0 up; ip -n "$TARGETS" link set kv1 up
}

setup_routed() {
  cleanup
  ip netns add "$SCANNER"; ip netns add "$ROUTER"; ip netns add "$TARGETS"
  ip -n "$SCANNER" link add kv0 type veth peer name kr0 netns "$ROUTER"
  ip -n "$ROUTER" link add kr1 type veth peer name kv1 netns "$TARGETS"
  ip -n "$SCANNER" addr add 198.19.78.1/24 dev kv0
  ip -n "$ROUTER" addr add 198.19.78.254/24 dev kr0
  ip -n "$ROUTER" addr add 198.19.77.254/24 dev kr1
  for host in "${HOSTS[@]}"; do ip -n "$TARGETS" addr add "$host/24" dev kv1; done
  for ns in "$SCANNER" "$ROUTER" "$TARGETS"; do ip -n "$ns" link set lo up; done
  ip -n "$SCANNER" link set kv0 up; ip -n "$ROUTER" link set kr0 up
  ip -n "$ROUTER" link set kr1 up; ip -n "$TARGETS" link set kv1 up
  ip netns exec "$ROUTER" sysctl -qw net.ipv4.ip_forward=1
  ip -n "$SCANNER" route add 198.19.77.0/24 via 198.19.78.254
  ip -n "$TARGETS" route add 198.19.78.0/24 via 198.19.77.254
}

setup_noicmp() {
  setup_lan
  ip netns exec "$TARGETS" nft -f - <<'NFT'
table inet kd_bench_noping {
  chain input { type filter hook input priority 0; icmp type echo-request drop; }
}
NFT
}

# 20 responders on a bridge: m1..m10 wsdd, m11..m20 zeroconf, scanner 198.19.79.1.
setup_multicast() {
  cleanup
  ip netns add "$STEM-lan"
  ip -n "$STEM-lan" link add br0 type bridge mcast_snooping 0
  ip -n "$STEM-lan" link set br0 up
  local i ns
  for i in $(seq 0 20); do
    if [ "$i" -eq 0 ]; then ns="$SCANNER"; else ns="$STEM-m$i"; fi
    ip netns add "$ns"
    ip -n "$ns" link set lo up
    ip link add "kdb$$v$i" netns "$ns" type veth peer name "p$i" netns "$STEM-lan"
    ip -n "$ns" link set "kdb$$v$i" name eth0
    ip -n "$ns" addr add "198.19.79.$((i + 1))/24" dev eth0
    ip -n "$ns" link set eth0 up
    ip -n "$ns" route add 224.0.0.0/4 dev eth0
    ip -n "$STEM-lan" link set "p$i" master br0
    ip -n "$STEM-lan" link set "p$i" up
    [ "$i" -eq 0 ] && continue
    if [ "$i" -le 10 ]; then
      # wsdd derives its endpoint from the host name, which all namespaces share.
      ip netns exec "$ns" setsid wsdd -4 -i eth0 -n "KBENCHW$i" -w BENCHLAB \
        -U "$(printf '6b657374-726f-7661-0000-%012d' "$i")" -s >/dev/null 2>&1 </dev/null &
    else
      ip netns exec "$ns" setsid /usr/bin/python3 tests/fixtures/mdns_responder.py "198.19.79.$((i + 1))" \
        "KBENCHM$i" "kbenchm$i" >/dev/null 2>&1 </dev/null &
    fi
    RESPONDERS+=($!)
  done
  sleep 3 # wsdd and zeroconf announce and settle
}

# Forget what earlier runs taught the kernels (neighbour entries).
flush() {
  for ns in "$SCANNER" "$ROUTER" "$TARGETS"; do
    ip netns list | grep -q "^$ns" && ip -n "$ns" neigh flush all 2>/dev/null || true
  done
}

# measure LABEL ROUNDS COMMAND...: runs COMMAND in the scanner namespace ROUNDS
# times; prints the wall time of each run and the number of addresses found up.
measure() {
  local label="$1" rounds="$2"; shift 2
  local times=() ready=() up=""
  for ((round = 1; round <= rounds; round++)); do
    flush
    local start end output
    start=$(date +%s%N)
    output=$(ip netns exec "$SCANNER" "$@" 2>/dev/null || true)
    end=$(date +%s%N)
    times+=("$(awk -v ns=$((end - start)) 'BEGIN { printf "%.2f", ns / 1e9 }')")
    case "$label" in
      nmap*) up=$(grep -c "Status: Up" <<<"$output" || true) ;;
      fping*) up=$(grep -c . <<<"$output" || true) ;;
      *discover*)
        up=$(grep -c "^host " <<<"$output" || true)
        ready+=("$(sed -n 's/^discovered .* in \([0-9.]*\) s.*/\1/p' <<<"$output")")
        ;;
      *) up=$(grep -c "^up " <<<"$output" || true) ;;
    esac
  done
  printf "  %-44s up %-3s seconds %s\n" "$label" "$up" "${times[*]}"
  # The discovery's own time until its list was ready, without process start-up.
  [ ${#ready[@]} -eq 0 ] || printf "  %-44s        ready   %s\n" "" "${ready[*]}"
}

for scenario in $SCENARIOS; do
  "setup_$scenario"
  if [ "$scenario" = multicast ]; then
    echo "scenario multicast: 10 wsdd and 10 zeroconf computers, window 1500 ms"
    measure "kestrova discover (window 1500 ms)" "$ROUNDS" "$BENCH" --discover 1500
    continue
  fi
  if [ "$scenario" = noicmp ]; then
    echo "scenario noicmp: $RANGE, answering ${HOSTS[*]}, all dropping ICMP echo"
    measure "kestrova defaults (all 4 methods, 1024 probes)" "$ROUNDS" "$BENCH" "$RANGE"
    measure "nmap -sn -n -PS445" "$ROUNDS" nmap -sn -n -PS445 -oG - "$RANGE"
    continue
  fi
  echo "scenario $scenario: $RANGE, answering ${HOSTS[*]} (+ the scanner or router address in the range)"
  measure "kestrova defaults (all 4 methods, 1024 probes)" "$ROUNDS" "$BENCH" "$RANGE"
  measure "kestrova MaxThreads 1000 (Method 7, 1000 ms)" "$ROUNDS" "$BENCH" --max-threads 1000 --method 7 "$RANGE"
  measure "kestrova MaxThreads 1000, ICMP only" "$ROUNDS" "$BENCH" --max-threads 1000 --method 1 "$RANGE"
  measure "nmap -sn -n" "$ROUNDS" nmap -sn -n -oG - "$RANGE"
  measure "nmap -sn -n -PE --max-retries 0" "$ROUNDS" nmap -sn -n -PE --max-retries 0 -oG - "$RANGE"
  measure "fping -a -g -r 0 -t 1000 -i 1" "$ROUNDS" fping -a -q -g -r 0 -t 1000 -i 1 "$RANGE"
  measure "fping -a -g (its defaults)" "$ROUNDS" fping -a -q -g "$RANGE"
  if [ "$DEFAULT_ROUNDS" -gt 0 ]; then
    measure "kestrova old defaults (MaxThreads 10, Method 7)" "$DEFAULT_ROUNDS" "$BENCH" --max-threads 10 --method 7 "$RANGE"
  fi
done
