#!/usr/bin/env bash
# Summing the ledger by tuple of codes first changes no figure: the demo and
# tests/models/ledger_lines_per_tuple each run on their transactions as
# booked and on the file scripts/preaggregate.py sums them into; both runs
# must end with the same exit code and write the same reports 12, 15 and 33
# (scripts/compare_reports.sh). Each summed file must hold one line per
# tuple and per line written through, as counted by hand (the demo's 13
# lines hold 12 tuples; the model's README counts its 10), so that a script
# that copies its input cannot pass, nor one that merges what korava keeps
# apart. Skipped (exit 77) where no python3 is installed.
#
#   preaggregate.sh KORAVA ROOT
set -euo pipefail
korava=$(realpath "$1")
root=$(realpath "$2")
command -v python3 >/dev/null || { echo "SKIPPED: no python3 to sum the ledger"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failed=0
run() {  # run FOLDER: prints korava's exit code
  local code=0
  (cd "$1" && "$korava" --quiet run.csv 2>/dev/null) || code=$?
  echo "$code"
}

# check NAME MODEL_DIR DIMENSIONS SUMMED_LINES REPORT_FILE...: the model's
# transaction file is transactions.csv.
check() {
  local name=$1 model=$2 dimensions=$3 lines=$4 case="$work/$1"
  shift 4
  mkdir "$case"
  cp -r "$model"/. "$case"/
  rm -rf "$case/out" "$case/expected" && mkdir "$case/out"
  local raw_code summed_code count
  raw_code=$(run "$case")
  mv "$case/out" "$case/raw_out" && mkdir "$case/out"
  python3 "$root/scripts/preaggregate.py" --dimensions "$dimensions" "$case/transactions.csv" \
    "$case/summed.csv" 2>/dev/null
  count=$(wc -l <"$case/summed.csv")
  if [[ "$count" != "$lines" ]]; then
    echo "$name: the summed file has $count lines, expected $lines"
    failed=1
  fi
  mv "$case/summed.csv" "$case/transactions.csv"
  summed_code=$(run "$case")
  if [[ "$raw_code" != "$summed_code" ]]; then
    echo "$name: exit code $raw_code as booked, $summed_code summed"
    failed=1
  fi
  "$root/scripts/compare_reports.sh" "$case/raw_out" "$case/out" "$@" | sed "s/^/$name: /" ||
    failed=1
}

cp -r "$root/examples/demo" "$work/demo_model"
printf 'REP,33\r\n' >>"$work/demo_model/REP.csv"
check demo "$work/demo_model" 2 12 12.csv 15.csv 33.csv
check ledger "$root/tests/models/ledger_lines_per_tuple" 2 10 stages.csv pools.csv cube.csv
exit "$failed"
