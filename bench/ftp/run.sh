#!/usr/bin/env bash
# Full walk of a 5,000-entry tree served by the fixture FTP server (pyftpdlib) on
# a loopback address: Kestrova's FTP search walk against `lftp -c 'open ...; find /'`,
# alternating, in the same run; once in plain FTP and once over TLS (the server
# offers AUTH TLS with a certificate made here; both clients encrypt control and
# listings and neither checks the certificate). Usage (from the repository root,
# after scripts/build.sh default):
#
#   bench/ftp/run.sh [RUNS]        # default 5 runs of each client in each mode
#
# Environment: ADDRESS (default 127.0.3.10), ENTRIES (default 5000), BUILD (default
# build), MODES (default "plain tls").
set -euo pipefail
cd "$(dirname "$0")/../.."
runs="${1:-5}"
address="${ADDRESS:-127.0.3.10}"
entries="${ENTRIES:-5000}"
modes="${MODES:-plain tls}"
driver="${BUILD:-build}/bench/ftp/ftp_walk_bench"
[ -x "$driver" ] || { echo "Build first: scripts/build.sh default ($driver is missing)" >&2; exit 1; }
command -v lftp >/dev/null || { echo "lftp is not installed" >&2; exit 1; }
command -v openssl >/dev/null || { echo "openssl is not installed" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time is not installed (Debian package time)" >&2; exit 1; }

work="$(mktemp -d)"
server_pid=""
stop_server() {
    if [ -n "$server_pid" ]; then
        kill "$server_pid" 2>/dev/null || true
        wait "$server_pid" 2>/dev/null || true
        server_pid=""
    fi
}
cleanup() {
    stop_server
    rm -rf "$work"
}
trap cleanup EXIT

/usr/bin/python3 tests/fixtures/make_ftp_tree.py "$work/tree" "$entries"
openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 -subj "/CN=$address" \
    -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
cat "$work/cert.pem" "$work/key.pem" >"$work/server.pem"

# Starts the server in the given TLS mode ("off" or "optional") and sets $port.
start_server() {
    /usr/bin/python3 tests/fixtures/ftp_server.py --address "$address" --port 0 --root "$work/tree" \
        --tls "$1" --cert "$work/server.pem" --log "$work/commands.log" >"$work/server.out" 2>"$work/server.err" &
    server_pid=$!
    for _ in $(seq 50); do
        grep -q '^PORT ' "$work/server.out" 2>/dev/null && break
        sleep 0.1
    done
    port="$(awk '/^PORT /{print $2}' "$work/server.out")"
    [ -n "$port" ] || { cat "$work/server.err" >&2; exit 1; }
}

# Wall time and CPU time (user + system) of each client, from /usr/bin/time.
measure() {
    /usr/bin/time -f "%e %U %S" -o "$work/time" "$@" >"$work/stdout"
    awk '{printf "%d %d\n", $1 * 1000, ($2 + $3) * 1000}' "$work/time"
}
median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : int((v[NR / 2] + v[NR / 2 + 1]) / 2)}'; }
row() { printf '%-6s %-6s %16s %16s %16s %16s\n' "$@"; }

echo "Tree: $entries entries ($(find "$work/tree" -mindepth 1 -type d | wc -l) folders) on ftp://$address"
row mode run "kestrova wall ms" "kestrova cpu ms" "lftp wall ms" "lftp cpu ms"
for mode in $modes; do
    case "$mode" in
    plain) start_server off; lftp_tls="set ftp:ssl-allow-anonymous true" ;; # tries AUTH TLS, as Kestrova does
    tls)
        start_server optional
        # lftp uses TLS for anonymous logins only when told to.
        lftp_tls="set ftp:ssl-allow-anonymous true; set ftp:ssl-force true; set ftp:ssl-protect-list true"
        lftp_tls="$lftp_tls; set ssl:verify-certificate false"
        ;;
    *) echo "Unknown mode $mode (plain or tls)" >&2; exit 1 ;;
    esac
    : >"$work/results"
    : >"$work/commands.log"
    for run in $(seq "$runs"); do
        read -r ours_wall ours_cpu < <(measure "$driver" "$address" "$port" 1)
        found="$(awk '{print $2}' "$work/stdout")"
        read -r lftp_wall lftp_cpu < <(measure lftp -c "set cmd:interactive false; $lftp_tls; open -p $port ftp://$address; find /")
        lftp_found=$(($(wc -l <"$work/stdout") - 1)) # lftp also prints "/"
        row "$mode" "$run" "$ours_wall" "$ours_cpu" "$lftp_wall" "$lftp_cpu"
        echo "$ours_wall $ours_cpu $lftp_wall $lftp_cpu" >>"$work/results"
    done
    row "$mode" median \
        "$(awk '{print $1}' "$work/results" | median)" "$(awk '{print $2}' "$work/results" | median)" \
        "$(awk '{print $3}' "$work/results" | median)" "$(awk '{print $4}' "$work/results" | median)"
    echo "$mode: entries found: kestrova $found, lftp $lftp_found;" \
        "listings encrypted: $(grep -c 'LIST data=tls' "$work/commands.log" || true)," \
        "in plain text: $(grep -c 'LIST data=plain' "$work/commands.log" || true)"
    stop_server
done
echo "Load average: $(cut -d' ' -f1-3 /proc/loadavg)"
