#!/usr/bin/env bash
# Runs the end-to-end cases: padwright.exe with the scripted joystick (a stand-in winmm.dll)
# under Wine, driven by padwright_e2e.exe, in a fresh Wine prefix on a private X display.
# Builds nothing; give it the MinGW build directory or the three built files:
#
#   tests/e2e/run.sh BUILD_DIR [options]
#   tests/e2e/run.sh --exe padwright.exe --stub winmm.dll --driver padwright_e2e.exe [options]
#
# Options:
#   --display :N       use this X display instead of starting a private Xvfb
#   --case NAME        run only this case (repeatable); --match TEXT: cases whose name has TEXT
#   --group G          program, harness or all (default all)
#   --artifacts DIR    save screenshots there as PNG (default with BUILD_DIR: build/artifacts
#                      for build/win, otherwise BUILD_DIR/artifacts)
#   --timeout SECONDS  bound for the whole driver run (default 900 plus the random run's length)
#   --soak-seconds S   length of the random run (else PADWRIGHT_SOAK_SECONDS, else 60; the
#                      documented long run is 600); PADWRIGHT_SOAK_SEED repeats a run
#   --keep             keep the temporary prefix and work directory
#   --verbose          the driver prints each step with its time
#
# Prints one line per case and ends with exactly "N passed, N failed"; exits non-zero when a
# case failed or the run itself broke (which counts as one failure).
#
# A session that lasts over several runs, as ctest uses it (one test per case):
#   tests/e2e/run.sh BUILD_DIR --session DIR --start   prefix, display and files made in DIR
#   tests/e2e/run.sh --session DIR [--case NAME]...    a run in that session
#   tests/e2e/run.sh --session DIR --end               ends it and removes DIR
set -uo pipefail
# shellcheck source=tools/wine_session.sh
source "$(dirname "$0")/../../tools/wine_session.sh"
session_file_name=session.env

die_usage() {
    echo "run.sh: $*" >&2
    echo "usage: tests/e2e/run.sh BUILD_DIR | --exe F --stub F --driver F  [--display :N]" \
         "[--case NAME]... [--match TEXT] [--group G] [--artifacts DIR] [--timeout S]" \
         "[--soak-seconds S] [--keep] [--verbose] [--session DIR [--start | --end]]" >&2
    exit 2
}

exe="" stub="" driver="" display="" artifacts="" group="all" match="" keep=0 verbose=0
driver_timeout=""
cases=()
session="" session_step=""
while [ $# -gt 0 ]; do
    case "$1" in
        --exe) exe=${2:-}; shift 2 ;;
        --stub) stub=${2:-}; shift 2 ;;
        --driver) driver=${2:-}; shift 2 ;;
        --display) display=${2:-}; shift 2 ;;
        --case) cases+=("${2:-}"); shift 2 ;;
        --match) match=${2:-}; shift 2 ;;
        --group) group=${2:-}; shift 2 ;;
        --artifacts) artifacts=${2:-}; shift 2 ;;
        --timeout) driver_timeout=${2:-}; shift 2 ;;
        --soak-seconds) export PADWRIGHT_SOAK_SECONDS=${2:-}; shift 2 ;;
        --keep) keep=1; shift ;;
        --verbose) verbose=1; shift ;;
        --session) session=${2:-}; shift 2 ;;
        --start|--end) session_step=${1#--}; shift ;;
        -h|--help) die_usage "help" ;;
        -*) die_usage "unknown option $1" ;;
        *)
            if [ ! -d "$1" ]; then
                echo "FAIL  e2e run: no build directory $1"
                echo "0 passed, 1 failed"
                exit 1
            fi
            build=$(cd "$1" && pwd)
            exe=${exe:-$build/padwright.exe}
            stub=${stub:-$build/tools/winmm.dll}
            driver=${driver:-$build/tests/e2e/padwright_e2e.exe}
            if [ "$(basename "$(dirname "$build")")" = build ]; then
                artifacts=${artifacts:-$(dirname "$build")/artifacts} # build/win: build/artifacts
            else
                artifacts=${artifacts:-$build/artifacts}
            fi
            shift ;;
    esac
