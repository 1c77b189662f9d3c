#!/usr/bin/env bash
# Draws a page that korava wrote (a Cost Flow Chart) into a PNG with headless
# Chromium, as a browser shows it. The window is the chart's own size with
# room for the heading and the legend, unless a size is given as WIDTH,HEIGHT.
# Fails when the page writes anything to the browser's console; exits 77 when
# no Chromium is installed (scripts/setup.sh installs Debian's chromium).
#
#   scripts/chart_picture.sh PAGE PNG [WIDTH,HEIGHT]
set -euo pipefail
page=$(realpath "$1")
png=$(realpath -m "$2")
size=${3:-}
browser=$(command -v chromium || command -v chromium-browser || true)
if [[ -z $browser ]]; then
  echo "chart_picture: no Chromium to draw with; install Debian's chromium package" >&2
  exit 77
fi
if [[ -z $size ]]; then
  read -r width height < <(sed -n 's/^<svg width="\([0-9]*\)[0-9.]*" height="\([0-9]*\)[0-9.]*".*/\1 \2/p' \
    "$page" | head -1)
  size="$((${width:-800} + 40)),$((${height:-400} + 160))"
fi
profile=$(mktemp -d)
log=$(mktemp)
trap 'rm -rf "$profile" "$log"' EXIT
# A fresh profile, and nothing that reaches out: the page needs no network.
if ! timeout 120 "$browser" --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
  --disable-background-networking --disable-component-update --disable-sync \
  --user-data-dir="$profile" --hide-scrollbars --force-device-scale-factor=1 \
  --enable-logging=stderr --v=0 --window-size="$size" --screenshot="$png" "$page" \
  >/dev/null 2>"$log"; then
  cat "$log" >&2
  echo "chart_picture: Chromium failed on $page" >&2
  exit 1
fi
if grep -F ':CONSOLE' "$log" >&2; then
  echo "chart_picture: the page wrote to the browser's console" >&2
  exit 1
fi
[[ -s $png ]] || {
  echo "chart_picture: Chromium wrote no picture" >&2
  exit 1
}
