#!/usr/bin/env bash
# Compares reports of two runs of one model, one on the ledger as booked and
# one on the ledger summed by tuple of codes (scripts/preaggregate.py, or a
# warehouse's GROUP BY): their figures must agree. What the runs cannot
# share is masked: the date and time of the title line, and the number of
# lines each selection row took (column 4 of report 15's CPS lines), which
# summing changes. Reports that count lines elsewhere (11, 13, 14, 17) or
# list them (32) differ by design and are not for this comparison.
#
#   scripts/compare_reports.sh RAW_OUT SUMMED_OUT REPORT_FILE...
#
# REPORT_FILE names a report in both output folders (12.csv, 15.csv, 33.csv).
# Prints "same" or the differences for each; exits 1 when any differ or is
# missing.
set -euo pipefail
if (($# < 3)); then
  echo "usage: compare_reports.sh RAW_OUT SUMMED_OUT REPORT_FILE..." >&2
  exit 2
fi
raw=$1
summed=$2
shift 2

mask() {
  sed -E \
    -e '1s#[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}#yyyy-mm-dd hh:mm:ss#' \
    -e 's#^(    CPS,[^,]*,("[^"]*"|[^,]*),)[0-9]+,#\1<lines>,#' "$1"
}

failed=0
for report in "$@"; do
  for folder in "$raw" "$summed"; do
    [[ -f "$folder/$report" ]] || { echo "$folder/$report: no such report"; failed=1; continue 2; }
  done
  if differences=$(diff <(mask "$raw/$report") <(mask "$summed/$report")); then
    echo "same      $report"
  else
    echo "DIFFERENT $report"
    echo "$differences" | head -20 | sed 's/^/    /'
    failed=1
  fi
done
exit "$failed"
