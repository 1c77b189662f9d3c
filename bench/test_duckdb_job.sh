#!/usr/bin/env bash
# Tests duckdb_job.mjs on a model small enough to work out by hand: routing
# by hierarchy and dimension rank, a line with an empty code, the
# not-selected pool, named measures set by "NMV", a transaction measure with
# a divisor, a cost measure with an excluded row, a share of exactly 0.01
# (not sent) beside one of 0.011 (sent), and a roll-up of dimension 1 on
# arrival. Every cell and pool value must match the expected figures below
# to 1e-6; then each model change that the job does not handle must make it
# refuse (exit 3). With KORAVA=PATH it also runs that korava on the model
# and checks the job against it with verify_job.mjs.
#
#   bench/test_duckdb_job.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=bench/benchmark_model.sh
source "$root/bench/benchmark_model.sh"
install_duckdb_api "$root" duckdb_job.mjs verify_job.mjs
job="$root/bench/.duckdb/duckdb_job.mjs"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

write_model() {
  mkdir -p "$dir/out"
  printf 'G1,Group 1,\nA1,Account 1,G1\nA2,Account 2,G1\nG2,Group 2,\nA3,Account 3,G2\n' >"$dir/DIM1.csv"
  printf 'D1,Department 1,\nD2,Department 2,\n' >"$dir/DIM2.csv"
  printf '%s\n' 'OO,4,0' 'DIMH,1,Account' 'DIMH,2,Department' 'STG,RES,Resources,1' 'STG,ACT,Activities,2' \
    'STG,PRD,Products,3' >"$dir/model.csv"
  printf '%s\n' 'CPG,R,Resources,RES,10,,1' 'CPGS,R,Group 1,,,G1,*' \
    'CP,RA1,Account 1,R,AB.RA1' 'CPS,RA1,Account 1,,,A1,*' \
    'CP,RT1,Account 2 D1,R,AB.RT1' 'CPS,RT1,Account 2 D1,,,A2,D1' \
    'CP,RT2,Account 2 D2,R,AB.RT2' 'CPS,RT2,Account 2 D2,,,A2,D2' \
    'CP,RG1,Rest of group 1,R,AB.RG1' 'CPS,RG1,Group 1,,,G1,*' \
    'CPG,A,Activities,ACT,20' 'CP,X,Activity X,A,AB.X' 'CP,Y,Activity Y,A,AB.Y' \
    'CPG,F,Products,PRD,30' 'CP,F1,Product 1,F' 'CPDC,F1,Accounts to groups,,,%1' 'CP,F2,Product 2,F' \
    >"$dir/pools.csv"
  printf '%s\n' 'AB,AB.RA1,RA1,' 'ABL,AB.RA1,Three,C,3,X' 'ABL,AB.RA1,One,C,1,Y' \
    'AB,AB.RT1,RT1,' 'ABL,AB.RT1,Most,C,99,X' 'ABL,AB.RT1,Exactly a cent,C,1,Y' \
    'AB,AB.RT2,RT2,' 'ABL,AB.RT2,Most,C,989,X' 'ABL,AB.RT2,Above a cent,C,11,Y' \
    'AB,AB.RG1,RG1,' 'ABL,AB.RG1,Named,N,NM1,X' 'ABL,AB.RG1,Transactions,I,IMT1,Y' \
    'AB,AB.X,X,' 'ABL,AB.X,Half a percent,C,0.5,F1' 'ABL,AB.X,Cost,I,IMC1,F2' \
    'AB,AB.Y,Y,' 'ABL,AB.Y,All,C,1,F1' >"$dir/bases.csv"
  printf '%s\n' 'NM,NM1,Named 1,9,3' 'NMV,NM1,6' 'IM,IMT1,Department 2,T,35' 'IMS,IMT1,D2,,I,*,D2' \
    'IM,IMC1,RA1 in D1 less RT1,C' 'IMS,IMC1,RA1 D1,RA1,I,*,D1' 'IMS,IMC1,RT1,RT1,E' >"$dir/measures.csv"
  printf '%s\n' '100,A1,D1' '50,A1,D2' '1,A2,D1' '1,A2,D2' '19,G1,D2' '7,A3,D1' '0.5,A1,D1' '3,,D1' \
    >"$dir/transactions.csv"
  printf '%s\n' '$ODIR,,./out' '$IDIR,,.' '$FILE,MODEL,model.csv' '$FILE,DIM1,DIM1.csv' '$FILE,DIM2,DIM2.csv' \
    '$FILE,MODEL,pools.csv' '$FILE,MODEL,bases.csv' '$FILE,MODEL,measures.csv' '$FILE,TX,transactions.csv' \
    '$FILE,MODEL,reports.csv' >"$dir/run.csv"
  printf 'REP,15\nREP,33\n' >"$dir/reports.csv"
}

