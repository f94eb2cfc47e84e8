#!/usr/bin/env bash
# Builds in Release and measures one generated company of every kind (about
# a million records; SCALE=0.1 for a tenth): a whole run into the embedded
# site, the conversion and a whole run against a server that only answers
# SUCCESS as ratios to one parse of the response, a user's ElementTree
# script for classes, the site's cost per script at 10,000 and 1,000,000
# rows, and the peak memory against the response's size.
#
# Every figure is measured REPS times (default 3), the repetitions
# interleaved, and printed as the median with the smallest and largest
# value: on a shared machine one run may be slowed, a median of several
# rarely is.
#
# BASE=REV also builds revision REV (its sources in a git worktree in
# $BASE_BUILD_DIR/source, its build in $BASE_BUILD_DIR/build; default
# build-release-base) and measures it in the same sitting, each of its
# repetitions beside one of the working tree's, so that a change is judged
# old against new under the same load.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
BUILD_DIR="${BUILD_DIR:-build-release}"
SCALE="${SCALE:-1}"
REPS="${REPS:-3}"
BASE="${BASE:-}"
BASE_BUILD_DIR="${BASE_BUILD_DIR:-build-release-base}"
targets=(vantrel vantrel-gen vantrel_scale_bench)

build() {  # SOURCE_DIR BUILD_DIR
  cmake -S "$1" -B "$2" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTREL_BUILD_BENCH=ON >/dev/null
  cmake --build "$2" --target "${targets[@]}" >/dev/null
}

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

build . "$BUILD_DIR"
sides=(new)
declare -A dir=([new]="$BUILD_DIR")
if [ -n "$BASE" ]; then
  # The base revision's sources stay beside its build, so that the next
  # sitting builds only what changed.
  # The revision as this checkout names it (HEAD~1 means this HEAD's parent,
  # not that of the worktree's last checkout).
  base_rev="$(git rev-parse --verify "$BASE^{commit}")"
  base_src="$BASE_BUILD_DIR/source"
  if [ -d "$base_src" ]; then
    git -C "$base_src" checkout --quiet --detach "$base_rev"
  else
    mkdir -p "$BASE_BUILD_DIR"
    git worktree add --detach "$base_src" "$base_rev" >/dev/null
  fi
  build "$base_src" "$BASE_BUILD_DIR/build"
  sides=(base new)
  dir[base]="$BASE_BUILD_DIR/build"
fi

n() { awk -v n="$1" -v s="$SCALE" 'BEGIN { printf "%d", n * s }'; }
company="$work/Bench.QBW"
"$BUILD_DIR/tools/vantrel-gen" --company --customers "$(n 100000)" --jobs-per-customer 3 \
  --employees "$(n 100000)" --vendors "$(n 100000)" --service-items "$(n 100000)" \
  --accounts "$(n 100000)" --classes "$(n 100000)" --time "$(n 200000)" \
  --checks "$(n 50000)" --bills "$(n 50000)" --expense-lines 2 --sales-tax-codes 4 >"$company"
records=$(($(n 100000) * 4 + $(n 100000) * 5 + $(n 200000) + $(n 50000) * 2 + 4))
"$BUILD_DIR/tools/vantrel-gen" --classes "$(n 100000)" >"$work/classes.xml"
echo "company: $records records, $(du -m "$company" | cut -f1) MB; $REPS repetitions" \
  "${BASE:+of $BASE (base) and the working tree (new)}"

figures="$work/figures"  # lines "SIDE NAME VALUE"
: >"$figures"
measure() {  # SIDE
  local side="$1" build_dir="${dir[$1]}"
  rm -f "$work"/site.sqlite*
  if ! /usr/bin/time -v "$build_dir/hosts/cli/vantrel" sync --param "QBFilePath=$company" \
    --param SiteCode=BENCH --param SiteKey=K --param TessalyUser=bench --quickbooks "$company" \
    --select-all --select time,expense --sales-tax-codes --embedded-site \
    --site-db "$work/site.sqlite" >"$work/run.log" 2>"$work/time.log"; then
    # 3: completed with the site's warnings (the generated time names
    # inactive employees' records the site never gets).
    if ! grep -q "^run ended: completed" "$work/run.log"; then
      tail -20 "$work/run.log"
      exit 1
    fi
  fi
  awk -F': ' -v side="$side" -v records="$records" '
    /Elapsed \(wall clock\)/ { n = split($2, t, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + t[i]
                               print side, "run_s", s; print side, "run_records_per_s", records / s }
    /Maximum resident set size/ { print side, "run_peak_MB", $2 / 1024 }' "$work/time.log" >>"$figures"
  "$build_dir/bench/vantrel_scale_bench" "$company" --site-rows "$(n 1000000)" |
    awk -v side="$side" 'NF == 2 { print side, $1, $2 }' >>"$figures"
  local start python_s ours_s
  start=$(date +%s.%N)
  python3 bench/python/classes_etree.py "$work/classes.xml" bench >/dev/null
  python_s=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.3f", b - a }')
  ours_s=$("$build_dir/bench/vantrel_scale_bench" --classes "$work/classes.xml" | awk '{ print $2 }')
  awk -v side="$side" -v p="$python_s" -v o="$ours_s" \
    'BEGIN { print side, "python_classes_s", p; print side, "classes_s", o
             print side, "python_over_ours_x", p / o }' >>"$figures"
}

for ((rep = 1; rep <= REPS; rep++)); do
  # The sides take turns in going first.
  order=("${sides[@]}")
  if ((rep % 2 == 0)) && ((${#sides[@]} == 2)); then order=("${sides[1]}" "${sides[0]}"); fi
  for side in "${order[@]}"; do
    echo "  repetition $rep: $side" >&2
    measure "$side"
  done
done

# Median [smallest, largest] of each figure, by side, in the order measured.
awk -v sides="${sides[*]}" '
  { key = $2; if (!(key in seen)) { seen[key] = 1; names[++count] = key }
    v[$1, key, ++n[$1, key]] = $3 }
  function stat(side, key,   k, i, j, t, a, m) {
    m = n[side, key]; if (m == 0) return "-"
    for (i = 1; i <= m; i++) a[i] = v[side, key, i]
    for (i = 2; i <= m; i++) { t = a[i]; for (j = i - 1; j >= 1 && a[j] > t; j--) a[j + 1] = a[j]; a[j + 1] = t }
    k = (m % 2) ? a[(m + 1) / 2] : (a[m / 2] + a[m / 2 + 1]) / 2
    return sprintf("%.3f [%.3f, %.3f]", k, a[1], a[m])
  }
  END {
    split(sides, s, " ")
    printf "%-24s", "figure"; for (i = 1; i in s; i++) printf "  %-30s", s[i]; printf "\n"
    for (c = 1; c <= count; c++) {
      printf "%-24s", names[c]; for (i = 1; i in s; i++) printf "  %-30s", stat(s[i], names[c]); printf "\n"
    }
  }' "$figures"
