#!/usr/bin/env bash
# Checks korava's transaction sums against exact decimal arithmetic: on the
# benchmark model with TRANSACTIONS generated transactions (40,000,000 by
# default; made as run_benchmark.sh makes them, in the same WORK_DIR), every
# pool value of the Cost Pool Report (15) that transactions feed and every
# input measure's sum in the Measures Report (14), both written with two
# decimals, must equal the sum of its amounts that DuckDB forms in
# DECIMAL(38,6), rounded to the cent. Pools that only the allocation feeds
# are counted, not compared.
#
# Prints each figure that differs and a last line of key=value pairs; exits
# 1 when any differs.
#
#   bench/check_exact_sums.sh [TRANSACTIONS] [WORK_DIR]
#
# KORAVA_BIN=DIR takes korava and korava-gen from DIR instead of building.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
count=${1:-40000000}
work=${2:-$root/bench/work}
bin=${KORAVA_BIN:-$root/build/bin}
duckdb_dir="$root/bench/.duckdb"

# shellcheck source=bench/benchmark_model.sh
source "$root/bench/benchmark_model.sh"
install_duckdb_api "$root" exact_sums.mjs
[[ -n "${KORAVA_BIN:-}" ]] || "$root/scripts/setup.sh" release >/dev/null
model="$work/model_$count"
make_benchmark_model "$root" "$bin" "$model" "$count"

write_run_file "$model" exact 14 15
echo "korava: $bin/korava on $count transactions"
"$bin/korava" --quiet "$model/exact_run.csv" 2>"$model/exact_stderr.txt" ||
  [[ $? -eq 4 ]] || { cat "$model/exact_stderr.txt" >&2; exit 1; }
echo "DuckDB: exact sums"
node "$duckdb_dir/exact_sums.mjs" "$model/transactions.csv" "$model/pool_map.csv" "$(nproc)" \
  >"$model/exact_sums.csv"

# Report lines: "CP,<code>,<description>,,,,,<value>" and
# "IM,<code>,<description>,<type>,,,<measure>,<value>,<divisor>". A
# transaction measure's value is its transactions' sum; a cost measure's
# sum is its measure (its divisor is 1 in this model).
{
  tr -d '\r' <"$model/exact_out/15.csv" | awk -F, '$1 == "CP" { print "CP," $2 "," $NF }'
  tr -d '\r' <"$model/exact_out/14.csv" |
    awk -F, '$1 == "IM" { print "IM," $2 "," ($(NF - 5) == "T" ? $(NF - 1) : $(NF - 2)) }'
} >"$model/korava_figures.csv"
awk -F, -v transactions="$count" '
  NR == FNR { korava[$1 "," $2] = $3; next }
  {
    key = $1 "," $2
    if ($1 == "CP" && $2 == "") { printf "line of no pool: %s lines of unknown account or department\n", $4; bad++; next }
    compared[$1]++
    seen[key] = 1
    if (!(key in korava)) { printf "MISSING %s %s: korava has no figure; exact %s\n", $1, $2, $4; bad++; next }
    if (korava[key] != $3) {
      difference = korava[key] - $4
      if (difference < 0) difference = -difference
      if (difference > largest) largest = difference
      printf "DIFFERS %s %s: korava %s, exact %s (to the cent %s)\n", $1, $2, korava[key], $4, $3
      bad++
    }
  }
  END {
    for (key in korava) if (!(key in seen)) allocated_only++
    printf "exact_sums transactions=%d pools=%d measures=%d allocated_only_pools=%d differing=%d largest_difference=%.2f\n",
      transactions, compared["CP"], compared["IM"], allocated_only, bad, largest
    if (bad > 0) {
      print "FAILED: korava'"'"'s figures are not the exact decimal sums of their amounts" > "/dev/stderr"
      exit 1
    }
  }' "$model/korava_figures.csv" "$model/exact_sums.csv"