# Worked out from the rules. Transactions: RA1 takes A1 (150.5), RT1 and RT2
# take A2 by department (1 each), RG1 the rest of G1 (19), and A3 and the
# line without an account reach .NOTSEL..NOTSEL (10). NM1 = 6/3 = 2; IMT1 =
# (50 + 1 + 19)/35 = 2; IMC1 = RA1's D1 cells (100.5) less RT1 (1) = 99.5.
# Stage 1: RA1 sends 3/4 to X and 1/4 to Y; RT1 sends 0.99 to X and not its
# 0.01; RT2 sends 0.989 to X and 0.011 to Y; RG1 sends 9.5 each. X = 124.354,
# Y = 47.136. Stage 2: X sends 0.5/100 to F1 and 99.5/100 to F2, Y all to
# F1; F1 keeps accounts' groups only.
expected_cells='F1,G1,D1,25.506825
F1,G1,D2,22.250945
F2,A1,D1,74.998125
F2,A1,D2,37.3125
F2,A2,D1,0.98505
F2,A2,D2,0.984055
F2,G1,D2,9.4525
RA1,A1,D1,100.5
RA1,A1,D2,50
RG1,G1,D2,19
RT1,A2,D1,1
RT2,A2,D2,1
X,A1,D1,75.375
X,A1,D2,37.5
X,A2,D1,0.99
X,A2,D2,0.989
X,G1,D2,9.5
Y,A1,D1,25.125
Y,A1,D2,12.5
Y,A2,D2,0.011
Y,G1,D2,9.5
.NOTSEL..NOTSEL,,D1,3
.NOTSEL..NOTSEL,A3,D1,7'
expected_pools='.NOTSEL..NOTSEL,10
.NOTSEL.R,0
F1,47.75777
F2,123.73223
RA1,150.5
RG1,19
RT1,1
RT2,1
X,124.354
Y,47.136'

# compare NAME EXPECTED ACTUAL: both "key...,value" lines; values to 1e-6.
compare() {
  local name=$1
  if ! awk -F, -v name="$name" 'function key() { k = $1; for (i = 2; i < NF; i++) k = k "," $i; return k }
      NR == FNR { want[key()] = $NF; next }
      { got[key()] = $NF }
      END {
        for (k in want) if (!(k in got) || (want[k] - got[k])^2 > 1e-12) { print name " " k ": expected " want[k] ", got " got[k]; bad = 1 }
        for (k in got) if (!(k in want)) { print name " " k ": unexpected " got[k]; bad = 1 }
        exit bad }' <(echo "$2") "$3"; then
    echo "FAILED: $name" >&2
    exit 1
  fi
}

write_model
mkdir -p "$dir/peer"
node "$job" "$dir/run.csv" 1 "$dir/peer" >/dev/null
compare cells "$expected_cells" <(tail -n +2 "$dir/peer/cube.csv" | awk -F, -v OFS=, '{ v = $2; $2 = ""; sub(/,,/, ","); print $0 "," v }')
compare pools "$expected_pools" <(tail -n +2 "$dir/peer/pools.csv")
echo "ok: worked example"

if [[ -n "${KORAVA:-}" ]]; then
  (cd "$dir" && "$KORAVA" --quiet run.csv 2>/dev/null)
  node "$root/bench/.duckdb/verify_job.mjs" "$dir/out" "$dir/peer" 1
fi

# Each change: a file and a line appended to it.
refusals=(
  "model.csv|OO,11,Reciprocal allocation"
  "model.csv|OO,1,Allocate budget"
  "bases.csv|ABL,AB.X,Back into the same stage,C,1,Y"
  "pools.csv|CPGIDC,R,Group copy,,,%1"
  "pools.csv|CPDC,F2,Summarise,,,%Y"
  "bases.csv|ABL,AB.RA1,No such pool,C,1,NOPOOL"
  "transactions.csv|5,A9,D1"
)
for change in "${refusals[@]}"; do
  write_model
  echo "${change#*|}" >>"$dir/${change%%|*}"
  code=0
  node "$job" "$dir/run.csv" 1 >/dev/null 2>"$dir/refusal.txt" || code=$?
  if [[ $code -ne 3 ]] || ! grep -q '^duckdb_job: refused: ' "$dir/refusal.txt"; then
    echo "FAILED: no refusal (exit $code) after ${change#*|}" >&2
    cat "$dir/refusal.txt" >&2
    exit 1
  fi
  echo "ok: refuses ${change#*|} ($(cut -c22- "$dir/refusal.txt" | cut -d: -f1))"
done
