#!/usr/bin/env bash
# Sets up, builds and runs korava on the bundled demo model; the logs and
# reports land in examples/demo/out/. Then runs the demo's what-if into
# examples/demo/out-whatif/ and compares the two runs into
# examples/demo/compare/ (compare.csv, compare-effects.csv, compare.html).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" release
demo="$root/examples/demo"
status=0
"$root/build/bin/korava" "$demo/run.csv" || status=$?
echo "Job log:"
cat "$demo/out/.Job.csv"
"$root/build/bin/korava" "$demo/whatif.csv" || status=$?
"$root/build/bin/korava" --compare "$demo/out" "$demo/out-whatif" || status=$?
exit "$status"
