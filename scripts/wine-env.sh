# Sourced by the scripts: a Wine prefix of the build with the graphics driver
# "null" (real windows without a display) and a persistent wineserver.
# Usage: . scripts/wine-env.sh <build-dir>
_vantrel_build=${1:?build directory}
export WINEPREFIX="$(cd "$_vantrel_build" && pwd)/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES='mscoree,mshtml='
export WINEARCH=win64
if [ ! -f "$WINEPREFIX/.vantrel-ready" ]; then
    echo "-- creating the Wine prefix $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1 ||
        { echo "wine-env: cannot set the null graphics driver in $WINEPREFIX" >&2; return 1 2>/dev/null || exit 1; }
    # Fixed locale and code page for the tests: nothing may depend on the machine.
    wine reg add 'HKCU\Control Panel\International' /v Locale /d 00000409 /f >/dev/null 2>&1 ||
        { echo "wine-env: cannot set the locale in $WINEPREFIX" >&2; return 1 2>/dev/null || exit 1; }
    wineserver -w
    touch "$WINEPREFIX/.vantrel-ready"
fi
export LANG=C.UTF-8 LC_ALL=C.UTF-8
# Kept alive between test programs, and gone a minute after the last one. A
# server that already runs for this prefix is fine.
wineserver -p 60 >/dev/null 2>&1 || true
# The first program of a session is slow while Wine settles; take that here.
wine cmd /c exit >/dev/null 2>&1 || true
