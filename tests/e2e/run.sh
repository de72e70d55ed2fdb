#!/usr/bin/env bash
# Runs the end-to-end cases: padwright_e2e.exe drives padwright.exe on the scripted joystick in a
# fresh Wine prefix on a private X display; builds nothing; screenshots go to artifacts/ beside
# BUILD_DIR. PADWRIGHT_SOAK_SECONDS sets the random run's length. Ends with "N passed, N failed".
#   tests/e2e/run.sh BUILD_DIR [--case NAME]... [--match TEXT] [--verbose]
# ctest keeps one session over several runs: `run.sh BUILD_DIR --session DIR --start`, then
# `run.sh --session DIR [--case NAME]...`, and `run.sh --session DIR --end`.
set -uo pipefail
# shellcheck source=tools/winekit/wine_session.sh
source "$(dirname "$0")/../../tools/winekit/wine_session.sh"
build="" session="" step="" args=()
while [ $# -gt 0 ]; do
    case "$1" in
        --case | --match) args+=("$1" "${2:-}") && shift ;;
        --verbose) args+=("$1") ;;
        --session) session=$(mkdir -p "$2" && cd "$2" && pwd) && shift ;;
        --start | --end) step=${1#--} ;;
        *) build=$(cd "$1" && pwd) || exit 2 ;;
    esac
    shift
done
broken() { echo "FAIL  e2e run: $*"; echo "0 passed, 1 failed"; exit 1; }
session_find_wine || broken "$session_error"

prepare() { # the built files and a session in directory $1
    mkdir -p "$1/app" "$1/driver"
    cp "$build"/{padwright.exe,tools/winmm.dll} "$1/app/" && cp "$build"/{tests/e2e/padwright_e2e.exe,tools/padwright_menu_reader.dll,tools/padwright_receiver.exe} "$1/driver/" ||
        broken "build the win tree first"
    session_begin "$1" "$build/../artifacts" || broken "$session_error"
}

run_cases() { # the selected cases in the session of directory $1
    session_resume "$1" || broken "$session_error"
    local cases start=$SECONDS
    cases=$(mktemp -d "$1/cases.XXXXXX")
    session_run_followed "$1/driver.log" $((600 + ${PADWRIGHT_SOAK_SECONDS:-20})) "$1/driver" \
        padwright_e2e.exe --exe "$(session_winpath "$1/app/padwright.exe")" --work \
        "$(session_winpath "$cases")" --artifacts "$(session_winpath "$session_pictures")" "${args[@]}"
    grep -q '^summary: ' "$1/driver.log" || broken "no summary: $(tail -n 5 "$1/driver.log.stderr")"
    echo "cases ran in $((SECONDS - start)) s"
    echo "$(grep -c '^PASS ' "$1/driver.log") passed, $(grep -c '^FAIL ' "$1/driver.log") failed"
    ! grep -q '^FAIL ' "$1/driver.log"
}

if [ "$step" = end ]; then
    session_resume "$session" && session_end
    rm -rf "$session"
elif [ "$step" = start ]; then
    (session_resume "$session" 2>/dev/null && session_end) # an earlier one left running
    rm -rf "${session:?}"/* && trap session_end EXIT && prepare "$session" && trap - EXIT
    timeout 20 "$wineserver" -p </dev/null >/dev/null 2>&1 # the server stays up between runs
elif [ -n "$session" ]; then
    run_cases "$session"
else
    tmp=$(mktemp -d "${TMPDIR:-/tmp}/padwright-e2e.XXXXXX")
    trap 'session_end; rm -rf "$tmp"' EXIT
    prepare "$tmp" && run_cases "$tmp"
fi
