#!/usr/bin/env bash
# Sets up, builds and runs korava on the bundled demo model; the logs and
# reports land in examples/demo/out/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" release
status=0
"$root/build/bin/korava" "$root/examples/demo/run.csv" || status=$?
echo "Job log:"
cat "$root/examples/demo/out/.Job.csv"
exit "$status"
