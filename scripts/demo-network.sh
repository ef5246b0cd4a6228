#!/usr/bin/env bash
# The demo network that scripts/run and scripts/screenshot.sh search: the Samba test
# hosts of the tests (tests/fixtures/smb-servers.sh) with a few hundred sample files
# added to their shares, and an anonymous FTP server (tests/fixtures/ftp_server.py) on
# the second host. Everything listens on loopback addresses only.
#
#   scripts/demo-network.sh start [DIR]   start the servers (restart them if running)
#   scripts/demo-network.sh stop  [DIR]   stop what start started, by PID
#   scripts/demo-network.sh settings INI  point a Kestrova settings file at the demo hosts
#                                          (search type "Only these computers" with the
#                                          four hosts, shares and FTP searched)
#
# Addresses: KESTROVA_TEST_NET (three octets, default 127.0.0) followed by .2 to .5;
# the FTP server listens on port 21 of .3. DIR defaults to /tmp/kestrova-smb-demo-<net>.
# Starting Samba and a server on port 21 needs root: sudo is used when not root.
set -euo pipefail
cd "$(dirname "$0")/.."

NET="${KESTROVA_TEST_NET:-127.0.0}"
ACTION="${1:-}"
DIR="${2:-/tmp/kestrova-smb-demo-${NET}}"
FIXTURES="$PWD/tests/fixtures"
FTP_ROOT="$DIR/ftp-root"
FTP_PID="$DIR/ftp-server.pid"

SUDO=""
need_root() {
  [ "$(id -u)" -eq 0 ] && return 0
  command -v sudo >/dev/null || { echo "The demo servers need root or sudo." >&2; exit 1; }
  SUDO="sudo"
}

stop_ftp() {
  [ -s "$FTP_PID" ] || return 0
  local pid
  pid="$(tr -dc '0-9' <"$FTP_PID")"
  # Only the server this script started: its command line names our root folder.
  if [ -n "$pid" ] && [ -r "/proc/$pid/cmdline" ] && tr '\0' ' ' <"/proc/$pid/cmdline" | grep -qF -- "$FTP_ROOT"; then
    $SUDO kill -TERM "$pid" 2>/dev/null || true
  fi
  $SUDO rm -f "$FTP_PID"
}

# Sets keys of an INI file in place (sections and keys compared without regard to case,
# as Kestrova reads them), adding what is missing; everything else stays as it is.
set_ini_keys() {
  /usr/bin/python3 - "$@" <<'PYTHON'
import os, sys
path, pairs = sys.argv[1], sys.argv[2:]
wanted = [tuple(p.split("=", 1)[0].split("/", 1)) + (p.split("=", 1)[1],) for p in pairs]
lines = open(path, encoding="utf-8").read().splitlines() if os.path.exists(path) else []
for section, key, value in wanted:
    start = next((i for i, l in enumerate(lines) if l.strip().lower() == "[%s]" % section.lower()), None)
    if start is None:
        lines += ["[%s]" % section, "%s=%s" % (key, value)]
        continue
    end = next((i for i in range(start + 1, len(lines)) if lines[i].strip().startswith("[")), len(lines))
    hit = next((i for i in range(start + 1, end)
                if lines[i].split("=", 1)[0].strip().lower() == key.lower() and "=" in lines[i]), None)
    if hit is None:
        lines.insert(end, "%s=%s" % (key, value))
    else:
        lines[hit] = "%s=%s" % (key, value)
with open(path, "w", encoding="utf-8", newline="\r\n") as out:
    out.write("\n".join(lines) + "\n")
PYTHON
}

case "$ACTION" in
  settings)
    ini="${2:?usage: $0 settings INI}"
    set_ini_keys "$ini" "Misc/SearchMethod=2" "Misc/FtpSearchMode=1" "Misc/FoldersSearchMethod=0" \
      "Lists/ResList=\\\\$NET.2,\\\\$NET.3,\\\\$NET.4,\\\\$NET.5" \
      "AutoUpdate/QueryForAutoCheck=0" "AutoUpdate/AutoCheckEnabled=0"
    exit 0
    ;;
  start)
    need_root
    stop_ftp
    $SUDO env KESTROVA_TEST_NET="$NET" "$FIXTURES/smb-servers.sh" start "$DIR"
    # Sample files: a tree of documents on each of the two main hosts' guest shares.
    $SUDO /usr/bin/python3 "$FIXTURES/make_ftp_tree.py" "$DIR/host2/shares/public/samples" 300
    $SUDO /usr/bin/python3 "$FIXTURES/make_ftp_tree.py" "$DIR/host3/shares/docs/samples" 200
    $SUDO rm -rf "$FTP_ROOT"
    $SUDO /usr/bin/python3 "$FIXTURES/make_ftp_tree.py" "$FTP_ROOT" 250
    # The server prints "PORT <n>" once it listens.
    log="$DIR/ftp-server.log"
    $SUDO sh -c "'$FIXTURES/ftp_server.py' --address '$NET.3' --port 21 --root '$FTP_ROOT' >'$log' 2>&1 & echo \$! >'$FTP_PID'"
    for _ in $(seq 100); do
      grep -q '^PORT ' "$log" 2>/dev/null && break
      sleep 0.1
    done
    grep -q '^PORT ' "$log" || { echo "The FTP server did not start:" >&2; cat "$log" >&2; exit 1; }
    echo "Demo network up: SMB on $NET.2-$NET.5, anonymous FTP on $NET.3:21 (state in $DIR)"
    ;;
  stop)
    need_root
    stop_ftp
    $SUDO env KESTROVA_TEST_NET="$NET" "$FIXTURES/smb-servers.sh" stop "$DIR"
    ;;
  *)
    echo "usage: $0 start|stop [DIR]" >&2
    exit 2
    ;;
esac
