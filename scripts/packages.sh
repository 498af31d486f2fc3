#!/usr/bin/env bash
# The Debian 12 packages of this project, listed once, in sets by purpose:
#   windows      the module and the console cross-built with MinGW-w64, run
#                under Wine (CMake, Ninja, GoogleTest's sources, Python for the
#                pictures, Wine and the fonts of its own windows)
#   native       the platform-free code under the sanitizers and the fuzzers (clang)
#   screenshots  the console without a display (a virtual X server, conversion to PNG)
#   bench        Google Benchmark and the XML library our parser is compared with
# scripts/test.sh installs windows + native, scripts/run.sh windows + screenshots,
# scripts/bench.sh windows + native + bench.
#
# Run:     scripts/packages.sh SET...          installs what is missing of the sets
#          scripts/packages.sh --list SET...   prints the sets' packages
# Sourced: vantrel_install_packages SET...     the same, from another script
#
# Installing needs root, or sudo for another user. When everything is present
# it only asks dpkg, once.

declare -A vantrel_package_sets=(
    [windows]="cmake ninja-build python3 googletest g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
               wine wine64 fonts-wine"
    [native]="cmake ninja-build googletest clang libclang-rt-14-dev"
    [screenshots]="xvfb xauth imagemagick x11-apps"
    [bench]="libbenchmark-dev libpugixml-dev"
)

# Prints the packages of the sets, one a line, each once.
vantrel_packages() {
    local set
    for set in "$@"; do
        if [ -z "${vantrel_package_sets[$set]+x}" ]; then
            echo "unknown package set '$set' (known: ${!vantrel_package_sets[*]})" >&2
            return 2
        fi
    done
    for set in "$@"; do
        printf '%s\n' ${vantrel_package_sets[$set]}
    done | awk '!seen[$0]++'
}

vantrel_install_packages() {
    local wanted missing
    wanted=$(vantrel_packages "$@") || return
    command -v dpkg-query >/dev/null || { echo "dpkg-query not found: this needs Debian 12" >&2; return 1; }
    # One query for all; a package that is not installed prints no "ii" line
    # (or an error, which does not matter here).
    missing=$(comm -23 <(sort <<<"$wanted") \
        <(dpkg-query -W -f='${db:Status-Abbrev} ${Package}\n' $wanted 2>/dev/null | awk '$1 == "ii" { print $2 }' | sort))
    [ -z "$missing" ] && return 0
    missing=$(echo $missing)

    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null; then
            echo "missing packages: $missing" >&2
            echo "run this as root once, or install sudo" >&2
            return 1
        fi
        sudo=(sudo)
    fi
    echo "== installing $missing"
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq || return
    # shellcheck disable=SC2086
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends $missing >/dev/null || return
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -euo pipefail
    if [ "${1:-}" = "--list" ]; then
        shift
        vantrel_packages "$@"
    elif [ $# -eq 0 ]; then
        echo "usage: $0 [--list] SET...   (sets: ${!vantrel_package_sets[*]})" >&2
        exit 2
    else
        vantrel_install_packages "$@"
    fi
fi
