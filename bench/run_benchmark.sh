#!/usr/bin/env bash
# End-to-end benchmark of korava against DuckDB on the model of make_model.sh
# (5 dimensions, 500 cost pools) with TRANSACTIONS generated transactions
# (4,000,000 by default).
#
# One command builds korava (Release), writes the model and its transactions
# into WORK_DIR (bench/work by default; kept, so later runs reuse them), runs
# korava three times and DuckDB three times on the same file and the same
# number of threads, and reports the best run of each: korava's phase times
# (measured by the program, --timings), lines per second, value cube entries
# and peak memory (/usr/bin/time), DuckDB's time to sum the file by cost pool
# and all five codes, and the ratios korava/DuckDB of the transaction phase
# and of the whole run (model, transactions, allocation). The last line holds
# the figures as key=value pairs.
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
repeats=3
bin=${KORAVA_BIN:-$root/build/bin}

install_missing() {
  local missing=()
  command -v /usr/bin/time >/dev/null || missing+=(time)
  command -v node >/dev/null || missing+=(nodejs)
  command -v npm >/dev/null || missing+=(npm)
  ((${#missing[@]} == 0)) && return
  echo "installing ${missing[*]}"
  local sudo=()
  [[ $(id -u) -eq 0 ]] || sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
}
install_missing
# shellcheck source=bench/benchmark_model.sh
source "$root/bench/benchmark_model.sh"
duckdb_dir="$root/bench/.duckdb"
install_duckdb_api "$root" duckdb_aggregate.mjs
[[ -n "${KORAVA_BIN:-}" ]] || "$root/scripts/setup.sh" release >/dev/null
model="$work/model_$count"
make_benchmark_model "$root" "$bin" "$model" "$count"

echo "korava: $repeats runs on $count transactions"
best=""
best_whole=999999
for ((run = 1; run <= repeats; run++)); do
  /usr/bin/time -f 'peak_kb=%M' -o "$work/time.txt" "$bin/korava" --timings "$model/run.csv" \
    2>"$work/stderr.txt" || true
  timings=$(grep -m1 'korava: timings' "$work/stderr.txt" | sed 's/^korava: timings //')
  [[ -n "$timings" ]] || { cat "$work/stderr.txt"; echo "korava failed" >&2; exit 1; }
  peak=$(grep -o 'peak_kb=[0-9]*' "$work/time.txt")
  echo "  $timings $peak"
  whole=$(awk -v t="$timings" 'BEGIN { n = split(t, f, " "); for (i = 1; i <= n; i++) {
    split(f[i], kv, "="); v[kv[1]] = kv[2] } print v["model"] + v["transactions"] + v["allocation"] }')
  if awk -v a="$whole" -v b="$best_whole" 'BEGIN { exit !(a < b) }'; then
    best_whole=$whole
    best="$timings $peak"
    entries=$(tr -d '\r' <"$model/out/.Job.csv" | grep -F "Number of Values in Value Cube" |
      awk '{ print $NF }' | paste -sd' ')
  fi
done

echo "DuckDB: $repeats runs, $threads threads"
duckdb_best=999999
while read -r line; do
  echo "  ${line#duckdb }"
  seconds=$(sed -E 's/.*seconds=([0-9.]+).*/\1/' <<<"$line")
  cells=$(sed -E 's/.*cells=([0-9]+).*/\1/' <<<"$line")
  awk -v a="$seconds" -v b="$duckdb_best" 'BEGIN { exit !(a < b) }' && duckdb_best=$seconds
done < <(node "$duckdb_dir/duckdb_aggregate.mjs" "$model/transactions.csv" "$model/pool_map.csv" \
  "$threads" "$repeats")

get() { sed -E "s/.*(^| )$1=([0-9.]+).*/\2/" <<<"$best"; }
model_s=$(get model)
tx_s=$(get transactions)
alloc_s=$(get allocation)
reports_s=$(get reports)
peak_kb=$(get peak_kb)
read -r cube_before cube_after <<<"$entries"
summary=$(awk -v n="$count" -v m="$model_s" -v t="$tx_s" -v a="$alloc_s" -v r="$reports_s" \
  -v d="$duckdb_best" -v p="$peak_kb" -v cb="$cube_before" -v ca="$cube_after" -v c="$cells" \
  -v th="$threads" 'BEGIN {
  whole = m + t + a
  printf "transactions=%d threads=%d model_s=%.3f transactions_s=%.3f allocation_s=%.3f", n, th, m, t, a
  printf " reports_s=%.3f whole_s=%.3f lines_per_s=%.0f", r, whole, (t > 0 ? n / t : 0)
  printf " cube_entries_tx=%s cube_entries=%s peak_mib=%.1f", cb, ca, p / 1024
  printf " duckdb_s=%.3f duckdb_cells=%s ratio_transactions=%.3f ratio_whole=%.3f\n", d, c, t / d, whole / d
}')
echo "best korava run: model $model_s s, transactions $tx_s s, allocation $alloc_s s, reports $reports_s s"
echo "$summary"
