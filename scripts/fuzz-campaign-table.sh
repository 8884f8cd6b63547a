#!/usr/bin/env bash
# Adds up the slices of the fuzz campaign (scripts/fuzz-campaign.sh) per target: the fuzzers'
# processor time (for slices recorded before it was measured, their time on the clock),
# executions, the highest coverage reached, the corpus now
# and the findings.
#
#   scripts/fuzz-campaign-table.sh [SLICES_FILE]
set -euo pipefail
cd "$(dirname "$0")/.."
slices="${1:-build/fuzz-campaign/slices.tsv}"
awk -F'\t' '
  { secs[$1] += (NF >= 7) ? $7 : $2; execs[$1] += $3; if ($4 > edges[$1]) edges[$1] = $4; files[$1] = $5;
    if ($6 > found[$1]) found[$1] = $6; if (!($1 in order)) { order[$1] = n++; names[n - 1] = $1 } }
  END {
    printf "| target | processor hours | executions | edges | corpus files | findings |\n|---|---:|---:|---:|---:|---:|\n"
    for (i = 0; i < n; i++) { t = names[i]
      printf "| %s | %.2f | %d | %d | %d | %d |\n", t, secs[t] / 3600, execs[t], edges[t], files[t], found[t] }
  }' "$slices"
