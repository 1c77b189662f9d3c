#!/usr/bin/env bash
# Renders a page of the demo model in headless Chromium: the Cost Flow Chart
# of a run, or with "compare" the comparison of the demo's run with its
# what-if (korava --compare). The page must refer to nothing outside itself,
# load without a message on the browser's console, and give a real picture:
# the window's size, many colours, and no colour (the white page) covering
# nearly all of it: 85 % of the chart, 95 % of the comparison, a page of text
# and tables around its charts. Skipped (exit 77) with a message where no Chromium is
# installed.
#
#   chart_in_browser.sh KORAVA IMAGE_FACTS DEMO_DIR CHART_PICTURE [compare]
set -euo pipefail
korava=$(realpath "$1")
facts=$(realpath "$2")
picture=$(realpath "$4")
if ! command -v chromium >/dev/null && ! command -v chromium-browser >/dev/null; then
  echo "SKIPPED: no Chromium installed to draw the chart; scripts/setup.sh installs Debian's" \
    "chromium package (apt-get install chromium)"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$3"/. "$work"/
rm -rf "$work/out" "$work/out-whatif" && mkdir "$work/out" "$work/out-whatif"
if [[ ${5:-} == compare ]]; then
  "$korava" "$work/run.csv" 2>/dev/null
  "$korava" "$work/whatif.csv" 2>/dev/null
  "$korava" --compare "$work/out" "$work/out-whatif" 2>/dev/null
  page="$work/compare/compare.html"
  most_white=95
else
  printf 'REP,41,chart\r\n' >"$work/REP.csv"
  "$korava" "$work/run.csv" 2>/dev/null
  page="$work/out/chart.html"
  most_white=85
fi
if grep -Eio 'src=|href=|https?:|@import|<script|<link|url\([^#]' "$page"; then
  echo "the page refers to something outside itself"
  exit 1
fi
"$picture" "$page" "$work/chart.png" 1000,700
read -r width height colours commonest < <("$facts" "$work/chart.png")
echo "picture ${width}x${height}, $colours colours, commonest $commonest %"
[[ $width == 1000 && $height == 700 ]] || { echo "expected 1000x700"; exit 1; }
((colours >= 20)) || { echo "too few colours for a drawn chart"; exit 1; }
((commonest <= most_white)) || { echo "nearly blank"; exit 1; }
