#!/usr/bin/env bash
# Builds the fuzz targets (clang's libFuzzer with address and undefined-
# behaviour sanitizers) into build-fuzz/ and runs each for SECONDS (default
# 60), one after the other at the lowest priority. Each target starts from its
# seeds (the models under tests/models/ and examples/), its regression inputs
# (fuzz/regressions/) and the corpus that earlier runs on this machine grew
# (build-fuzz/corpus/). Prints the executions and findings of every target and
# exits 1 when any target found something; the failing inputs are in
# build-fuzz/findings/<target>/. See fuzz/README.md.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
build=$root/build-fuzz
all_targets=(splitters model_file transaction_file run_file editor_parameters editor_data compare_runs)
targets=("$@")
if (($# == 0)); then targets=("${all_targets[@]}"); fi

packages=(clang libclang-rt-14-dev g++ cmake ninja-build libxxhash-dev libssl-dev nlohmann-json3-dev)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
if ((${#missing[@]} > 0)); then
  echo "fuzz: installing ${missing[*]}"
  if [[ $(id -u) -eq 0 ]]; then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
  else
    echo "fuzz: please install ${missing[*]} (as root: apt-get install ${missing[*]})" >&2
    exit 2
  fi
fi

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DKORAV_FUZZ=ON -DKORAV_TESTS=OFF \
  -DKORAV_BENCH=OFF -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS_DEBUG="-O2 -g" >/dev/null
cmake --build "$build" --target korav_fuzzers
"$root/fuzz/make_seeds.sh" "$build/seeds"

status=0
passed=0
failed=0
summary=()
for target in "${targets[@]}"; do
  corpus=$build/corpus/$target
  findings=$build/findings/$target
  work=$build/work/$target
  log=$build/logs/$target.log
  mkdir -p "$corpus" "$findings" "$work" "$(dirname "$log")"
  inputs=("$corpus" "$build/seeds/$target")
  [[ -d $root/fuzz/regressions/$target ]] && inputs+=("$root/fuzz/regressions/$target")
  echo "fuzz: $target for $seconds s"
  # The working folder is the target's own, so nothing lands in the tree.
  if (cd "$work" && nice -n 19 "$build/bin/fuzz_$target" -max_total_time="$seconds" -timeout=25 \
    -rss_limit_mb=2048 -dict="$root/fuzz/korav.dict" -print_final_stats=1 -artifact_prefix="$findings/" \
    "${inputs[@]}") >"$log" 2>&1; then
    result="no findings"
    passed=$((passed + 1))
  else
    result="FINDING: $(grep -m1 -o "Test unit written to .*" "$log" || echo "see $log")"
    status=1
    failed=$((failed + 1))
    tail -n 60 "$log" >&2
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)
  summary+=("$(printf '%-18s %10s executions  %5s corpus inputs  %s' "$target" "${runs:-?}" \
    "$(find "$corpus" -type f | wc -l)" "$result")")
done
printf '%s\n' "fuzz: ${seconds} s per target" "${summary[@]}" "fuzz: $passed passed, $failed failed"
exit $status
