#!/usr/bin/env bash
# Builds in Release and measures one generated company of every kind (about
# a million records; SCALE=0.1 for a tenth): a whole run into the embedded
# site, the conversion and a whole run against a server that only answers
# SUCCESS as ratios to one parse of the response, a user's ElementTree
# script for classes, the site's cost per script at 10,000 and 1,000,000
# rows, and the peak memory against the response's size.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
BUILD_DIR="${BUILD_DIR:-build-release}"
SCALE="${SCALE:-1}"
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTREL_BUILD_BENCH=ON >/dev/null
cmake --build "$BUILD_DIR" --target vantrel vantrel-gen vantrel_scale_bench
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
n() { awk -v n="$1" -v s="$SCALE" 'BEGIN { printf "%d", n * s }'; }

company="$work/Bench.QBW"
"$BUILD_DIR/tools/vantrel-gen" --company --customers "$(n 100000)" --jobs-per-customer 3 \
  --employees "$(n 100000)" --vendors "$(n 100000)" --service-items "$(n 100000)" \
  --accounts "$(n 100000)" --classes "$(n 100000)" --time "$(n 200000)" \
  --checks "$(n 50000)" --bills "$(n 50000)" --expense-lines 2 --sales-tax-codes 4 >"$company"
records=$(( $(n 100000) * 4 + $(n 100000) * 5 + $(n 200000) + $(n 50000) * 2 + 4 ))
echo "company: $records records, $(du -m "$company" | cut -f1) MB"

echo "== whole run into the embedded site"
/usr/bin/time -v "$BUILD_DIR/hosts/cli/vantrel" sync --param "QBFilePath=$company" \
  --param SiteCode=BENCH --param SiteKey=K --param TessalyUser=bench --quickbooks "$company" \
  --select-all --select time,expense --sales-tax-codes --embedded-site \
  --site-db "$work/site.sqlite" >"$work/run.log" 2>"$work/time.log" || {
  tail -20 "$work/run.log"; exit 1; }
grep -E "run ended|rows$" "$work/run.log" | sed 's/^/  /'
wall=$(awk -F': ' '/Elapsed \(wall clock\)/ { print $2 }' "$work/time.log")
peak_kb=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/time.log")
seconds=$(echo "$wall" | awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; print s }')
echo "  wall ${wall}, $(awk -v r="$records" -v s="$seconds" 'BEGIN { printf "%.0f", r / s }') records/s," \
  "peak $(( peak_kb / 1024 )) MB"

echo "== in one process (ratios to one parse of the same text)"
"$BUILD_DIR/bench/vantrel_scale_bench" "$company" --site-rows "$(n 1000000)" | sed 's/^/  /'

echo "== classes: a user's ElementTree script against the classes pass"
"$BUILD_DIR/tools/vantrel-gen" --classes "$(n 100000)" >"$work/classes.xml"
start=$(date +%s.%N)
python3 bench/python/classes_etree.py "$work/classes.xml" bench >/dev/null
python_s=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.3f", b - a }')
ours_s=$("$BUILD_DIR/bench/vantrel_scale_bench" --classes "$work/classes.xml" | awk '{ print $2 }')
echo "  python ${python_s} s, ours ${ours_s} s:" \
  "$(awk -v p="$python_s" -v o="$ours_s" 'BEGIN { printf "%.1f", p / o }')x faster"
