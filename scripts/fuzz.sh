#!/usr/bin/env bash
# Runs the fuzz targets of the sanitizer build (preset "sanitize": clang, ASan + UBSan).
#
#   scripts/fuzz.sh [SECONDS [RUNS]] [TARGET...]
#
# Each target runs for SECONDS (default 30) or RUNS executions (default: no limit),
# whichever ends first, two targets at a time, from its seeds (fuzz/corpus/<target>) and its
# saved findings (tests/data/fuzz/<target>). New inputs go to build/fuzz-runs/<target>/corpus,
# never into the committed seeds; an input that fails is saved as
# build/fuzz-runs/<target>/crash-* (or leak-*, timeout-*, oom-*). The last lines print each
# target's executions, coverage and findings; the status is 1 when any target found one.
# Build first: cmake --preset sanitize && cmake --build --preset sanitize
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=30
runs=-1
if [[ "${1:-}" =~ ^[0-9]+$ ]]; then seconds=$1; shift; fi
if [[ "${1:-}" =~ ^[0-9]+$ ]]; then runs=$1; shift; fi
source scripts/fuzz-common.sh
fuzz_targets "$@"

bin=build/sanitize/fuzz
runsdir=build/fuzz-runs
mkdir -p "$runsdir"

run_one() {
  local target=$1 seconds=$2 runs=$3 bin=$4 runsdir=$5
  local work="$runsdir/$target"
  rm -rf "$work" && mkdir -p "$work/corpus"
  local inputs
  fuzz_inputs "$target"
  "$bin/${target}_fuzz" -max_total_time="$seconds" -runs="$runs" -timeout=30 -rss_limit_mb=3072 \
    -print_final_stats=1 -artifact_prefix="$work/" "$work/corpus" "${inputs[@]}" >"$work/log" 2>&1 || true
}
export -f run_one fuzz_inputs

printf '%s\n' "${targets[@]}" | xargs -P 2 -I{} bash -c 'run_one "$@"' _ {} "$seconds" "$runs" "$bin" "$runsdir"

status=0
printf '%-20s %12s %10s %10s %8s  %s\n' target executions seconds edges of findings
for target in "${targets[@]}"; do
  log="$runsdir/$target/log"
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  took=$(sed -n 's/^stat::.*//; s/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -1)
  edges=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  total=$(sed -n 's/^INFO: Loaded [0-9]* modules *(\([0-9]*\) inline 8-bit counters).*/\1/p' "$log" | head -1)
  findings=$(find "$runsdir/$target" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
  if [ "$findings" -ne 0 ] || grep -q 'ERROR: \(AddressSanitizer\|LeakSanitizer\|libFuzzer\)\|runtime error:\|fuzz check failed' "$log"; then
    status=1
    [ "$findings" -eq 0 ] && findings="see log"
  fi
  printf '%-20s %12s %10s %10s %8s  %s\n' "$target" "${execs:-?}" "${took:-?}" "${edges:-?}" "${total:-?}" "$findings"
done
exit $status
