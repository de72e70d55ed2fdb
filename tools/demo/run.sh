#!/usr/bin/env bash
# The demonstration that scripts/run shows, from a built MinGW tree: padwright.exe on the scripted
# stand-in joystick types into a text window from a chord, a held button repeating and a sweep
# over axis zones, each injected key printed as it happens; then a picture of the setup dialog
# (setup-dialog.png) and Exit from the tray menu. It runs on $DISPLAY when there is one, otherwise
# on a private Xvfb display, in a Wine prefix of its own that is kept for the next run.
#
#   tools/demo/run.sh BUILD_DIR [--prepare]
#
# Its files go to build/run for build/win, to BUILD_DIR/run otherwise. --prepare only makes the
# prefix (scripts/run has it made while it builds). Exits with the demonstration's status.
set -euo pipefail
# shellcheck source=tools/winekit/wine_session.sh
source "$(dirname "$0")/../winekit/wine_session.sh"
[ -d "${1:-}" ] || { echo "usage: tools/demo/run.sh BUILD_DIR [--prepare]" >&2; exit 2; }
build=$(cd "$1" && pwd)
prepare_only=0
[ "${2:-}" != "--prepare" ] || prepare_only=1
if [ "$(basename "$(dirname "$build")")" = build ]; then
    run=$(dirname "$build")/run
else
    run=$build/run
fi
mkdir -p "$run"
session_find_wine || { echo "$session_error" >&2; exit 1; }
export WINEDEBUG=-all WINEARCH=win64 WINEPREFIX="$run/prefix" HOME="$run/home"
mkdir -p "$HOME"

if [ ! -e "$WINEPREFIX/.padwright-ready" ]; then
    rm -rf "$WINEPREFIX"
    session_make_prefix "$run/wineboot.log" ||
        { echo "the Wine prefix could not be made: $session_error" >&2; exit 1; }
    touch "$WINEPREFIX/.padwright-ready"
fi
[ "$prepare_only" -eq 0 ] || exit 0

trap session_end EXIT
if [ -z "${DISPLAY:-}" ]; then
    session_start_display "$run" || { echo "$session_error" >&2; exit 1; }
    echo "no display: using a private Xvfb display $DISPLAY"
fi
mkdir -p "$run/app" "$run/demo"
cp "$build/padwright.exe" "$build/tools/winmm.dll" "$run/app/"
cp "$build/tools/padwright_demo.exe" "$build/tools/padwright_menu_reader.dll" "$run/demo/"
rm -f "$run/setup-dialog.png"
session_watch_screenshots "$run"
status=0
session_run_followed "$run/demo.log" 90 "$run/demo" padwright_demo.exe \
    --exe "$(session_winpath "$run/app/padwright.exe")" --work "$(session_winpath "$run/app")" \
    --artifacts "$(session_winpath "$run")" || status=$?
[ "$status" -ne 124 ] || echo "the demonstration did not finish within 90 s" >&2
[ "$status" -eq 0 ] || tail -n 5 "$run/demo.log.stderr" >&2
[ ! -f "$run/setup-dialog.png" ] || echo "setup dialog picture: $run/setup-dialog.png"
exit "$status"
