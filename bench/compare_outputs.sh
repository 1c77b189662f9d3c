#!/usr/bin/env bash
# Runs two korava builds on the same models and compares everything they
# write: exit code, standard output and error, both logs and every report and
# dump, byte for byte. Only the clock and the heap are masked: times, dates
# and the "Memory # Chg #" figures of milestone lines, and the run manifest's
# hashes of the reports, which hash their dated title lines (the reports
# themselves are compared, masked); the program's own path reads <KORAVA>.
# Each model runs from the same scratch folder for both builds, so folder
# names in the output agree.
#
# The models: every folder under tests/models/ and examples/, and the
# benchmark model of make_model.sh with TRANSACTIONS generated transactions
# (200,000 unless given; kept in WORK_DIR between runs when one is given).
#
#   bench/compare_outputs.sh BEFORE_KORAVA AFTER_KORAVA [TRANSACTIONS] [WORK_DIR]
#
# Prints one line per model and exits 1 when any output differs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
before=$(realpath "${1:?usage: compare_outputs.sh BEFORE_KORAVA AFTER_KORAVA [TRANSACTIONS] [WORK_DIR]}")
after=$(realpath "${2:?usage: compare_outputs.sh BEFORE_KORAVA AFTER_KORAVA [TRANSACTIONS] [WORK_DIR]}")
count=${3:-200000}
work=${4:-}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
[[ -n "$work" ]] || work="$scratch/bench"

# The benchmark model with its transactions; korava-gen writes the same file
# for the same count and seed, so one made earlier is kept.
# shellcheck source=bench/benchmark_model.sh
source "$root/bench/benchmark_model.sh"
bench_model="$work/model_$count"
[[ -x "$(dirname "$after")/korava-gen" ]] || { echo "no korava-gen beside $after" >&2; exit 2; }
make_benchmark_model "$root" "$(dirname "$after")" "$bench_model" "$count" >/dev/null

mask() {
  sed -E \
    -e "s#${before}#<KORAVA>#g" \
    -e "s#${after}#<KORAVA>#g" \
    -e 's#[0-9]{4}-[0-9]{2}-[0-9]{2}#yyyy-mm-dd#g' \
    -e 's#[0-9]{2}:[0-9]{2}:[0-9]{2}#hh:mm:ss#g' \
    -e 's#Memory -?[0-9]+ Chg -?[0-9]+#Memory \# Chg \##g' \
    -e '/"reports": \[/,/^  \]/ s#"sha256": "[0-9a-f]+"#"sha256": "<report>"#' "$1"
}

# run KORAVA MODEL_DIR RESULT_DIR: the model runs in $scratch/run and what
# it leaves there, with exit code, stdout and stderr, ends up in RESULT_DIR.
run() {
  local korava=$1 model=$2 result=$3 args="run.csv" code
  rm -rf "$scratch/run"
  mkdir -p "$scratch/run"
  cp -r "$model"/. "$scratch/run"/
  rm -rf "$scratch/run/expected" "$scratch/run/args"
  [[ -f "$model/args" ]] && args=$(<"$model/args")
  set +e
  # shellcheck disable=SC2086 # the args file holds several words on purpose
  (cd "$scratch/run" && "$korava" $args >"$scratch/run/.stdout" 2>"$scratch/run/.stderr")
  code=$?
  set -e
  echo "$code" >"$scratch/run/.exit_code"
  rm -rf "$result"
  mv "$scratch/run" "$result"
}

compare() {
  local model=$1 name=$2 differences=0 file
  run "$before" "$model" "$scratch/before"
  run "$after" "$model" "$scratch/after"
  while IFS= read -r -d '' file; do
    file=${file#"$scratch/before/"}
    if [[ ! -f "$scratch/after/$file" ]]; then
      echo "  $name: $file written before, not after"
      differences=1
    elif ! cmp -s <(mask "$scratch/before/$file") <(mask "$scratch/after/$file"); then
      echo "  $name: $file differs:"
      diff <(mask "$scratch/before/$file") <(mask "$scratch/after/$file") | head -10 | sed 's/^/    /'
      differences=1
    fi
  done < <(find "$scratch/before" -type f -print0 | sort -z)
  while IFS= read -r -d '' file; do
    file=${file#"$scratch/after/"}
    [[ -f "$scratch/before/$file" ]] || { echo "  $name: $file written after, not before"; differences=1; }
  done < <(find "$scratch/after" -type f -print0 | sort -z)
  local files
  files=$(find "$scratch/before" -type f | wc -l)
  if ((differences)); then
    echo "DIFFERENT $name"
  else
    echo "same      $name ($files files)"
  fi
  return "$differences"
}

failed=0
for model in "$root"/tests/models/*/ "$root"/examples/*/; do
  name=${model#"$root/"}
  compare "${model%/}" "${name%/}" || failed=1
done
compare "$bench_model" "benchmark model, $count transactions" || failed=1
if ((failed)); then
  echo "outputs differ"
  exit 1
fi
echo "all outputs the same"
