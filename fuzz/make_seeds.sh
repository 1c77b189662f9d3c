#!/usr/bin/env bash
# Builds the seed corpus of every fuzz target from the models under
# tests/models/ and examples/ and from the shipped parameter file, into
# OUT/<target>/ (one file per seed).
#
#   fuzz/make_seeds.sh OUT
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:?usage: fuzz/make_seeds.sh OUT}
targets=(splitters model_file transaction_file run_file editor_parameters editor_data compare_runs)
for target in "${targets[@]}"; do
  rm -rf "${out:?}/$target"
  mkdir -p "$out/$target"
done

# Prints the records of a run file, without their CR, as "type kind name".
run_records() {
  tr -d '\r' <"$1" | awk -F, '{ print $1 "\037" $2 "\037" $3 }'
}

models=()
for run in "$root"/tests/models/*/run.csv "$root"/examples/*/run.csv; do
  models+=("$(dirname "$run")")
done

for model in "${models[@]}"; do
  tag=$(basename "$(dirname "$model")")_$(basename "$model")
  idir=.
  seen=" "
  {
    while IFS=$'\037' read -r type kind name; do
      case "$type" in
        \$IDIR)
          idir=${name//\\//}
          echo "\$IDIR,,."
          ;;
        \$FILE)
          file="$model/$idir/${name//\\//}"
          base=$(basename "${name//\\//}")
          echo "\$FILE,$kind,$base"
          if [[ -f $file && $seen != *" $base "* ]]; then
            seen+="$base "
            cat "$file"
            cp "$file" "$out/splitters/${tag}_$base"
            case "$kind" in
              TX) cp "$file" "$out/transaction_file/${tag}_$base" ;;
              DIM*) ;;
              *) cat "$file" >>"$out/model_file/$tag.csv" ;;
            esac
            cat "$file" >>"$out/editor_data/$tag.csv"
          fi
          ;;
        *) printf '%s,%s,%s\n' "$type" "$kind" "$name" | sed 's/,*$//' ;;
      esac
    done < <(run_records "$model/run.csv")
  } >"$out/run_file/$tag.csv"
done

cp "$root/editor/KORAVEParms.csv" "$out/editor_parameters/KORAVEParms.csv"
cp "$root/editor/KORAVEParms.csv" "$out/splitters/KORAVEParms.csv"
# The demo and its what-if compared: their exports, as the regression input holds them.
cp "$root/fuzz/regressions/compare_runs/demo_and_whatif" "$out/compare_runs/"
# A target without a seed starts from the empty input.
for target in "${targets[@]}"; do
  [[ -n $(ls -A "$out/$target") ]] || printf '\n' >"$out/$target/empty"
done
