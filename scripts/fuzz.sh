#!/usr/bin/env bash
# Runs every libFuzzer target of the native build (build/native/bin/*_fuzz),
# as many at once as there are cores.
# Usage: scripts/fuzz.sh --budget SECONDS   about that long in all: each target
#                                           gets an equal share, at least
#                                           FUZZ_FLOOR seconds (default 15)
#        scripts/fuzz.sh SECONDS            that long for each target
#                                           (longer runs: scripts/fuzz.sh 3600)
# Findings are kept as build/native/fuzz-<name>-crash-*; each target's corpus
# grows in build/native/fuzz-corpus/<name>, seeded from fuzz/corpus/<name>.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
native="$root/build/native"
floor=${FUZZ_FLOOR:-15}
budget=""
per_target=60
case "${1:-}" in
    --budget) budget=${2:?seconds}; [ "$budget" -ge 0 ] || exit 2 ;;
    "") ;;
    *) per_target=$1; [ "$per_target" -gt 0 ] || exit 2 ;;
esac

fuzzers=()
for fuzzer in "$native"/bin/*_fuzz; do
    [ -x "$fuzzer" ] && fuzzers+=("$fuzzer")
done
if [ ${#fuzzers[@]} -eq 0 ]; then
    echo "no fuzzers in $native/bin: build the native configuration with clang first" >&2
    exit 1
fi
lanes=$(nproc)
[ "$lanes" -le ${#fuzzers[@]} ] || lanes=${#fuzzers[@]}
if [ -n "$budget" ]; then
    [ "$budget" -eq 0 ] && exit 0
    # Targets run in rounds of $lanes, so each round may take the budget's share.
    rounds=$(( (${#fuzzers[@]} + lanes - 1) / lanes ))
    per_target=$(( budget / rounds ))
    [ "$per_target" -ge "$floor" ] || per_target=$floor
fi
echo "-- ${#fuzzers[@]} targets, ${per_target}s each, $lanes at a time"

run_one() {
    local fuzzer=$1 name corpus seeds=()
    name=$(basename "$fuzzer" _fuzz)
    corpus="$native/fuzz-corpus/$name"
    mkdir -p "$corpus"
    [ -d "$root/fuzz/corpus/$name" ] && seeds=("$root/fuzz/corpus/$name")
    rm -f "$native/fuzz-$name.status"
    local rc=0
    "$fuzzer" -max_total_time="$per_target" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$native/fuzz-$name-" "$corpus" "${seeds[@]}" > "$native/fuzz-$name.log" 2>&1 || rc=$?
    echo "$rc" > "$native/fuzz-$name.status"
}

start=$SECONDS
for fuzzer in "${fuzzers[@]}"; do
    while [ "$(jobs -rp | wc -l)" -ge "$lanes" ]; do wait -n || true; done
    run_one "$fuzzer" &
done
wait

status=0
for fuzzer in "${fuzzers[@]}"; do
    name=$(basename "$fuzzer" _fuzz)
    if [ "$(cat "$native/fuzz-$name.status" 2>/dev/null)" = 0 ]; then
        echo "$name: $(grep -E 'stat::number_of_executed_units' "$native/fuzz-$name.log" | awk '{ print $2 }') runs, no finding"
    else
        echo "fuzzer $name found a problem (log: $native/fuzz-$name.log):"
        tail -n 60 "$native/fuzz-$name.log"
        status=1
    fi
done
echo "-- fuzzing took $((SECONDS - start))s"
exit $status
