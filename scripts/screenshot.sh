#!/usr/bin/env bash
# Takes a screenshot of the Kestrova window after a search of the demo network, under
# Xvfb: starts the demo servers (scripts/demo-network.sh, root or sudo), runs the
# program on a virtual display, waits for the search, grabs the screen with xwd and
# converts it to PNG. The servers stop afterwards.
#
#   scripts/screenshot.sh [OUTPUT.png] [SECONDS]    default /tmp/kestrova-window.png, 15 s
set -euo pipefail
cd "$(dirname "$0")/.."
output="${1:-/tmp/kestrova-window.png}"
seconds="${2:-15}"
[ -x build/kestrova ] || scripts/build.sh default

export KESTROVA_TEST_NET="${KESTROVA_TEST_NET:-127.0.0}"
demo_dir="/tmp/kestrova-smb-demo-$KESTROVA_TEST_NET"
trap 'scripts/demo-network.sh stop "$demo_dir" >/dev/null 2>&1 || true' EXIT
scripts/demo-network.sh start "$demo_dir"
scripts/demo-network.sh settings build/kestrova.ini

export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
xvfb-run -a -s "-screen 0 1024x640x24" bash -c '
  build/kestrova "/mask:*.doc;*.pdf;*.txt" &
  pid=$!
  sleep "$1"
  xwd -root -silent | /usr/bin/convert xwd:- "png:$2"
  kill "$pid"
  wait "$pid" || true
' screenshot "$seconds" "$output"
echo "Screenshot: $output"
