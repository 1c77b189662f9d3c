#!/usr/bin/env bash
# Writes a sizeable allocation model into DIR for the benchmark:
# five dimensions of 33, 16, 11, 11 and 11 values with two-level hierarchies,
# three stages, 50 cost pool groups and 500 cost pools whose bases have
# several lines, and input measures of both types (from transactions and
# from cost pools). The product pools roll accounts (dimension 1) up to
# their top-level group as values arrive (a "CPDC" row of "%1").
#
# With "loops", option 11 is set and a few activity pools also allocate into
# each other, by the same input measure as their line from a resource pool's
# value: two pools serving each other, loops of three and four, and a pool
# that keeps part of its own cost; reciprocal allocation solves them.
#
#   bench/make_model.sh DIR [loops]
set -euo pipefail
dir=${1:?usage: make_model.sh DIR [loops]}
loops=${2:-}
mkdir -p "$dir/out"

# dimension NUMBER PARENTS CHILDREN PREFIX: parents first, then children,
# each child under parent ((i-1) mod PARENTS)+1.
dimension() {
  local number=$1 parents=$2 children=$3 prefix=$4 i
  {
    for ((i = 1; i <= parents; i++)); do echo "${prefix}P$i,${prefix} group $i,"; done
    for ((i = 1; i <= children; i++)); do
      echo "${prefix}$i,${prefix} value $i,${prefix}P$(((i - 1) % parents + 1))"
    done
  } >"$dir/DIM$number.csv"
}
dimension 1 3 30 AC
dimension 2 4 12 DP
dimension 3 1 10 PR
dimension 4 1 10 CH
dimension 5 1 10 RG

{
  echo "OO,0,Benchmark model"
  echo "OO,4,0"
  echo "OO,6,1000000"
  for d in 1 2 3 4 5; do echo "DIMH,$d,Dimension $d"; done
  echo "STG,RES,Resources,1"
  echo "STG,ACT,Activities,2"
  echo "STG,PRD,Products,3"
} >"$dir/model.csv"

{
  # 20 resource groups, each taking the transactions of one account of
  # dimension 1; 10 pools each, split by department.
  for ((g = 1; g <= 20; g++)); do
    group=$(printf 'R%02d' "$g")
    echo "CPG,$group,Resources $g,RES,$((g + 10)),,2,1"
    echo "CPGS,$group,Account $g,,,AC$g,*"
    for ((p = 1; p <= 10; p++)); do
      pool="${group}P$(printf '%02d' "$p")"
      echo "CP,$pool,Resource $g/$p,$group,AB.$pool"
      echo "CPS,$pool,Department $p,,,*,DP$(((p - 1) % 12 + 1))"
    done
  done
  # 20 activity groups and 10 product groups of 10 pools each.
  for ((g = 1; g <= 20; g++)); do
    group=$(printf 'A%02d' "$g")
    echo "CPG,$group,Activities $g,ACT,$((g + 40))"
    for ((p = 1; p <= 10; p++)); do
      pool="${group}P$(printf '%02d' "$p")"
      echo "CP,$pool,Activity $g/$p,$group,AB.$pool"
    done
  done
  for ((g = 1; g <= 10; g++)); do
    group=$(printf 'F%02d' "$g")
    echo "CPG,$group,Products $g,PRD,$((g + 70))"
    for ((p = 1; p <= 10; p++)); do
      pool="${group}P$(printf '%02d' "$p")"
      echo "CP,$pool,Product $g/$p,$group"
      echo "CPDC,$pool,Accounts to their group,,,%1"
    done
  done
} >"$dir/pools.csv"

{
  # Resource pools spread over four activity pools by constants and named
  # measures; activity pools over three product pools, one line by an input
  # measure from transactions and one from a resource pool's value.
  for ((g = 1; g <= 20; g++)); do
    for ((p = 1; p <= 10; p++)); do
      pool="$(printf 'R%02d' "$g")P$(printf '%02d' "$p")"
      echo "AB,AB.$pool,Base of $pool,"
      for ((l = 1; l <= 4; l++)); do
        target="$(printf 'A%02d' $(((g + l) % 20 + 1)))P$(printf '%02d' $(((p + l) % 10 + 1)))"
        if ((l % 2)); then
          echo "ABL,AB.$pool,Constant $l,C,$((l * 10 + p)),$target"
        else
          echo "ABL,AB.$pool,Named $l,N,NM$((l + p)),$target"
        fi
      done
    done
  done
  for ((g = 1; g <= 20; g++)); do
    for ((p = 1; p <= 10; p++)); do
      pool="$(printf 'A%02d' "$g")P$(printf '%02d' "$p")"
      echo "AB,AB.$pool,Base of $pool,"
      echo "ABL,AB.$pool,Constant,C,$((p + 5)),$(printf 'F%02d' $((g % 10 + 1)))P$(printf '%02d' "$p")"
      echo "ABL,AB.$pool,Transactions,I,IMT$((p % 5 + 1)),$(printf 'F%02d' $(((g + 1) % 10 + 1)))P$(printf '%02d' "$p")"
      echo "ABL,AB.$pool,Resource value,I,IMC$((g % 5 + 1)),$(printf 'F%02d' $(((g + 2) % 10 + 1)))P$(printf '%02d' "$p")"
    done
  done
  if [[ "$loops" == loops ]]; then
    # loop POOL...: each pool allocates into the next, the last into the first.
    loop() {
      local pools=("$@") i from group
      for ((i = 0; i < ${#pools[@]}; i++)); do
        from=${pools[i]}
        group=$((10#${from:1:2}))
        echo "ABL,AB.$from,Loop,I,IMC$((group % 5 + 1)),${pools[(i + 1) % ${#pools[@]}]}"
      done
    }
    loop A01P01 A02P01
    loop A03P02 A04P02 A05P02
    loop A06P03
    loop A07P04 A08P05 A09P06 A10P07
  fi
} >"$dir/bases.csv"
[[ "$loops" == loops ]] && echo "OO,11,Reciprocal allocation" >>"$dir/model.csv"

{
  for ((n = 1; n <= 14; n++)); do
    echo "NM,NM$n,Named measure $n,$((n * 3))"
    echo "NMV,NM$n,$((n * 3 + 1))"
  done
  for ((m = 1; m <= 5; m++)); do
    echo "IM,IMT$m,Transactions of product group $m,T,100"
    echo "IMS,IMT$m,Products,,I,*,*,PR$m"
    echo "IM,IMC$m,Value of resource pool $m,C"
    echo "IMS,IMC$m,Resource,R0${m}P01,I,*,*"
  done
} >"$dir/measures.csv"

{
  echo '$ODIR,,./out'
  echo '$IDIR,,.'
  echo '$FILE,MODEL,model.csv'
  for d in 1 2 3 4 5; do echo "\$FILE,DIM$d,DIM$d.csv"; done
  echo '$FILE,MODEL,pools.csv'
  echo '$FILE,MODEL,bases.csv'
  echo '$FILE,MODEL,measures.csv'
} >"$dir/model_run.csv"
{
  cat "$dir/model_run.csv"
  echo '$FILE,TX,transactions.csv'
  echo '$FILE,MODEL,reports.csv'
} >"$dir/run.csv"
printf "REP,15\nREP,41\n" >"$dir/reports.csv"
