#!/usr/bin/env bash
# Installs what the build needs (Debian 12 packages, when missing) and builds
# KORAV into build/ (Release), with "sanitize" into build-sanitize/ (Debug
# with address and undefined-behaviour sanitizers), or with "tsan" the unit
# tests alone into build-tsan/ (optimised, with the thread sanitizer).
#
#   scripts/setup.sh [release|sanitize|tsan]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
variant=${1:-release}
# libssl-dev gives the SHA-256 of the run manifest, nlohmann-json3-dev its
# JSON; qt6-base-dev brings the windows; fonts-dejavu-core gives them (and
# the window tests on the offscreen platform) a font to draw with.
packages=(g++ cmake ninja-build libgtest-dev libxxhash-dev libssl-dev nlohmann-json3-dev
  libbenchmark-dev qt6-base-dev fonts-dejavu-core)
# chromium draws the Cost Flow Chart's page in its test and for the README's
# picture. Where it cannot be installed the build goes on and that test says
# it was skipped. locales gives the test that numbers keep their "." under a
# window's locale a locale with a decimal comma to try; without it that test
# is skipped.
optional=(chromium locales)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

# Installs the packages given, as root or through sudo; returns non-zero when
# neither is possible or apt-get fails.
install() {
  local runner=()
  if [[ $(id -u) -ne 0 ]]; then
    command -v sudo >/dev/null || return 1
    runner=(sudo)
  fi
  "${runner[@]}" apt-get update -qq &&
    "${runner[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
      --no-install-recommends "$@"
}

missing=()
for package in "${packages[@]}"; do installed "$package" || missing+=("$package"); done
if ((${#missing[@]} > 0)); then
  echo "setup: installing ${missing[*]}"
  if ! install "${missing[@]}"; then
    echo "setup: please install ${missing[*]} (as root: apt-get install ${missing[*]})" >&2
    exit 1
  fi
fi
missing=()
for package in "${optional[@]}"; do installed "$package" || missing+=("$package"); done
if ((${#missing[@]} > 0)); then
  echo "setup: installing ${missing[*]}"
  install "${missing[@]}" ||
    echo "setup: could not install ${missing[*]}; the tests that need it will be skipped" >&2
fi

case "$variant" in
  release)
    cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$root/build"
    ;;
  sanitize)
    cmake -S "$root" -B "$root/build-sanitize" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
      -DKORAV_SANITIZE=ON >/dev/null
    cmake --build "$root/build-sanitize"
    ;;
  tsan)
    # The threads are the transaction reader's; its tests and the run
    # driver's are all that this build is for.
    cmake -S "$root" -B "$root/build-tsan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DKORAV_TSAN=ON -DKORAV_BENCH=OFF >/dev/null
    cmake --build "$root/build-tsan" --target korav_unit_tests
    ;;
  *)
    echo "usage: scripts/setup.sh [release|sanitize|tsan]" >&2
    exit 2
    ;;
esac
