#!/usr/bin/env bash
# End-to-end benchmark of korava against the same job written in DuckDB SQL
# (duckdb_job.mjs), on the model of make_model.sh (5 dimensions, 500 cost
# pools, product pools rolling accounts up) with TRANSACTIONS generated
# transactions (4,000,000 by default).
#
# One command builds korava (Release), writes the model and its transactions
# into WORK_DIR (bench/work by default; the transactions are kept, so later
# runs reuse them), checks first that the DuckDB job computes what korava
# computes (verify_peer.sh's check, on its own runs that write the cube
# extract), then runs, on the same file and the same number of threads,
# three rounds of: korava, the DuckDB job, and DuckDB's group-by of the file
# by pool and all five codes (duckdb_aggregate.mjs). The timed korava runs
# write the run's usual reports (15 and 41), not the millions of lines of
# the cube extract, and their report phase is not part of the whole job.
#
# It reports the best (smallest) of the three rounds for each figure:
# korava's phase times (--timings), lines per second, value cube entries and
# peak memory (/usr/bin/time); the DuckDB job's model, transaction and
# allocation times (allocation: from the sums per pool and code tuple to the
# final cube) and peak memory of its node process; the group-by's time; and
# the ratios korava/DuckDB of the allocation, of the whole job (model,
# transactions, allocation) and of the transaction phase against the
# group-by. The last line holds every figure as key=value pairs.
#
# It installs what it lacks: "time" and "nodejs"/"npm" with apt-get, and the
# @duckdb/node-api package with npm into bench/.duckdb (ignored by git).
#
#   bench/run_benchmark.sh [TRANSACTIONS] [WORK_DIR]
#
# KORAVA_BIN=DIR takes korava and korava-gen from DIR instead of building,
# to measure another build on the same files.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
count=${1:-4000000}
work=${2:-$root/bench/work}
threads=$(nproc)
rounds=3
bin=${KORAVA_BIN:-$root/build/bin}

# shellcheck source=bench/benchmark_model.sh
source "$root/bench/benchmark_model.sh"
install_bench_tools
duckdb_dir="$root/bench/.duckdb"
install_duckdb_api "$root" duckdb_aggregate.mjs duckdb_job.mjs verify_job.mjs
[[ -n "${KORAVA_BIN:-}" ]] || "$root/scripts/setup.sh" release >/dev/null
model="$work/model_$count"
make_benchmark_model "$root" "$bin" "$model" "$count"

echo "verifying the DuckDB job against korava"
verified=$(verify_peer "$root" "$bin" "$model" "$threads") || { echo "$verified"; exit 1; }
echo "  $verified"

# Figures of every round as "key=value" lines; best() takes each key's
# smallest value.
figures="$work/figures.txt"
: >"$figures"
peak_of() { grep -o '[0-9]*' "$work/time.txt" | tail -1; }

korava_round() {
  /usr/bin/time -f '%M' -o "$work/time.txt" "$bin/korava" --timings "$model/run.csv" \
    2>"$work/stderr.txt" >/dev/null || true
  local timings
  timings=$(grep -m1 'korava: timings' "$work/stderr.txt" | sed 's/^korava: timings //')
  [[ -n "$timings" ]] || { cat "$work/stderr.txt"; echo "korava failed" >&2; exit 1; }
  echo "  korava $timings peak_kb=$(peak_of)"
  awk -v t="$timings" -v p="$(peak_of)" 'BEGIN { n = split(t, f, " "); for (i = 1; i <= n; i++) {
      split(f[i], kv, "="); v[kv[1]] = kv[2] }
    printf "korava_model_s=%s\nkorava_transactions_s=%s\nkorava_allocation_s=%s\nkorava_reports_s=%s\n",
      v["model"], v["transactions"], v["allocation"], v["reports"]
    printf "korava_whole_s=%.3f\nkorava_peak_kb=%s\n", v["model"] + v["transactions"] + v["allocation"], p }' \
    >>"$figures"
}

duckdb_job_round() {
  local line
  line=$(/usr/bin/time -f '%M' -o "$work/time.txt" node "$duckdb_dir/duckdb_job.mjs" "$model/run.csv" "$threads")
  echo "  ${line/duckdb_job/duckdb job} peak_kb=$(peak_of)"
  sed 's/^duckdb_job //' <<<"$line" | tr ' ' '\n' | sed 's/^/duckdb_/' >>"$figures"
  echo "duckdb_peak_kb=$(peak_of)" >>"$figures"
}

groupby_round() {
  local line
  line=$(node "$duckdb_dir/duckdb_aggregate.mjs" "$model/transactions.csv" "$model/pool_map.csv" "$threads" 1)
  echo "  duckdb group-by ${line#duckdb }"
  sed -E 's/.*seconds=([0-9.]+) cells=([0-9]+).*/groupby_s=\1\ngroupby_cells=\2/' <<<"$line" >>"$figures"
}

echo "$rounds rounds on $count transactions, $threads threads: korava, DuckDB job, DuckDB group-by"
for ((round = 1; round <= rounds; round++)); do
  korava_round
  duckdb_job_round
  groupby_round
done
entries=$(tr -d '\r' <"$model/out/.Job.csv" | grep -F "Number of Values in Value Cube" | awk '{ print $NF }' |
  paste -sd' ')
read -r cube_before cube_after <<<"$entries"

summary=$(awk -F= -v n="$count" -v th="$threads" -v cb="$cube_before" -v ca="$cube_after" '
  !($1 in best) || $2 + 0 < best[$1] + 0 { best[$1] = $2 }
  END {
    printf "transactions=%d threads=%d korava_model_s=%s korava_transactions_s=%s", n, th,
      best["korava_model_s"], best["korava_transactions_s"]
    printf " korava_allocation_s=%s korava_reports_s=%s korava_whole_s=%s lines_per_s=%.0f",
      best["korava_allocation_s"], best["korava_reports_s"], best["korava_whole_s"],
      n / best["korava_transactions_s"]
    printf " cube_entries_tx=%s cube_entries=%s korava_peak_mib=%.1f", cb, ca, best["korava_peak_kb"] / 1024
    printf " duckdb_model_s=%s duckdb_transactions_s=%s duckdb_allocation_s=%s duckdb_whole_s=%s",
      best["duckdb_model"], best["duckdb_transactions"], best["duckdb_allocation"], best["duckdb_whole"]
    printf " duckdb_cells=%s duckdb_peak_mib=%.1f groupby_s=%s groupby_cells=%s", best["duckdb_cells"],
      best["duckdb_peak_kb"] / 1024, best["groupby_s"], best["groupby_cells"]
    printf " ratio_allocation=%.3f ratio_whole=%.3f ratio_transactions_groupby=%.3f verify=identical\n",
      best["korava_allocation_s"] / best["duckdb_allocation"], best["korava_whole_s"] / best["duckdb_whole"],
      best["korava_transactions_s"] / best["groupby_s"]
  }' "$figures")
echo "best of $rounds, korava/DuckDB: allocation $(sed -E 's/.*ratio_allocation=([0-9.]+).*/\1/' <<<"$summary")," \
  "whole job $(sed -E 's/.*ratio_whole=([0-9.]+).*/\1/' <<<"$summary")," \
  "transactions/group-by $(sed -E 's/.*ratio_transactions_groupby=([0-9.]+).*/\1/' <<<"$summary")"
echo "$summary"
