#!/usr/bin/env bash
# Builds both configurations and runs every test:
#   native: the platform-free code under AddressSanitizer and UBSan (clang),
#   windows: the module, the platform-free suite again and the module's tests under Wine.
# Usage: scripts/test.sh [--fuzz-seconds N]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
fuzz_seconds=${FUZZ_SECONDS:-60}
if [ "${1:-}" = "--fuzz-seconds" ]; then fuzz_seconds=$2; fi
native="$root/build/native"
windows="$root/build/windows"
jobs=$(nproc)

echo "== native build (clang, ASan + UBSan)"
cmake -S "$root" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$native" -j "$jobs"

echo "== windows build (MinGW-w64)"
cmake -S "$root" -B "$windows" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$windows" -j "$jobs"

. "$root/scripts/wine-env.sh" "$windows"
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT

status=0
echo "== native tests"
(cd "$native" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --output-on-failure -j "$jobs") || status=1
echo "== windows tests under Wine"
(cd "$windows" && ctest --output-on-failure -j "$jobs" --timeout 120) || status=1

if [ "$fuzz_seconds" -gt 0 ]; then
    echo "== fuzzing, ${fuzz_seconds}s per target"
    "$root/scripts/fuzz.sh" "$fuzz_seconds" || status=1
fi
exit $status