done
[[ "${PADWRIGHT_SOAK_SECONDS:-60}" =~ ^[0-9]+$ ]] || die_usage "--soak-seconds takes seconds"
driver_timeout=${driver_timeout:-$((900 + ${PADWRIGHT_SOAK_SECONDS:-60}))}
[[ "$driver_timeout" =~ ^[0-9]+$ ]] || die_usage "--timeout takes seconds"
[ -n "$session" ] || [ -z "$session_step" ] || die_usage "--$session_step needs --session DIR"
[ -z "$session" ] || session=$(mkdir -p "$session" && cd "$session" && pwd)

passed=0
failed=0
finish() { # prints the final line and exits with its verdict
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
    exit $?
}
broken() { # the run itself cannot go on: one failure with its reason
    echo "FAIL  e2e run: $*"
    failed=$((failed + 1))
    finish
}

# The session's processes and paths, as --start left them for the runs and --end.
save_session() {
    {
        printf 'export DISPLAY=%q WINEPREFIX=%q HOME=%q WINEDEBUG=-all\n' \
            "$DISPLAY" "$WINEPREFIX" "$HOME"
        printf 'session_xvfb_pid=%q session_watcher_pid=%q work=%q artifacts=%q\n' \
            "$session_xvfb_pid" "$session_watcher_pid" "$work" "$artifacts"
    } >"$session/$session_file_name"
}
load_session() {
    [ -f "$session/$session_file_name" ] || return 1
    # shellcheck disable=SC1090
    source "$session/$session_file_name"
}


