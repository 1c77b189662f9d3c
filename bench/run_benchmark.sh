#!/usr/bin/env bash
# End-to-end benchmark of korava on a sizeable model: builds the model of
# make_model.sh, generates transactions with korava-gen (4,000,000 by
# default), runs korava on them and prints each phase's time (from the
# milestone lines of the log), transactions per second, value cube entries
# and peak memory.
#
#   bench/run_benchmark.sh [TRANSACTIONS] [WORK_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
count=${1:-4000000}
work=${2:-$(mktemp -d)}
bin="$root/build/bin"
[[ -x "$bin/korava" && -x "$bin/korava-gen" ]] || "$root/scripts/setup.sh" release

"$root/bench/make_model.sh" "$work"
echo "model in $work; generating $count transactions"
"$bin/korava-gen" "$work/model_run.csv" "$count" "$work/transactions.csv" 42

start=$(date +%s.%N)
if [[ -x /usr/bin/time ]]; then
  /usr/bin/time -f '%M' -o "$work/peak_kb" "$bin/korava" "$work/run.csv" || true
else
  "$bin/korava" "$work/run.csv" || true
fi
end=$(date +%s.%N)

log="$work/out/.Job.csv"
# Seconds since midnight of a milestone line's time stamp.
at() { grep -m1 -F "$1" "$log" | awk '{ split($1, t, ":"); print t[1] * 3600 + t[2] * 60 + t[3] }'; }
pass1=$(at "Start Read Pass 1")
pass2=$(at "End of Pass1; Start Pass 2")
tx=$(at "Finished Reading Model; Start of Read Transactions")
alloc=$(at "End of Transactions; Start Allocate")
reports=$(at "End of Allocate; Start of Reports")
done_at=$(at "End of Run")
wall=$(awk -v s="$start" -v e="$end" "BEGIN { print e - s }")
entries=$(tr -d "\r" <"$log" | grep -F "Number of Values in Value Cube" | tail -1 | awk "{ print \$NF }")

echo "phase seconds (log time stamps, 1 s resolution):"
echo "  model (pass 1 and 2): $((tx - pass1))"
echo "  transactions:         $((alloc - tx))"
echo "  allocation:           $((reports - alloc))"
echo "  reports:              $((done_at - reports))"
awk -v n="$count" -v w="$wall" 'BEGIN { printf "whole run: %.2f s, %.0f transactions per second\n", w, n / w }'
echo "value cube entries after allocation: $entries"
if [[ -f "$work/peak_kb" ]]; then
  echo "peak memory: $(($(tail -1 "$work/peak_kb") / 1024)) MiB"
else
  echo "peak memory: /usr/bin/time not installed (apt-get install time)"
fi
grep -E '^ +Nr of (Errors|Warnings)' "$log"
