#!/usr/bin/env bash
# Installs what the build needs (Debian 12 packages, when missing) and builds
# KORAV into build/ (Release) or, with "sanitize", into build-sanitize/
# (Debug with address and undefined-behaviour sanitizers).
#
#   scripts/setup.sh [release|sanitize]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
variant=${1:-release}
# qt6-base-dev brings the windows; fonts-dejavu-core gives them (and the
# window tests on the offscreen platform) a font to draw with.
packages=(g++ cmake ninja-build libgtest-dev libbenchmark-dev qt6-base-dev fonts-dejavu-core)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
if ((${#missing[@]} > 0)); then
  echo "setup: installing ${missing[*]}"
  if [[ $(id -u) -eq 0 ]]; then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
  elif command -v sudo >/dev/null; then
    sudo apt-get update -qq
    sudo DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
  else
    echo "setup: please install ${missing[*]} (as root: apt-get install ${missing[*]})" >&2
    exit 1
  fi
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
  *)
    echo "usage: scripts/setup.sh [release|sanitize]" >&2
    exit 2
    ;;
esac
