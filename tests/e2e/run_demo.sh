#!/usr/bin/env bash
# Runs korava on a copy of the demo model and checks that it runs without
# errors and that the products receive the costs worked out by hand:
# personnel 68,750.00 split 12:4 by headcount, premises 14,000.00 split
# 300:100 by floor space, then baking 62,062.50 by oven hours 430:175 and
# packing 20,687.50 by packed units 36,400:8,800. Of bread's cost, personnel
# and premises each send the share 3/4 x 430/605 + 1/4 x 36,400/45,200, which
# the final contribution report shows: 50,488.99 of 68,750.00 and 10,281.39
# of 14,000.00. The chart is headed by the run's label, option 12.
#
#   run_demo.sh KORAVA DEMO_DIR
set -euo pipefail
korava=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$2"/. "$work"/
rm -rf "$work/out" && mkdir "$work/out"
"$korava" "$work/run.csv" 2>/dev/null
trace=$(tr -d '\r' <"$work/out/.JobandTrace.csv")
for expected in "CP=A.BAKE (62062.50)" "CP=A.PACK (20687.50)" "CP=P.BREAD (60770.38)" \
  "CP=P.CAKE (21979.62)"; do
  grep -qF "CP Resolved Cost    $expected" <<<"$trace" || { echo "missing: $expected"; exit 1; }
done
contributions=$(tr -d '\r' <"$work/out/22.csv")
for expected in ',    R.PERS,"Personnel costs",,50488.99,0.83,68750.00,0.73' \
  ',    R.PREM,"Premises costs",,10281.39,0.17,14000.00,0.73'; do
  grep -qxF "$expected" <<<"$contributions" || { echo "missing in 22.csv: $expected"; exit 1; }
done
grep -qF '<h1>Cost Flow Chart &#8211; 2026-11 Actual</h1>' "$work/out/41.html" ||
  { echo "41.html is not headed by the run label 2026-11 Actual"; exit 1; }
