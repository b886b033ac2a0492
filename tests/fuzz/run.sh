#!/usr/bin/env bash
# Runs the frame reader's fuzz target for SECONDS from a fresh seed corpus;
# fails on any finding.
set -euo pipefail
fuzzer=$1 seconds=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bash "$(dirname "$0")/mkseeds.sh" "$work/seeds"
mkdir "$work/corpus"
# Frames of up to 2 GiB each are legitimate; their blocks are only touched
# where rows land, so the address-space limit, not the malloc limit, counts.
"$fuzzer" -max_total_time="$seconds" -malloc_limit_mb=65536 -rss_limit_mb=4096 \
    -print_final_stats=1 -artifact_prefix="$work/" "$work/corpus" "$work/seeds" 2>"$work/log" || {
    tail -60 "$work/log"
    exit 1
}
grep -E 'stat::number_of_executed_units|stat::new_units_added|cov:' "$work/log" | tail -3
