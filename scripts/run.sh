#!/usr/bin/env bash
# Builds the console and runs it against the simulated managed machine:
#   with $DISPLAY: in a window;
#   without:       under a virtual X server, saving a picture of every tool
#                  into build/screenshots.
# Installs what is missing first (Debian 12; as root or with sudo).
# Usage: scripts/run.sh [console options, e.g. --platform device --latency 200]
# VANTREL_BUILD_DIR and VANTREL_SCREENSHOTS_DIR move the build and the pictures.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${VANTREL_BUILD_DIR:-$root/build/windows}"
shots="${VANTREL_SCREENSHOTS_DIR:-$root/build/screenshots}"
build_console() {
    echo "== windows build (MinGW-w64)"
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
          -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
    cmake --build "$build" --target console -j "$(nproc)"
}

# A prefix of its own with Wine's X11 driver (the tests' prefix draws nowhere),
# and the fonts of Wine's own window frames.
prepare_x11_prefix() {
    export WINEPREFIX="$build/wineprefix-x11" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
    export LANG=C.UTF-8 LC_ALL=C.UTF-8
    [ -f "$WINEPREFIX/.vantrel-ready" ] && return
    echo "-- creating the Wine prefix $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    "$@" sh -c 'wineboot -i >/dev/null 2>&1; wineserver -w' || true
    for font in marlett.ttf tahoma.ttf tahomabd.ttf; do
        [ -f "/usr/share/wine/fonts/$font" ] && cp "/usr/share/wine/fonts/$font" "$WINEPREFIX/drive_c/windows/Fonts/"
    done
    touch "$WINEPREFIX/.vantrel-ready"
}

run_in_window() {
    prepare_x11_prefix
    echo "== running the console (close its window to end)"
    # From its own folder: the module looks for language libraries below the
    # current one, and a build folder holds the tests' libraries.
    (cd "$build/bin" && wine ./console.exe "$@")
    wineserver -w
}

run_for_screenshots() {
    local xvfb=(xvfb-run -a -s '-screen 0 1280x800x24')
    prepare_x11_prefix "${xvfb[@]}"
    # Only the pictures of an earlier walk go: the folder may be the user's.
    mkdir -p "$shots"
    rm -f "$shots"/[0-9][0-9]-*.bmp "$shots"/[0-9][0-9]-*.png "$shots/screenshots.txt"
    shots="$(cd "$shots" && pwd)"
    echo "== taking screenshots under Xvfb"
    # Wine's virtual desktop gives the frame its title bar; there is no window manager.
    # A settings file of the walk's own: the pictures do not depend on what the
    # user last left, and the user's file is not touched.
    local settings="$shots/.walk-settings.txt"
    rm -f "$settings"
    "${xvfb[@]}" sh -c 'cd "$(dirname "$0")" && timeout 600 wine explorer /desktop=vantrel,1280x800 "$0" "$@";
                        timeout 30 wineserver -w || wineserver -k' \
        "$build/bin/console.exe" "$@" --settings "Z:${settings//\//\\}" --screenshots "Z:${shots//\//\\}" || true
    rm -f "$settings"
    local taken=0
    for picture in "$shots"/*.bmp; do
        [ -e "$picture" ] || continue
        convert "$picture" "${picture%.bmp}.png" && rm "$picture"
        taken=$((taken + 1))
    done
    [ -f "$shots/screenshots.txt" ] && cat "$shots/screenshots.txt"
    if [ "$taken" -eq 0 ] || grep -q -E "still busy|not saved" "$shots/screenshots.txt" 2>/dev/null; then
        echo "some screenshots are missing or were taken while busy" >&2
        echo "Screenshots: $shots"
        exit 1
    fi
    echo "Screenshots: $shots"
}

. "$root/scripts/packages.sh"
vantrel_install_packages windows screenshots
build_console
if [ -n "${DISPLAY:-}" ]; then
    run_in_window "$@"
else
    run_for_screenshots "$@"
fi
