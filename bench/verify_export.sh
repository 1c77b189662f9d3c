#!/usr/bin/env bash
# Loads korava's Results Export of the benchmark model into DuckDB and checks
# that "SELECT Pool, SUM(Value) ... GROUP BY Pool" over it gives every pool
# value of report 15 to the cent (verify_export.mjs). The model and its
# TRANSACTIONS generated lines (200,000 unless given) are made and kept in
# WORK_DIR as run_benchmark.sh makes them. Its last line reads
# "verify_export cells=... pools=... largest_difference=... identical";
# exits 1 when a pool differs.
#
#   bench/verify_export.sh [TRANSACTIONS] [WORK_DIR]
#
# KORAVA_BIN=DIR takes korava and korava-gen from DIR instead of building.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
count=${1:-200000}
work=${2:-$root/bench/work}
bin=${KORAVA_BIN:-$root/build/bin}

# shellcheck source=bench/benchmark_model.sh
source "$root/bench/benchmark_model.sh"
install_duckdb_api "$root" verify_export.mjs
[[ -n "${KORAVA_BIN:-}" ]] || "$root/scripts/setup.sh" release >/dev/null
model="$work/model_$count"
make_benchmark_model "$root" "$bin" "$model" "$count"
write_run_file "$model" export 15 36
"$bin/korava" --quiet "$model/export_run.csv" 2>"$model/export_stderr.txt" ||
  { cat "$model/export_stderr.txt" >&2; echo "korava failed on $model" >&2; exit 1; }
echo "checking $model/export_out/36.csv in DuckDB against report 15"
node "$root/bench/.duckdb/verify_export.mjs" "$model/export_out" "$(nproc)"
