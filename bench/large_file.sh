#!/usr/bin/env bash
# Times the transaction phase of a large transaction file: runs one or more
# korava builds on the benchmark model with COUNT transactions (100,000,000
# unless given; written once into DIR/model_COUNT, about 3.1 GB for 100
# million lines), in turn, RUNS times each, and prints for each run and then
# for the best run of each build one line
#   large_file bin=DIR lines=COUNT transactions_s=SECONDS peak_mib=MIB
# (the phase time as `korava --timings` gives it, peak memory from
# /usr/bin/time). Alternating the builds run by run keeps a machine that
# others use from favouring one of them.
#
#   bench/large_file.sh [COUNT] [DIR] [RUNS] [BIN...]
# BIN defaults to build/bin of this tree.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
count=${1:-100000000}
dir=${2:-$root/bench/work}
runs=${3:-3}
shift $(($# < 3 ? $# : 3))
bins=("$@")
((${#bins[@]} > 0)) || bins=("$root/build/bin")
source "$root/bench/benchmark_model.sh"
model="$dir/model_$count"
make_benchmark_model "$root" "${bins[0]}" "$model" "$count" >&2

declare -A best_s best_mib
for ((run = 1; run <= runs; run++)); do
  for bin in "${bins[@]}"; do
    log=$(mktemp)
    /usr/bin/time -f 'peak_kb=%M' -o "$log.time" "$bin/korava" --timings --quiet \
      "$model/run.csv" >/dev/null 2>"$log" || true
    seconds=$(grep -o 'transactions=[0-9.]*' "$log" | head -1 | cut -d= -f2)
    peak=$(($(grep -o 'peak_kb=[0-9]*' "$log.time" | cut -d= -f2) / 1024))
    rm -f "$log" "$log.time"
    [[ -n "$seconds" ]] || { echo "large_file: $bin/korava failed" >&2; exit 1; }
    echo "large_file run=$run bin=$bin lines=$count transactions_s=$seconds peak_mib=$peak"
    if [[ -z "${best_s[$bin]:-}" ]] || awk -v a="$seconds" -v b="${best_s[$bin]}" 'BEGIN { exit !(a < b) }'; then
      best_s[$bin]=$seconds
      best_mib[$bin]=$peak
    fi
  done
done
for bin in "${bins[@]}"; do
  echo "large_file best bin=$bin lines=$count transactions_s=${best_s[$bin]} peak_mib=${best_mib[$bin]}"
done
