#!/usr/bin/env bash
# Checks the DuckDB job (duckdb_job.mjs) against korava before it serves as
# a benchmark peer: both run the benchmark model with TRANSACTIONS generated
# transactions (4,000,000 unless given; made and kept in WORK_DIR as
# run_benchmark.sh makes them), and verify_job.mjs compares korava's value
# cube extract (report 33) and pool values (report 15) with the job's, to
# the cent. Its last line reads "verify cells=... pools=... ... identical";
# exits 1 when a figure differs.
#
# With "loops", the same on the model with reciprocal loops (make_model.sh
# DIR loops, beside the plain model and with its transactions): the job does
# not solve loops and refuses that model, so this prints the refusal and
# exits 3.
#
#   bench/verify_peer.sh [TRANSACTIONS] [WORK_DIR] [loops]
#
# KORAVA_BIN=DIR takes korava and korava-gen from DIR instead of building.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
count=${1:-4000000}
work=${2:-$root/bench/work}
variant=${3:-}
bin=${KORAVA_BIN:-$root/build/bin}

# shellcheck source=bench/benchmark_model.sh
source "$root/bench/benchmark_model.sh"
install_duckdb_api "$root" duckdb_job.mjs verify_job.mjs
[[ -n "${KORAVA_BIN:-}" ]] || "$root/scripts/setup.sh" release >/dev/null
model="$work/model_$count"
make_benchmark_model "$root" "$bin" "$model" "$count"
if [[ "$variant" == loops ]]; then
  "$root/bench/make_model.sh" "$model/loops" loops
  ln -sf ../transactions.csv "$model/loops/transactions.csv"
  model="$model/loops"
fi
echo "verifying the DuckDB job against $bin/korava on $model"
verify_peer "$root" "$bin" "$model" "$(nproc)"
