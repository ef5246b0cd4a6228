#!/usr/bin/env bash
# Save, load and export of 1,000,000 records, against standard tools on the same
# data in the same run. Usage: bench/results/run.sh [RECORDS] [REPEATS]
# Build first (scripts/build.sh default). The work folder is removed at the end.
set -euo pipefail
cd "$(dirname "$0")/../.."
records="${1:-1000000}"
repeats="${2:-3}"
bench=build/bench/results/kestrova-results-bench
[ -x "$bench" ] || { echo "build first: scripts/build.sh default" >&2; exit 1; }
work="$(mktemp -d "${TMPDIR:-/tmp}/kestrova-results-bench-XXXXXX")"
trap 'rm -rf "$work"' EXIT

echo "== Kestrova ($records records, $repeats runs each)"
"$bench" "$work" "$records" "$repeats"
ls -l "$work"/results.dat "$work"/report.* | awk '{printf "   %-12s %6.1f MB\n", $NF, $5 / 1e6}' | sed "s|$work/||"

# Runs a shell command $repeats times; prints the fastest and the median.
peer() {
  local name="$1"; shift
  local times=()
  for _ in $(seq "$repeats"); do
    local start end
    start=$(date +%s.%N)
    bash -c "$*" >/dev/null
    end=$(date +%s.%N)
    times+=("$(echo "$end - $start" | bc)")
  done
  printf '%s\n' "${times[@]}" | sort -n | awk -v n="$name" -v r="$repeats" \
    '{t[NR]=$1} END {printf "%-34s min %.3f s  median %.3f s  (%d runs)\n", n, t[1], t[int((NR+1)/2)], r}'
}

echo "== Peers on the same data"
cd "$work"
mkdir -p streams && cp records.bin streams/mainlist_unicode && cp images.bin streams/images
peer "gsf createole (save, no fsync)" "gsf createole peer.dat streams/mainlist_unicode streams/images"
peer "cp + sync of results.dat" "cp results.dat copy.dat && sync copy.dat"
peer "gsf cat mainlist_unicode (load)" "gsf cat results.dat mainlist_unicode"
peer "python3 olefile read (load)" "/usr/bin/python3 -c \"import olefile; olefile.OleFileIO('results.dat').openstream('mainlist_unicode').read()\""
# The reports from a TSV of the same records: awk formats rows much as the exports do.
peer "awk TSV -> HTML rows" "awk -F'\t' '{n=\$1; gsub(/\\\\/, \"/\", n); printf \"<TR>\\r\\n <TD><A HREF=\\\"file:%s\\\">%s</A> </TD>\\r\\n <TD>%s </TD>\\r\\n <TD>%s %s </TD>\\r\\n <TD>%s </TD>\\r\\n</TR>\\r\\n\", n, \$1, \$2, \$3, \$4, \$5}' records.tsv > peer.htm"
peer "awk TSV -> XML items" "awk -F'\t' '{n=\$1; gsub(/&/, \"\\\\&amp;\", n); gsub(/ /, \"\\\\&#32;\", n); printf \" <item name=\\\"%s\\\" size=\\\"%s\\\" date=\\\"%s\\\" time=\\\"%s\\\" attr=\\\"%s\\\"/>\\r\\n\", n, \$2, \$3, \$4, \$5}' records.tsv > peer.xml"
peer "awk TSV -> CSV + iconv 1252" "awk -F'\t' '{printf \"\\\"%s\\\",%s,%s %s,%s\\r\\n\", \$1, \$2, \$3, \$4, \$5}' records.tsv | iconv -f UTF-8 -t WINDOWS-1252 > peer.csv"
ls -l peer.* | awk '{printf "   %-12s %6.1f MB\n", $NF, $5 / 1e6}'
