#!/usr/bin/env bash
# A short fuzz run from the generated seeds: fuzzer SEEDS_WRITER CORPUS SECONDS
set -eu
fuzzer=$1 writer=$2 corpus=$3 seconds=$4
seeds="$corpus-seeds"
mkdir -p "$corpus" "$seeds"
"$writer" "$seeds"
"$fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=1 "$corpus" "$seeds" 2>&1 |
    grep -E "^(stat::number_of_executed_units|stat::peak_rss_mb|==.*ERROR|SUMMARY)|Done [0-9]+ runs" || true
exit "${PIPESTATUS[0]}"
