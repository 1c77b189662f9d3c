#!/usr/bin/env bash
# Runs korava on a copy of one test model folder and compares what it wrote
# with the folder's expected/ files.
#
#   run_model.sh KORAVA MODEL_DIR
#
# MODEL_DIR holds the model, optionally "args" (the command-line arguments,
# default run.csv) and expected/: "exit_code", and any of "stdout", "stderr"
# and the files the run writes (expected/out/.Job.csv stands for out/.Job.csv).
# Before comparing, times, dates and heap figures are masked as hh:mm:ss,
# yyyy-mm-dd and "Memory # Chg #", the program's path reads <KORAVA> and the
# scratch folder <MODEL>. Files the run writes must end every line in CR LF.
set -euo pipefail

korava=$(realpath "$1")
model=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cp -r "$model"/. "$work"/
rm -rf "$work/expected" "$work/args"
args="run.csv"
[[ -f "$model/args" ]] && args=$(<"$model/args")

cd "$work"
set +e
# shellcheck disable=SC2086 # the args file holds several words on purpose
"$korava" $args >"$work/stdout" 2>"$work/stderr"
code=$?
set -e

failed=0
expected_code=$(<"$model/expected/exit_code")
if [[ "$code" != "$expected_code" ]]; then
  echo "exit code $code, expected $expected_code"
  failed=1
fi

mask() {
  tr -d '\r' <"$1" | sed -E \
    -e "s#${work}#<MODEL>#g" \
    -e "s#${korava}#<KORAVA>#g" \
    -e 's#[0-9]{4}-[0-9]{2}-[0-9]{2}#yyyy-mm-dd#g' \
    -e 's#[0-9]{2}:[0-9]{2}:[0-9]{2}#hh:mm:ss#g' \
    -e 's#Memory -?[0-9]+ Chg -?[0-9]+#Memory \# Chg \##g'
}

while IFS= read -r -d '' expected; do
  name=${expected#"$model/expected/"}
  [[ "$name" == exit_code ]] && continue
  actual="$work/$name"
  if [[ ! -f "$actual" ]]; then
    echo "missing output: $name"
    failed=1
    continue
  fi
  if [[ "$name" != stdout && "$name" != stderr ]] && grep -q -v $'\r$' "$actual"; then
    echo "$name: a line does not end in CR LF"
    failed=1
  fi
  if ! diff -u --label "expected/$name" --label "$name" "$expected" <(mask "$actual"); then
    failed=1
  fi
done < <(find "$model/expected" -type f -print0 | sort -z)

exit "$failed"
