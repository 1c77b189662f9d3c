#!/usr/bin/env bash
# Times reciprocal allocation (option 11) on large loops of service pools:
# a ring, where each pool sends 40% of its full cost to the next and the
# rest to one final pool, and a complete loop, where each pool sends 40%
# spread evenly over every other member and the rest to the final pool.
# Eight transactions on eight accounts, each feeding one member, give the
# value cube a few cells to solve.
#
#   bench/reciprocal_loops.sh [KORAVA] [DIR] [RING_SIZES] [COMPLETE_SIZES]
#
# KORAVA defaults to build/bin/korava; DIR (a scratch folder unless given)
# keeps the models; the sizes default to "1000 2000 20000" and "300", and an
# empty list runs none. Each model runs three times; prints for each the
# best whole run, e.g. "reciprocal ring pools=2000 seconds=0.41
# allocation=0.30".
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
korava=$(realpath "${1:-$root/build/bin/korava}")
dir=${2:-}
rings=${3-1000 2000 20000}
completes=${4-300}
if [[ -z "$dir" ]]; then
  dir=$(mktemp -d)
  trap 'rm -rf "$dir"' EXIT
fi

# write_model KIND POOLS FOLDER
write_model() {
  local kind=$1 pools=$2 model=$3
  mkdir -p "$model/out"
  awk 'BEGIN { for (a = 1; a <= 8; a++) printf "A%d,Account %d,\n", a, a }' >"$model/DIM1.csv"
  awk 'BEGIN { for (a = 1; a <= 8; a++) printf "%d.37,A%d\n", a * 1000, a }' >"$model/transactions.csv"
  awk -v kind="$kind" -v n="$pools" 'BEGIN {
    print "OO,0,Reciprocal " kind " of " n " pools"
    print "OO,11,Reciprocal allocation"
    print "DIMH,1,Account"
    print "STG,S,Services,1"
    print "STG,F,Final,3"
    print "CPG,G,Services,S,10"
    print "CPGS,G,All accounts,,,*"
    print "CPG,FG,Final,F,20"
    print "CP,OUT,Out of the loop,FG"
    for (i = 1; i <= n; i++) {
      pool = sprintf("P%06d", i)
      print "CP," pool ",Service " i ",G,AB." pool
      print "AB,AB." pool ",Base of " pool
      if (kind == "ring") {
        print "ABL,AB." pool ",Next,C,40," sprintf("P%06d", i % n + 1)
        print "ABL,AB." pool ",Out,C,60,OUT"
      } else {
        for (j = 1; j <= n; j++) if (j != i) print "ABL,AB." pool ",To " j ",C,2," sprintf("P%06d", j)
        print "ABL,AB." pool ",Out,C," 3 * (n - 1) ",OUT"
      }
    }
    for (a = 1; a <= 8; a++) print "CPS," sprintf("P%06d", int((a - 1) * n / 8) + 1) ",Account " a ",,,A" a
  }' >"$model/model.csv"
  printf '%s\n' '$ODIR,,./out' '$IDIR,,.' '$FILE,MODEL,model.csv' '$FILE,DIM1,DIM1.csv' \
    '$FILE,TX,transactions.csv' '$FILE,MODEL,reports.csv' >"$model/run.csv"
  printf 'REP,15\n' >"$model/reports.csv"
}

# best KIND POOLS: the best of three runs' whole and allocation times.
best() {
  local kind=$1 pools=$2 model="$dir/$1_$2" run timings total allocation best_total="" best_allocation=""
  [[ -f "$model/run.csv" ]] || write_model "$kind" "$pools" "$model"
  for run in 1 2 3; do
    (cd "$model" && "$korava" --timings run.csv >/dev/null 2>"$model/stderr.txt") || true
    timings=$(grep -m1 'korava: timings' "$model/stderr.txt" || true)
    [[ -n "$timings" ]] || { cat "$model/stderr.txt" >&2; echo "korava gave no timings" >&2; exit 1; }
    total=$(sed -n 's/.*total=\([0-9.]*\).*/\1/p' <<<"$timings")
    allocation=$(sed -n 's/.*allocation=\([0-9.]*\).*/\1/p' <<<"$timings")
    if [[ -z "$best_total" ]] || awk -v a="$total" -v b="$best_total" 'BEGIN { exit !(a < b) }'; then
      best_total=$total
      best_allocation=$allocation
    fi
  done
  grep -q "Reciprocal Allocation; CP=" "$model/out/.Job.csv" || echo "warning: $kind $pools: loop not solved" >&2
  echo "reciprocal $kind pools=$pools seconds=$best_total allocation=$best_allocation"
}

for pools in $rings; do best ring "$pools"; done
for pools in $completes; do best complete "$pools"; done
