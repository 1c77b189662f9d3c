#!/usr/bin/env bash
# An interrupted or failed run leaves no report that looks complete.
#
#   stop_and_failure.sh KORAVA KORAVA_GEN DEMO_DIR
#
# On a copy of the demo model:
# 1. With 1,000,000 generated transactions, SIGTERM while they are read:
#    exit code 143, both logs end with the "Run interrupted" line naming the
#    phase, neither a report nor a temporary file is left in the output
#    folder, and the run manifest says "interrupted".
# 2. With its own transactions and a file size limit of 8 KiB, which the
#    logs stay below and the Cost Flow Chart does not: exit code 2, the
#    message names the chart's file, and no file stands under its name; the
#    reports written before it are whole.
set -euo pipefail

korava=$(realpath "$1")
generator=$(realpath "$2")
demo=$(realpath "$3")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

cp -r "$demo"/. "$work"/
rm -rf "$work/out"
mkdir "$work/out"
cd "$work"
cp transactions.csv demo_transactions.csv
"$generator" run.csv 1000000 transactions.csv >/dev/null
leftovers() { find out -name '.korava-*' -o -name '*.csv' ! -name '.Job*' -o -name '*.html'; }

# 1. Interrupted while reading transactions.
"$korava" --quiet run.csv >stdout 2>stderr &
pid=$!
for _ in $(seq 1 3000); do
  grep -q "Start of Read Transactions" out/.Job.csv 2>/dev/null && break
  sleep 0.01
done
kill -TERM "$pid"
set +e
wait "$pid"
code=$?
set -e
[[ $code == 143 ]] || fail "interrupted run: exit code $code, expected 143; $(cat stderr)"
for log in out/.Job.csv out/.JobandTrace.csv; do
  last=$(tail -n 1 "$log" | tr -d '\r')
  [[ $last == *"  Run interrupted; Phase=Transactions Signal=SIGTERM " ]] ||
    fail "last line of $log: '$last'"
done
grep -q "run interrupted by SIGTERM during Transactions" stderr || fail "stderr: $(cat stderr)"
[[ -z $(leftovers) ]] || fail "left behind: $(leftovers)"
# The run manifest says so, and lists the transaction file as read in part.
if command -v python3 >/dev/null; then
  python3 - "$(wc -l <transactions.csv)" <<'PY' || fail "run manifest of the interrupted run"
import json, sys
lines = int(sys.argv[1])
manifest = json.load(open("out/.Run.json", encoding="utf-8"))
if manifest["exit_code"] != 143 or manifest["status"] != "interrupted":
    sys.exit(f"manifest: {manifest['exit_code']} {manifest['status']}")
tx = [i for i in manifest["inputs"] if i["kind"] == "TX"]
if len(tx) != 1 or tx[0]["sha256"] is not None or not 0 <= tx[0]["lines"] < lines:
    sys.exit(f"transaction file {tx}, of {lines} lines")
PY
fi

# 2. A write that fails. The limit is in blocks of 1,024 bytes.
mv demo_transactions.csv transactions.csv
rm -f out/.Job*
set +e
bash -c 'ulimit -f 8; exec "$0" --quiet run.csv' "$korava" >stdout 2>stderr
code=$?
set -e
[[ $code == 2 ]] || fail "failed write: exit code $code, expected 2; $(cat stderr)"
grep -q "Output File ./out/41.html could not be written completely (File too large)" stderr ||
  fail "stderr: $(cat stderr)"
grep -q "Output File ./out/41.html could not be written completely" out/.Job.csv ||
  fail "the job log does not name the chart"
[[ -f out/15.csv && ! -e out/41.html ]] || fail "reports: $(ls -a out)"
[[ -z $(find out -name '.korava-*') ]] || fail "temporary files left: $(ls -a out)"
tail -n 1 out/15.csv | grep -q $'\r$' || fail "report 15 is not whole"
echo "interrupted and failed runs leave no incomplete report"
