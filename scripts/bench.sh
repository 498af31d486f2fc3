#!/usr/bin/env bash
# Builds the benchmarks and runs them:
#   native: Google Benchmark programs of the platform-free code, built with
#           clang and without sanitizers in build/bench (xml_bench compares
#           our XML with pugixml);
#   wine:   the list-view timing harness, in build/windows.
# Installs what is missing first (Debian 12; as root or with sudo).
# Usage: scripts/bench.sh [--build-only] [arguments for the native programs,
#        e.g. --benchmark_filter=Parse --benchmark_repetitions=5]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bench="$root/build/bench"
windows="$root/build/windows"
build_only=0
if [ "${1:-}" = "--build-only" ]; then build_only=1; shift; fi

. "$root/scripts/packages.sh"
vantrel_install_packages windows native bench

echo "== native benchmarks (clang, no sanitizers)"
cmake -S "$root" -B "$bench" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DVANTREL_SANITIZE=OFF -DVANTREL_BENCHMARKS=ON >/dev/null
cmake --build "$bench" --target benchmarks

echo "== list-view harness (MinGW-w64, Wine)"
cmake -S "$root" -B "$windows" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DVANTREL_BENCHMARKS=ON >/dev/null
cmake --build "$windows" --target benchmarks

[ "$build_only" -eq 1 ] && exit 0
for program in "$bench"/bin/*_bench; do
    echo "== $(basename "$program")"
    "$program" "$@"
done
for program in listview_bench services_bench taskmanager_bench picker_bench console_paint_bench eventviewer_bench inventory_bench shares_bench eventviewer_save_bench registry_bench registry_transfer_bench; do
    echo "== $program (Wine)"
    (cd "$windows/bin" && "$windows/wine-run" ./$program.exe)
done
