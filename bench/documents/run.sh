#!/usr/bin/env bash
# Document text extraction throughput, in one run: 1,000 generated .docx and 200
# four-page PDFs, each searched for one term by the program's document test (read,
# extract, match) and by the usual pipelines, `unzip -p FILE word/document.xml |
# grep -F -q` and `pdftotext FILE - | grep -F -q`, one process chain per file. Both
# sides count the files that hold the term, and the counts must agree.
#
# Usage: bench/documents/run.sh [PARENT-FOLDER] [ROUNDS]
#   PARENT-FOLDER  where the documents are written (default /tmp); removed at exit
#   ROUNDS         timed runs per tool (default 3); the best is reported
set -euo pipefail

root="$(cd "$(dirname "$0")/../.." && pwd)"
driver="${KESTROVA_DOCUMENT_BENCH:-$root/build/bench/documents/kestrova-document-bench}"
parent="${1:-/tmp}"
rounds="${2:-3}"
term=benchneedle

[[ -x "$driver" ]] || { echo "driver not found: $driver" >&2; exit 1; }
for tool in unzip pdftotext grep; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed (scripts/setup-deps.sh)" >&2; exit 1; }
done

corpus="$(mktemp -d "$parent/kestrova-document-bench-XXXXXX")"
trap 'rm -rf "$corpus"' EXIT
"$driver" generate "$corpus" 1000 200
docx=("$corpus"/doc-*.docx)
pdfs=("$corpus"/paper-*.pdf)
cat "${docx[@]}" "${pdfs[@]}" >/dev/null # warm page cache

unzip_grep() { local n=0 f; for f in "$@"; do unzip -p "$f" word/document.xml | grep -F -q "$term" && n=$((n + 1)); done; echo "$n"; }
pdftotext_grep() { local n=0 f; for f in "$@"; do pdftotext -q "$f" - | grep -F -q "$term" && n=$((n + 1)); done; echo "$n"; }
driver_search() { "$driver" search "$term" "$@"; }

# best_of NAME FUNCTION FILES...: prints "count seconds" of the fastest round.
best_of() {
  local fn="$1"; shift
  local best="" count="" start end t
  for _ in $(seq "$rounds"); do
    start=$(date +%s.%N)
    count=$("$fn" "$@")
    end=$(date +%s.%N)
    t=$(echo "$end - $start" | bc -l)
    if [[ -z "$best" ]] || (( $(echo "$t < $best" | bc -l) )); then best=$t; fi
  done
  echo "$count $best"
}

row() { # set tool count seconds files
  printf '| %-6s | %-36s | %5d | %8.3f | %8.1f |\n' "$1" "$2" "$3" "$4" "$(echo "$5 / $4" | bc -l)"
}

echo "| set    | tool                                 | hits  | seconds  | files/s  |"
echo "|--------|--------------------------------------|-------|----------|----------|"
read -r c t < <(best_of driver_search "${docx[@]}"); row docx "kestrova document test" "$c" "$t" "${#docx[@]}"; ours_docx=$c
read -r c t < <(best_of unzip_grep "${docx[@]}"); row docx "unzip -p | grep -F -q" "$c" "$t" "${#docx[@]}"; peer_docx=$c
read -r c t < <(best_of driver_search "${pdfs[@]}"); row pdf "kestrova document test" "$c" "$t" "${#pdfs[@]}"; ours_pdf=$c
read -r c t < <(best_of pdftotext_grep "${pdfs[@]}"); row pdf "pdftotext | grep -F -q" "$c" "$t" "${#pdfs[@]}"; peer_pdf=$c
[[ "$ours_docx" == "$peer_docx" && "$ours_pdf" == "$peer_pdf" ]] || { echo "hit counts differ" >&2; exit 1; }
