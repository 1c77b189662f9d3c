#!/usr/bin/env bash
# Sets up, builds and runs every test: the unit and end-to-end tests in a
# Release build, then again in a Debug build with address and
# undefined-behaviour sanitizers; last, the tests of the transaction reader
# and the run driver, whose two threads share the engine, under the thread
# sanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)

"$root/scripts/setup.sh" release
ctest --test-dir "$root/build" --output-on-failure -j "$jobs"

"$root/scripts/setup.sh" sanitize
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir "$root/build-sanitize" --output-on-failure -j "$jobs"

"$root/scripts/setup.sh" tsan
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir "$root/build-tsan" --output-on-failure -j "$jobs" \
  -R 'Transaction|RepeatedCodes|VolumeTest|RunDriver|SplitPlainLine'
echo "All tests passed (Release, sanitized Debug and the thread sanitizer)."
