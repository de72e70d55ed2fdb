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
set -uo pipefail

die_usage() {
    echo "run.sh: $*" >&2
    echo "usage: tests/e2e/run.sh BUILD_DIR | --exe F --stub F --driver F  [--display :N]" \
         "[--case NAME]... [--match TEXT] [--group G] [--artifacts DIR] [--timeout S]" \
         "[--soak-seconds S] [--keep] [--verbose]" >&2
    exit 2
}

exe="" stub="" driver="" display="" artifacts="" group="all" match="" keep=0 verbose=0
driver_timeout=""
cases=()
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
            stub=${stub:-$build/tests/e2e/winmm.dll}
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

for f in "$exe" "$stub" "$driver"; do
    [ -n "$f" ] || die_usage "give a build directory or all of --exe, --stub and --driver"
    [ -f "$f" ] || broken "missing $f (build the MinGW tree first)"
done

wine=$(command -v wine64 || true)
[ -n "$wine" ] || wine=/usr/lib/wine/wine64
wineserver=$(command -v wineserver || true)
[ -n "$wineserver" ] || wineserver=/usr/lib/wine/wineserver
[ -x "$wine" ] || broken "no wine64 (apt-get install wine64)"
[ -x "$wineserver" ] || broken "no wineserver"

# Every winmm function the program imports must be one the stand-in exports; otherwise the
# program cannot even load and every case would fail for a reason that is easy to miss.
objdump=$(command -v x86_64-w64-mingw32-objdump || true)
if [ -n "$objdump" ]; then
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
fi

tmp=$(mktemp -d "${TMPDIR:-/tmp}/padwright-e2e.XXXXXX") || broken "cannot make a temporary dir"
xvfb_pid=""
# shellcheck disable=SC2317 # called by the trap
cleanup() {
    [ -z "${watcher_pid:-}" ] || kill "$watcher_pid" 2>/dev/null
    if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
        timeout 20 "$wineserver" -k >/dev/null 2>&1
        timeout 20 "$wineserver" -w >/dev/null 2>&1
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null
        for _ in $(seq 50); do kill -0 "$xvfb_pid" 2>/dev/null || break; sleep 0.1; done
        kill -9 "$xvfb_pid" 2>/dev/null
    fi
    if [ "$keep" -eq 1 ]; then
        echo "kept $tmp" >&2
    else
        rm -rf "$tmp"
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

export WINEPREFIX="$tmp/prefix"
export WINEDEBUG=-all
export HOME="$tmp/home" # wineboot writes menu entries and links under HOME: keep them here
mkdir -p "$HOME"

run_start=$(date +%s)
if [ -z "$display" ]; then
    # Xvfb picks a free display itself and writes its number once it accepts connections.
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/display" \
        >"$tmp/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -s "$tmp/display" ] && break
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    [ -s "$tmp/display" ] || broken "Xvfb did not start within 10 s: $(tail -n 3 "$tmp/xvfb.log")"
    display=":$(tr -dc '0-9' <"$tmp/display")"
fi
export DISPLAY="$display"

# mscoree and mshtml off: a fresh prefix would otherwise offer to install Mono and Gecko.
if ! WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" \
        timeout --kill-after=10 180 "$wine" wineboot -i >"$tmp/wineboot.log" 2>&1; then
    broken "wineboot failed or ran over 180 s: $(tail -n 3 "$tmp/wineboot.log")"
fi
# A Wine virtual desktop: its taskbar holds a real notification area. Without it, Wine's
# stand-in tray takes about 2 s to remove an icon and stalls the next process's start as long
# after a process dies with its icon in place, enough to blur the one-second start-up rules.
for value in "Explorer /v Desktop /d Default" "Explorer\\Desktops /v Default /d 1280x1024"; do
    # shellcheck disable=SC2086
    timeout 60 "$wine" reg add "HKCU\\Software\\Wine\\"$value /f >>"$tmp/wineboot.log" 2>&1 ||
        broken "cannot configure the Wine desktop: $(tail -n 3 "$tmp/wineboot.log")"
done
timeout 20 "$wineserver" -k >/dev/null 2>&1 # the desktop takes the setting when it starts anew
timeout 20 "$wineserver" -w >/dev/null 2>&1
prefix_seconds=$(( $(date +%s) - run_start ))
echo "wine prefix ready in ${prefix_seconds} s (display $DISPLAY)"

