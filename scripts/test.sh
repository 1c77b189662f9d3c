#!/usr/bin/env bash
# Sets up, builds and runs every test: the unit and end-to-end tests in a
# Release build, then again in a Debug build with address and
# undefined-behaviour sanitizers.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)

"$root/scripts/setup.sh" release
ctest --test-dir "$root/build" --output-on-failure -j "$jobs"

"$root/scripts/setup.sh" sanitize
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir "$root/build-sanitize" --output-on-failure -j "$jobs"
echo "All tests passed (Release and sanitized Debug)."