# The files, Wine, and what the stand-in must offer.
check_files() {
    local f objdump imports exports missing
    for f in "$exe" "$stub" "$driver"; do
        [ -n "$f" ] || die_usage "give a build directory or all of --exe, --stub and --driver"
        [ -f "$f" ] || broken "missing $f (build the MinGW tree first)"
    done
    session_find_wine || broken "$session_error"
    # Every winmm function the program imports must be one the stand-in exports; otherwise the
    # program cannot even load and every case would fail for a reason that is easy to miss.
    objdump=$(command -v x86_64-w64-mingw32-objdump || true)
    [ -n "$objdump" ] || return 0
    imports=$("$objdump" -p "$exe" | awk '
        /DLL Name:/ { inside = (tolower($3) == "winmm.dll"); next }
        inside && /^\t *[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ { print $3 }' | sort -u)
    exports=$("$objdump" -p "$stub" | awk '
        /\[Ordinal\/Name Pointer\] Table/ { inside = 1; next }
        inside && NF == 0 { inside = 0 }
        inside { print $NF }' | sort -u)
    missing=$(comm -23 <(echo "$imports") <(echo "$exports") | tr '\n' ' ')
    [ -z "${missing// /}" ] ||
        broken "padwright.exe imports from winmm.dll what the scripted stand-in lacks: $missing"
}

# A display, a fresh prefix and the files in directory $1; the screenshot watcher.
prepare() {
    local dir=$1 reader
    export WINEPREFIX="$dir/prefix"
    export WINEDEBUG=-all
    export HOME="$dir/home" # wineboot writes menu entries and links under HOME: keep them here
    mkdir -p "$HOME"

    run_start=$(date +%s)
    if [ -z "$display" ]; then
        session_start_display "$dir" || broken "$session_error"
    else
        export DISPLAY="$display"
    fi
    session_make_prefix "$dir/wineboot.log" || broken "$session_error"
    echo "wine prefix ready in $(( $(date +%s) - run_start )) s (display $DISPLAY)"

    work="$dir/work"
    mkdir -p "$work/app" "$work/driver"
    cp "$exe" "$work/app/padwright.exe"
    cp "$stub" "$work/app/winmm.dll"
    cp "$driver" "$work/driver/padwright_e2e.exe"
    # The driver's menu reader (a hook DLL) sits beside it; cases that read a menu fail without
    # it.
    reader="$(dirname "$driver")/padwright_menu_reader.dll"
    [ ! -f "$reader" ] || cp "$reader" "$work/driver/padwright_menu_reader.dll"

    if [ -n "$artifacts" ] && ! command -v import >/dev/null; then
        echo "no ImageMagick import: no screenshots" >&2
        artifacts=""
    fi
    if [ -n "$artifacts" ]; then
        mkdir -p "$artifacts"
        artifacts=$(cd "$artifacts" && pwd)
        session_watch_screenshots "$artifacts"
    fi
}

# Runs the selected cases with the files that prepare put in directory $1, and finishes.
run_cases() {
    local dir=$1 args c driver_status cases_start cases_dir
    # Every run gets directories no earlier run of the session has left anything in.
    cases_dir=$(mktemp -d "$work/cases.XXXXXX") || broken "cannot make a directory in $work"
    args=(--exe "$(session_winpath "$work/app/padwright.exe")"
          --work "$(session_winpath "$cases_dir")" --group "$group")
    for c in "${cases[@]}"; do args+=(--case "$c"); done
    [ -z "$match" ] || args+=(--match "$match")
    [ "$verbose" -eq 0 ] || args+=(--verbose)
    [ -z "$artifacts" ] || args+=(--artifacts "$(session_winpath "$artifacts")")

    cases_start=$(date +%s)
    run_start=${run_start:-$cases_start}
    session_run_followed "$dir/driver.raw" "$driver_timeout" "$work/driver" padwright_e2e.exe \
        "${args[@]}"
    driver_status=$?
    tr -d '\r' <"$dir/driver.raw" >"$dir/driver.log"

    passed=$(grep -c '^PASS ' "$dir/driver.log")
    failed=$(grep -c '^FAIL ' "$dir/driver.log")
    if [ "$driver_status" -eq 124 ] || [ "$driver_status" -eq 137 ]; then
        echo "FAIL  e2e run: the driver did not finish within ${driver_timeout} s"
        failed=$((failed + 1))
    elif ! grep -q '^summary: ' "$dir/driver.log"; then
        echo "FAIL  e2e run: the driver ended (status $driver_status) without a summary:" \
             "$(tail -n 5 "$dir/driver.raw.stderr" | tr '\n' ' ')"
        failed=$((failed + 1))
    elif [ "$driver_status" -ne 0 ] && [ "$failed" -eq 0 ]; then
        echo "FAIL  e2e run: the driver exited with status $driver_status"
        failed=$((failed + 1))
    fi

    echo "cases ran in $(( $(date +%s) - cases_start )) s;" \
         "whole run $(( $(date +%s) - run_start )) s"
    finish
}

if [ "$session_step" = end ]; then
    session_find_wine || true
    if load_session; then
        session_end
    fi
    [ "$keep" -eq 1 ] || rm -rf "$session"
    exit 0
fi
if [ -n "$session" ] && [ -z "$session_step" ]; then
    load_session || broken "no session in $session (start one with --start)"
    session_find_wine || broken "$session_error"
    run_cases "$session"
fi

check_files

if [ "$session_step" = start ]; then
    # An earlier session left here (a run that was stopped) ends first.
    (load_session && session_end) || true
    rm -rf "${session:?}"/*
    trap 'session_end' EXIT
    trap 'exit 130' INT TERM
    prepare "$session"
    # The server stays up between the runs, so no run waits for its start.
    timeout 20 "$wineserver" -p </dev/null >/dev/null 2>&1 || broken "wineserver -p failed"
    save_session
    trap - EXIT
    echo "session ready in $session"
    exit 0
fi

tmp=$(mktemp -d "${TMPDIR:-/tmp}/padwright-e2e.XXXXXX") || broken "cannot make a temporary dir"
# shellcheck disable=SC2317 # called by the trap
cleanup() {
    session_end
    if [ "$keep" -eq 1 ]; then
        echo "kept $tmp" >&2
    else
        rm -rf "$tmp"
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM
prepare "$tmp"
run_cases "$tmp"
