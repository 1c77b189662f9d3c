#!/usr/bin/env bash
# Times the road past one machine on one large file: DuckDB sums the
# benchmark model's transactions by tuple of codes (duckdb_preaggregate.mjs,
# the README's statement, on THREADS threads) and korava allocates the sums,
# against korava on the file as it is. Both korava runs write reports 12 and
# 15, whose figures must agree (scripts/compare_reports.sh). The file is read
# once beforehand, untimed, so that neither side pays for the disk. Prints
# one line:
#   preaggregate lines_in=N lines_out=N duckdb_s=S duckdb_peak_mib=M
#     korava_summed_s=S korava_summed_peak_mib=M summed_total_s=S
#     korava_raw_s=S korava_raw_peak_mib=M ratio=R reports=same
# with seconds and peak memory (/usr/bin/time) of each process as a whole,
# summed_total_s the DuckDB and korava runs together, and ratio korava_raw_s
# over summed_total_s.
#
#   bench/preaggregate.sh [COUNT] [DIR] [THREADS]
#
# COUNT transactions (100,000,000 unless given) are DIR/model_COUNT's, made
# as bench/large_file.sh makes them when missing (DIR is bench/work/ unless
# given) and otherwise only read. The runs' model folders, the summed file
# and the reports go into bench/work/preaggregate_COUNT/. THREADS is 2
# unless given. KORAVA_BIN=DIR measures the korava of another build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
count=${1:-100000000}
dir=${2:-$root/bench/work}
threads=${3:-2}
bin=${KORAVA_BIN:-$root/build/bin}
# shellcheck source=bench/benchmark_model.sh
source "$root/bench/benchmark_model.sh"
install_bench_tools
install_duckdb_api "$root" duckdb_preaggregate.mjs
[[ -x "$bin/korava" ]] || { echo "no korava in $bin; build it first (scripts/setup.sh release)" >&2; exit 2; }

transactions="$dir/model_$count/transactions.csv"
[[ -f "$transactions" ]] || make_benchmark_model "$root" "$bin" "$dir/model_$count" "$count" >&2
work="$root/bench/work/preaggregate_$count"
rm -rf "$work"
"$root/bench/make_model.sh" "$work/raw"
cp -r "$work/raw" "$work/summed"
for side in raw summed; do write_run_file "$work/$side" bench 12 15; done
ln -s "$(realpath "$transactions")" "$work/raw/transactions.csv"
cat "$transactions" >/dev/null

# timed NAME COMMAND...: runs the command under /usr/bin/time, which leaves
# "SECONDS PEAK_KIB" as the last line of $work/NAME.time, and its standard
# output in $work/NAME.out.
timed() {
  local name=$1 code=0
  shift
  /usr/bin/time -f '%e %M' -o "$work/$name.time" "$@" >"$work/$name.out" 2>"$work/$name.err" ||
    code=$?
  # korava ends with 4 when the model logs errors; its reports are compared.
  if ((code != 0 && code != 4)); then
    cat "$work/$name.err" >&2
    echo "preaggregate: $name failed with exit code $code" >&2
    exit 1
  fi
}

timed korava_raw "$bin/korava" --quiet "$work/raw/bench_run.csv"
# The benchmark model's transactions have five code columns.
timed duckdb node "$root/bench/.duckdb/duckdb_preaggregate.mjs" "$work/raw/transactions.csv" 5 \
  "$work/summed/transactions.csv" "$threads"
timed korava_summed "$bin/korava" --quiet "$work/summed/bench_run.csv"
read -r korava_raw_s korava_raw_kib < <(tail -1 "$work/korava_raw.time")
read -r duckdb_s duckdb_kib < <(tail -1 "$work/duckdb.time")
read -r korava_summed_s korava_summed_kib < <(tail -1 "$work/korava_summed.time")

lines_in=$(tr -d '\r' <"$work/raw/bench_out/.Job.csv" | grep -o 'Nr TX [0-9]*' | awk '{ print $3 }')
lines_out=$(grep -o 'lines_out=[0-9]*' "$work/duckdb.out" | cut -d= -f2)
reports=same
"$root/scripts/compare_reports.sh" "$work/raw/bench_out" "$work/summed/bench_out" 12.csv 15.csv \
  >"$work/compare.txt" || { cat "$work/compare.txt" >&2; reports=DIFFERENT; }
awk -v d="$duckdb_s" -v k="$korava_summed_s" -v r="$korava_raw_s" 'BEGIN {
  printf "summed_total_s=%.2f ratio=%.2f\n", d + k, r / (d + k) }' >"$work/totals.txt"
read -r total ratio <"$work/totals.txt"
echo "preaggregate lines_in=$lines_in lines_out=$lines_out duckdb_s=$duckdb_s" \
  "duckdb_peak_mib=$((duckdb_kib / 1024)) korava_summed_s=$korava_summed_s" \
  "korava_summed_peak_mib=$((korava_summed_kib / 1024)) $total korava_raw_s=$korava_raw_s" \
  "korava_raw_peak_mib=$((korava_raw_kib / 1024)) $ratio reports=$reports"
[[ "$reports" == same ]]
