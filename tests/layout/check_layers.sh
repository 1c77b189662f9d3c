#!/usr/bin/env bash
# The engine's folders form layers: each may include only the folders listed
# before it, so that the shared state sits at the bottom and the run driver at
# the top. Prints every include that points up and fails when there is one.
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
layers=(host log model cube state loading transactions allocate reports run compare app)
declare -A rank
for i in "${!layers[@]}"; do rank[${layers[$i]}]=$i; done
status=0
for dir in "${layers[@]}"; do
  for file in "$root"/allocation/"$dir"/*.h "$root"/allocation/"$dir"/*.cc; do
    [[ -e $file ]] || continue
    while read -r target; do
      if [[ -z ${rank[$target]+set} ]]; then
        echo "${file#"$root"/}: includes allocation/$target/, which is in no layer"
        status=1
      elif ((rank[$target] > rank[$dir])); then
        echo "${file#"$root"/}: includes allocation/$target/, a layer above $dir/"
        status=1
      fi
    done < <(sed -n 's|^#include "allocation/\([a-z_]*\)/.*|\1|p' "$file")
  done
done
exit $status
