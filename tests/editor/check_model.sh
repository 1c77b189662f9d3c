#!/bin/sh
# Runs "korave OPTION" on a copy of a model folder (so that the check file is
# not written into the sources) and expects exit code 0 and SUMMARY on
# standard output. Usage: check_model.sh KORAVE OPTION MODEL_DIR SUMMARY
set -u
korave=$1 option=$2 model=$3 summary=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -R "$model"/. "$work"/
output=$("$korave" "$option" "$work/run.csv")
status=$?
if [ "$status" -ne 0 ] || [ "$output" != "$summary" ]; then
  echo "korave $option on $model: exit $status, output '$output', expected exit 0 and '$summary'"
  for file in "$work"/KORAVECheck*.csv; do [ -f "$file" ] && cat "$file"; done
  exit 1
fi
