#!/usr/bin/env bash
# Times the transaction phase on codes that are long and alike: one
# dimension of 40,000 codes of 22 bytes that share their first and last 8
# bytes (HEADHEAD000001TAILTAIL, ...), and 40,000 lines, one a code. The
# code look-up hashes every byte of a code, so such codes spread over its
# table like any others; the phase takes a few hundredths of a second.
#
#   bench/long_codes.sh [KORAVA] [DIR]
#
# KORAVA defaults to build/bin/korava; DIR (a scratch folder unless given)
# keeps the model. Prints the run's timings and, last, one line
# "long_codes codes=40000 lines=40000 transactions=SECONDS".
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
korava=$(realpath "${1:-$root/build/bin/korava}")
dir=${2:-}
if [[ -z "$dir" ]]; then
  dir=$(mktemp -d)
  trap 'rm -rf "$dir"' EXIT
fi
codes=40000
mkdir -p "$dir/out"
awk -v n="$codes" 'BEGIN { for (i = 1; i <= n; i++) printf "HEADHEAD%06dTAILTAIL,Code %d,\n", i, i }' \
  >"$dir/DIM1.csv"
awk -v n="$codes" 'BEGIN { for (i = 1; i <= n; i++) printf "%d.25,HEADHEAD%06dTAILTAIL\n", i % 100, i }' \
  >"$dir/transactions.csv"
cat >"$dir/model.csv" <<'MODEL'
OO,0,Long codes
DIMH,1,Codes
STG,S,Stage,1
CPG,G,Group,S,10
CPGS,G,All,,,*
CP,P,Pool,G
CPS,P,All,,,*
MODEL
printf '%s\n' '$ODIR,,./out' '$IDIR,,.' '$FILE,MODEL,model.csv' '$FILE,DIM1,DIM1.csv' \
  '$FILE,TX,transactions.csv' >"$dir/run.csv"

(cd "$dir" && "$korava" --timings run.csv >/dev/null 2>"$dir/stderr.txt") || true
timings=$(grep -m1 'korava: timings' "$dir/stderr.txt" | sed 's/^korava: timings //')
[[ -n "$timings" ]] || { cat "$dir/stderr.txt" >&2; echo "korava gave no timings" >&2; exit 1; }
echo "$timings"
seconds=$(sed -n 's/.*transactions=\([0-9.]*\).*/\1/p' <<<"$timings")
echo "long_codes codes=$codes lines=$codes transactions=$seconds"
