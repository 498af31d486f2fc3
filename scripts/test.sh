#!/usr/bin/env bash
# Installs what is missing (Debian 12; as root or with sudo), builds both
# configurations and runs every test:
#   native:  the platform-free code under AddressSanitizer and UBSan (clang),
#            then its fuzzers for a budget of time;
#   windows: the module, the platform-free suite again and the module's tests
#            under Wine (build/windows/wine-run brings the prefix).
# Usage: scripts/test.sh [--fuzz-budget SECONDS] [--fuzz-seconds SECONDS-PER-TARGET]
#   --fuzz-budget: fuzzing in all, shared by the targets (default $FUZZ_BUDGET
#   or 180; 0 skips fuzzing); --fuzz-seconds: that long for each target instead.
# Benchmarks are not built here: scripts/bench.sh.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
fuzz=(--budget "${FUZZ_BUDGET:-180}")
while [ $# -gt 0 ]; do
    case "$1" in
        --fuzz-budget) fuzz=(--budget "${2:?seconds}"); shift 2 ;;
        --fuzz-seconds) fuzz=("${2:?seconds}"); [ "$2" -gt 0 ] || fuzz=(--budget 0); shift 2 ;;
        *) echo "usage: $0 [--fuzz-budget SECONDS] [--fuzz-seconds SECONDS-PER-TARGET]" >&2; exit 2 ;;
    esac
done
native="$root/build/native"
windows="$root/build/windows"
jobs=$(nproc)

. "$root/scripts/packages.sh"
vantrel_install_packages windows native

echo "== native build (clang, ASan + UBSan)"
cmake -S "$root" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DVANTREL_BENCHMARKS=OFF >/dev/null
cmake --build "$native" -j "$jobs"

echo "== windows build (MinGW-w64)"
cmake -S "$root" -B "$windows" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DVANTREL_BENCHMARKS=OFF >/dev/null
cmake --build "$windows" -j "$jobs"

# The tests leave Wine's server running for a minute; end it with the run.
trap '"$windows/wine-run" --kill' EXIT

status=0
echo "== native tests"
(cd "$native" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --output-on-failure -j "$jobs") || status=1
echo "== windows tests under Wine"
# The prefix is made here, outside the time limits of test discovery.
"$windows/wine-run" cmd /c exit >/dev/null || status=1
(cd "$windows" && ctest --output-on-failure -j "$jobs" --timeout 120) || status=1

if [ "${fuzz[*]}" != "--budget 0" ]; then
    echo "== fuzzing"
    "$root/scripts/fuzz.sh" "${fuzz[@]}" || status=1
fi
exit $status
