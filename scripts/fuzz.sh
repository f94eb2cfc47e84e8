#!/usr/bin/env bash
# Builds the fuzzers of tests/fuzz with clang (into build-fuzz/, or
# FUZZ_BUILD_DIR) and runs them:
#
#   scripts/fuzz.sh TARGET SECONDS   one target (convert, site_upload, ...)
#   scripts/fuzz.sh --all SECONDS    every target in turn, SECONDS each
#
# A target runs on its working corpus BUILD/fuzz/TARGET/corpus, a copy of
# tests/fuzz/corpus/TARGET that also keeps what earlier runs found; the
# checked-in corpus is never written. A crash, a sanitizer report, a leak or
# an input that takes over 10 s fails the target: its log and reproducer stay
# in BUILD/fuzz/TARGET/ and the exit status is 1. Otherwise one line per
# target gives its runs, exec/s, coverage (cov: edges, ft: features) and
# corpus size.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
  echo "usage: scripts/fuzz.sh TARGET|--all SECONDS" >&2
  echo "targets: ${targets[*]}" >&2
  exit 2
}

targets=()
for source in tests/fuzz/*_fuzzer.cc; do
  name="$(basename "$source")"
  targets+=("${name%_fuzzer.cc}")
done

[ $# -eq 2 ] || usage
seconds="$2"
[[ "$seconds" =~ ^[1-9][0-9]*$ ]] || usage
if [ "$1" = "--all" ]; then
  selected=("${targets[@]}")
else
  selected=()
  for target in "${targets[@]}"; do
    if [ "$target" = "${1%_fuzzer}" ]; then selected=("$target"); fi
  done
  [ "${#selected[@]}" -eq 1 ] || usage
fi

build_dir="${FUZZ_BUILD_DIR:-build-fuzz}"
scripts/install-deps.sh
CC=clang CXX=clang++ BUILD_DIR="$build_dir" TARGETS="${selected[*]/%/_fuzzer}" \
  scripts/build.sh -DVANTREL_FUZZ=ON

export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"
failed=()
for target in "${selected[@]}"; do
  work="$build_dir/fuzz/$target"
  mkdir -p "$work/corpus"
  cp -R "tests/fuzz/corpus/$target/." "$work/corpus/"
  log="$work/last-run.log"
  if "$build_dir/tests/fuzz/${target}_fuzzer" -max_total_time="$seconds" -timeout=10 \
    -print_final_stats=1 -artifact_prefix="$work/" "$work/corpus" >"$log" 2>&1; then
    done_line="$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1 || true)"
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
    rate="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")"
    cov="$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$done_line")"
    ft="$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$done_line")"
    corp="$(sed -n 's/.* corp: \([^ ]*\).*/\1/p' <<<"$done_line")"
    echo "fuzz $target: ${seconds}s, $runs runs, $rate exec/s, cov $cov, ft $ft, corpus $corp"
  else
    failed+=("$target")
    echo "fuzz $target: FAILED; log $log, reproducer in $work/" >&2
    tail -n 80 "$log" >&2
  fi
done

if [ "${#failed[@]}" -gt 0 ]; then
  echo "fuzzers that failed: ${failed[*]}" >&2
  exit 1
fi
