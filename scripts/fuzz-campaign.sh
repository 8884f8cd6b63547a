#!/usr/bin/env bash
# A long fuzz campaign in the background: one process at the lowest priority, rotating
# through the targets of the sanitizer build, each resuming from the corpus it has grown.
#
#   scripts/fuzz-campaign.sh [SLICE_SECONDS] [TARGET...]
#
# Each target runs SLICE_SECONDS (default 300) at a time, one after the other, round after
# round, until the campaign is stopped (kill it; a slice cut short still counts up to its
# last report). Corpora live in build/fuzz-campaign/<target>/corpus and persist between
# rounds and campaigns; findings are saved there as crash-*, leak-*, timeout-*, oom-*.
# Every slice appends one line to build/fuzz-campaign/slices.tsv:
#   target  seconds  executions  edges  corpus-files  findings  cpu-seconds
# At the lowest priority a slice gets little of the processor while builds run, so the
# fuzzer's own processor time (user and system) is what counts as time fuzzed.
# scripts/fuzz-campaign-table.sh adds the lines up per target.
# Build first: cmake --preset sanitize && cmake --build --preset sanitize
set -uo pipefail
cd "$(dirname "$0")/.."

slice=300
if [[ "${1:-}" =~ ^[0-9]+$ ]]; then slice=$1; shift; fi
source scripts/fuzz-common.sh
fuzz_targets "$@"

bin=build/sanitize/fuzz
home=build/fuzz-campaign
mkdir -p "$home"

run_slice() {
  local target=$1 work="$home/$1"
  mkdir -p "$work/corpus"
  local inputs
  fuzz_inputs "$target"
  local start=$SECONDS
  /usr/bin/time -f '%U %S' -o "$work/cpu" nice -n 19 "$bin/${target}_fuzz" -max_total_time="$slice" -timeout=30 -rss_limit_mb=3072 \
    -print_final_stats=1 -artifact_prefix="$work/" "$work/corpus" "${inputs[@]}" >"$work/log" 2>&1
  local took=$((SECONDS - start))
  local execs edges files findings
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -1)
  [ -z "$execs" ] && execs=$(grep -o '^#[0-9]*' "$work/log" | tail -1 | tr -d '#')
  edges=$(grep -o 'cov: [0-9]*' "$work/log" | tail -1 | cut -d' ' -f2)
  files=$(find "$work/corpus" -type f | wc -l)
  local cpu
  cpu=$(awk '{ printf "%d", $1 + $2 }' "$work/cpu" 2>/dev/null || true)
  findings=$(find "$work" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$target" "$took" "${execs:-0}" "${edges:-0}" "$files" "$findings" \
    "${cpu:-0}" >>"$home/slices.tsv"
}

while true; do
  for target in "${targets[@]}"; do run_slice "$target"; done
done
