#!/usr/bin/env bash
# Builds KORAV and draws the main window after a run of the demo model and a
# Cost Pool Report from the report area into docs/korava-window.png, and the
# editor on the demo model's cost pools into docs/korave-window.png, on Qt's
# offscreen platform (no display needed); then the demo's Cost Flow Chart, as
# headless Chromium shows it, into docs/cost-flow-chart.png, and the
# comparison of the demo with its what-if into docs/compare-page.png. The
# runs write into examples/demo/ as scripts/demo.sh does.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" release
cd "$root"
QT_QPA_PLATFORM=offscreen build/bin/korava-window-screenshot examples/demo/run.csv \
  docs/korava-window.png
echo "Wrote docs/korava-window.png"
QT_QPA_PLATFORM=offscreen build/bin/korave-window-screenshot examples/demo/run.csv \
  build/bin/KORAVEParms.csv docs/korave-window.png
echo "Wrote docs/korave-window.png"
scripts/chart_picture.sh examples/demo/out/41.html docs/cost-flow-chart.png
echo "Wrote docs/cost-flow-chart.png"
build/bin/korava --quiet examples/demo/whatif.csv
build/bin/korava --compare examples/demo/out examples/demo/out-whatif
scripts/chart_picture.sh examples/demo/compare/compare.html docs/compare-page.png 1000,1120
echo "Wrote docs/compare-page.png"
