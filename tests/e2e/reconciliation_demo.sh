#!/usr/bin/env bash
# Runs the demo with two more transaction lines whose codes are unknown
# (1,000.00 and 499.99) and the Reconciliation Report, first as shipped
# (OO,4,1: with errors logged the allocation is not performed) and then with
# the allocation on. The first run must say so in the reconciliation, in a
# note under the Stage and Cost Pool Reports' titles and in a banner on the
# chart; the second must reconcile. In both, what was read is what was
# accepted plus what was rejected.
#
#   reconciliation_demo.sh KORAVA DEMO_DIR
set -euo pipefail
korava=$(realpath "$1")
demo=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$demo"/. "$work"/
rm -rf "$work/out" && mkdir "$work/out"
printf '1000.00,XXX,BAKE\r\n499.99,SAL,YYY\r\n' >>"$work/transactions.csv"
printf 'REP,17\r\n' >>"$work/REP.csv"
cd "$work"

failed=0
expect() {  # expect FILE LINE: FILE holds LINE (before its CR)
  if ! tr -d '\r' <"$1" | grep -qxF -- "$2"; then
    echo "$1 lacks: $2"
    failed=1
  fi
}
transactions() {
  expect out/17.csv "TX,Read,15,84249.99"
  expect out/17.csv "TX,Accepted,13,82750.00"
  expect out/17.csv "TX,Rejected e204,2,1499.99"
}

status=0
"$korava" run.csv 2>/dev/null || status=$?
[[ $status == 4 ]] || { echo "first run: exit $status, expected 4"; failed=1; }
transactions
reason="Requested Run Allocation if no errors; there are errors"
expect out/17.csv "Status,Allocation not performed,$reason"
expect out/12.csv "Note,Allocation not performed: $reason"
expect out/15.csv "Note,Allocation not performed: $reason"
grep -qF "<p class=\"banner\" role=\"alert\">Allocation not performed: $reason</p>" out/41.html ||
  { echo "41.html lacks the banner"; failed=1; }
expect out/.Job.csv "         Reconciliation; Status=Allocation not performed; $reason "

sed -i '/^OO,4/d' OO.csv
status=0
"$korava" run.csv 2>/dev/null || status=$?
[[ $status == 4 ]] || { echo "second run: exit $status, expected 4"; failed=1; }
transactions
expect out/17.csv "Status,Reconciled"
expect out/.Job.csv "         Reconciliation; Status=Reconciled "
if tr -d '\r' <out/12.csv | grep -q '^Note,'; then echo "12.csv has a note"; failed=1; fi
if grep -qF 'class="banner"' out/41.html; then echo "41.html has a banner"; failed=1; fi
exit "$failed"