work="$tmp/work"
mkdir -p "$work/app" "$work/driver" "$work/cases"
cp "$exe" "$work/app/padwright.exe"
cp "$stub" "$work/app/winmm.dll"
cp "$driver" "$work/driver/padwright_e2e.exe"
# The driver's menu reader (a hook DLL) sits beside it; cases that read a menu fail without it.
reader="$(dirname "$driver")/padwright_menu_reader.dll"
[ ! -f "$reader" ] || cp "$reader" "$work/driver/padwright_menu_reader.dll"

winpath() { echo "Z:${1//\//\\}"; } # Wine maps the Unix root to drive Z:

args=(--exe "$(winpath "$work/app/padwright.exe")" --work "$(winpath "$work/cases")"
      --group "$group")
for c in "${cases[@]}"; do args+=(--case "$c"); done
[ -z "$match" ] || args+=(--match "$match")
[ "$verbose" -eq 0 ] || args+=(--verbose)
watcher_pid=""
if [ -n "$artifacts" ] && ! command -v import >/dev/null; then
    echo "no ImageMagick import: no screenshots" >&2
    artifacts=""
fi
if [ -n "$artifacts" ]; then
    mkdir -p "$artifacts"
    artifacts=$(cd "$artifacts" && pwd)
    args+=(--artifacts "$(winpath "$artifacts")")
    # Takes the screenshots the driver asks for (see tests/e2e/driver/screenshot.h).
    watch_screenshots() {
        while :; do
            for request in "$artifacts"/*.request; do
                [ -e "$request" ] || continue
                x="" y="" w="" h=""
                read -r x y w h <"$request"
                crop=()
                if [ -n "$h" ]; then
                    [ "$x" -ge 0 ] || { w=$((w + x)); x=0; }
                    [ "$y" -ge 0 ] || { h=$((h + y)); y=0; }
                    crop=(-crop "${w}x${h}+${x}+${y}" +repage)
                fi
                timeout 20 import -display "$DISPLAY" -window root "${crop[@]}" \
                    "${request%.request}.png" >/dev/null 2>&1
                rm -f "$request"
            done
            sleep 0.1
        done
    }
    watch_screenshots &
    watcher_pid=$!
fi

cases_start=$(date +%s)
# The driver writes into a file, not a pipe: a Wine child left behind by a killed program can
# hold a pipe open for ever, while a file is simply done when the driver is. Its lines are shown
# as they come.
(cd "$work/driver" &&
    WINEDLLOVERRIDES="winmm=n,b;mscoree,mshtml=;winemenubuilder.exe=d" \
    exec timeout --kill-after=10 "$driver_timeout" "$wine" padwright_e2e.exe "${args[@]}" \
    >"$tmp/driver.raw" 2>"$tmp/driver.stderr" </dev/null) &
driver_pid=$!
tail -n +1 -s 0.2 -f --pid="$driver_pid" "$tmp/driver.raw" 2>/dev/null | tr -d '\r' &
follower_pid=$!
wait "$driver_pid"
driver_status=$?
wait "$follower_pid" 2>/dev/null || true
tr -d '\r' <"$tmp/driver.raw" >"$tmp/driver.log"
cases_seconds=$(( $(date +%s) - cases_start ))

passed=$(grep -c '^PASS ' "$tmp/driver.log")
failed=$(grep -c '^FAIL ' "$tmp/driver.log")
if [ "$driver_status" -eq 124 ] || [ "$driver_status" -eq 137 ]; then
    echo "FAIL  e2e run: the driver did not finish within ${driver_timeout} s"
    failed=$((failed + 1))
elif ! grep -q '^summary: ' "$tmp/driver.log"; then
    echo "FAIL  e2e run: the driver ended (status $driver_status) without a summary:" \
         "$(tail -n 5 "$tmp/driver.stderr" | tr '\n' ' ')"
    failed=$((failed + 1))
elif [ "$driver_status" -ne 0 ] && [ "$failed" -eq 0 ]; then
    echo "FAIL  e2e run: the driver exited with status $driver_status"
    failed=$((failed + 1))
fi

if [ -n "$watcher_pid" ]; then
    kill "$watcher_pid" 2>/dev/null
    wait "$watcher_pid" 2>/dev/null
fi

echo "cases ran in ${cases_seconds} s; whole run $(( $(date +%s) - run_start )) s"
finish
