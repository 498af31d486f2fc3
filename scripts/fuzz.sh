#!/usr/bin/env bash
# Runs every libFuzzer target of the native build for a bounded time.
# Usage: scripts/fuzz.sh [seconds-per-target]   (longer runs: scripts/fuzz.sh 3600)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds=${1:-60}
native="$root/build/native"
status=0
for fuzzer in "$native"/bin/*_fuzz; do
    [ -x "$fuzzer" ] || continue
    name=$(basename "$fuzzer" _fuzz)
    corpus="$native/fuzz-corpus/$name"
    mkdir -p "$corpus"
    seeds="$root/fuzz/corpus/$name"
    [ -d "$seeds" ] || seeds=""
    echo "-- $name: ${seconds}s"
    if ! "$fuzzer" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
            -artifact_prefix="$native/fuzz-$name-" \
            "$corpus" $seeds > "$native/fuzz-$name.log" 2>&1; then
        echo "fuzzer $name found a problem:"; tail -n 60 "$native/fuzz-$name.log"; status=1
    else
        grep -E 'stat::number_of_executed_units' "$native/fuzz-$name.log" || true
    fi
done
exit $status
