#!/usr/bin/env bash
# Runs the end-to-end cases: padwright.exe on the scripted joystick under Wine, driven by
# padwright_e2e.exe, in a fresh Wine prefix on a private X display. Builds nothing.
#
#   tests/e2e/run.sh BUILD_DIR [--case NAME]... [--match TEXT] [--display :N] [--artifacts DIR]
#                    [--soak-seconds S] [--keep] [--verbose]
#
# Screenshots go to build/artifacts for build/win (else BUILD_DIR/artifacts). The random run
# lasts PADWRIGHT_SOAK_SECONDS (default 20; PADWRIGHT_SOAK_SEED repeats one). Prints one line per
# case and ends with "N passed, N failed"; a run that breaks counts as one failure.
#
# ctest runs each case in one session that lasts over several runs:
#   tests/e2e/run.sh BUILD_DIR --session DIR --start   prefix, display and files made in DIR
#   tests/e2e/run.sh --session DIR [--case NAME]...    a run in that session
#   tests/e2e/run.sh --session DIR --end               ends it and removes DIR
set -uo pipefail
# shellcheck source=tools/winekit/wine_session.sh
source "$(dirname "$0")/../../tools/winekit/wine_session.sh"

build="" display="" artifacts="" session="" step="" keep=0
args=()
while [ $# -gt 0 ]; do
    case "$1" in
        --case|--match) args+=("$1" "${2:-}"); shift 2 ;;
        --verbose) args+=("$1"); shift ;;
        --display) display=${2:-}; shift 2 ;;
        --artifacts) artifacts=${2:-}; shift 2 ;;
        --soak-seconds) export PADWRIGHT_SOAK_SECONDS=${2:-}; shift 2 ;;
        --keep) keep=1; shift ;;
        --session) session=$(mkdir -p "${2:-.}" && cd "${2:-.}" && pwd); shift 2 ;;
        --start|--end) step=${1#--}; shift ;;
        -*) echo "run.sh: unknown option $1 (see the head of tests/e2e/run.sh)" >&2; exit 2 ;;
        *) build=$(cd "$1" 2>/dev/null && pwd) || { echo "run.sh: no build directory $1" >&2; exit 2; }
           shift ;;
    esac
done

passed=0 failed=0
finish() { echo "$passed passed, $failed failed"; [ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]; exit; }
broken() { echo "FAIL  e2e run: $*"; failed=$((failed + 1)); finish; }

# A display, a fresh prefix, the built files and the screenshot watcher, in directory $1.
prepare() {
    export WINEPREFIX="$1/prefix" WINEDEBUG=-all HOME="$1/home" # wineboot writes under HOME
    mkdir -p "$HOME" "$1/app" "$1/driver"
    for f in padwright.exe tools/winmm.dll tools/padwright_menu_reader.dll \
             tests/e2e/padwright_e2e.exe; do
        [ -f "$build/$f" ] || broken "missing $build/$f (build the win tree first)"
    done
    cp "$build/padwright.exe" "$build/tools/winmm.dll" "$1/app/"
    cp "$build/tests/e2e/padwright_e2e.exe" "$build/tools/padwright_menu_reader.dll" "$1/driver/"
    if [ -n "$display" ]; then export DISPLAY="$display"
    else session_start_display "$1" || broken "$session_error"; fi
    session_make_prefix "$1/wineboot.log" || broken "$session_error"
    if [ -z "$artifacts" ]; then
        artifacts=$build/artifacts
        [ "$(basename "$(dirname "$build")")" != build ] || artifacts=$(dirname "$build")/artifacts
    fi
    mkdir -p "$artifacts" && artifacts=$(cd "$artifacts" && pwd)
    command -v import >/dev/null && session_watch_screenshots "$artifacts"
    {   printf 'export DISPLAY=%q WINEPREFIX=%q HOME=%q WINEDEBUG=-all\n' "$DISPLAY" "$WINEPREFIX" "$HOME"
        printf 'session_xvfb_pid=%q session_watcher_pid=%q artifacts=%q\n' \
            "$session_xvfb_pid" "$session_watcher_pid" "$artifacts"; } >"$1/session.env"
}

# Runs the selected cases with what prepare left in directory $1, and finishes.
run_cases() {
    local dir=$1 cases status start
    # shellcheck disable=SC1091
    source "$dir/session.env" || broken "no session in $dir (start one with --start)"
    cases=$(mktemp -d "$dir/cases.XXXXXX") # every run gets directories of its own
    start=$(date +%s)
    session_run_followed "$dir/driver.log" $((600 + ${PADWRIGHT_SOAK_SECONDS:-20})) "$dir/driver" \
        padwright_e2e.exe --exe "$(session_winpath "$dir/app/padwright.exe")" \
        --work "$(session_winpath "$cases")" --artifacts "$(session_winpath "$artifacts")" \
        "${args[@]}"
    status=$?
    passed=$(grep -c '^PASS ' "$dir/driver.log")
    failed=$(grep -c '^FAIL ' "$dir/driver.log")
    grep -q '^summary: ' "$dir/driver.log" ||
        broken "the driver ended (status $status) without a summary:" \
               "$(tail -n 5 "$dir/driver.log.stderr" | tr '\n' ' ')"
    [ "$status" -eq 0 ] || [ "$failed" -gt 0 ] || broken "the driver exited with status $status"
    echo "cases ran in $(( $(date +%s) - start )) s"
    finish
}

session_find_wine || broken "$session_error"
if [ "$step" = end ]; then
    # shellcheck disable=SC1091
    ! source "$session/session.env" 2>/dev/null || session_end
    [ "$keep" -eq 1 ] || rm -rf "$session"
    exit 0
fi
[ -z "$session" ] || [ -n "$step" ] || run_cases "$session"
[ -n "$build" ] || broken "give the build directory (build/win)"
if [ "$step" = start ]; then
    (source "$session/session.env" 2>/dev/null && session_end) || true # a stopped earlier one
    rm -rf "${session:?}"/*
    trap session_end EXIT
    prepare "$session"
    timeout 20 "$wineserver" -p </dev/null >/dev/null 2>&1 # the server stays up between runs
    trap - EXIT
    echo "session ready in $session"
    exit 0
fi
tmp=$(mktemp -d "${TMPDIR:-/tmp}/padwright-e2e.XXXXXX")
# shellcheck disable=SC2317 # called by the trap
cleanup() { session_end; if [ "$keep" -eq 1 ]; then echo "kept $tmp" >&2; else rm -rf "$tmp"; fi; }
trap cleanup EXIT
trap 'exit 130' INT TERM
prepare "$tmp"
run_cases "$tmp"
