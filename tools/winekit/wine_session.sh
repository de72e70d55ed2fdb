# shellcheck shell=bash
# A Wine session for the Windows tools, sourced by tests/e2e/run.sh, tools/demo/run.sh and
# scripts/measure: a private X display, a fresh Wine prefix with a virtual desktop, the watcher
# that takes the screenshots the tools ask for, a Windows program run with its output followed,
# and the cleanup of all of it. A function that cannot do its part returns 1 and leaves the reason
# in session_error.

session_error=""
session_xvfb_pid=""
session_watcher_pid=""

# Finds wine and wineserver (sets `wine` and `wineserver`).
session_find_wine() {
    wine=$(command -v wine64 || true)
    [ -n "$wine" ] || wine=/usr/lib/wine/wine64
    wineserver=$(command -v wineserver || true)
    [ -n "$wineserver" ] || wineserver=/usr/lib/wine/wineserver
    [ -x "$wine" ] || { session_error="no wine64 (apt-get install wine64)"; return 1; }
    [ -x "$wineserver" ] || { session_error="no wineserver"; return 1; }
}

# Starts a private Xvfb and exports DISPLAY; its files go into directory $1.
session_start_display() {
    local dir=$1
    # Xvfb picks a free display itself and writes its number once it accepts connections.
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display" \
        </dev/null >"$dir/xvfb.log" 2>&1 &
    session_xvfb_pid=$!
    for _ in $(seq 100); do
        [ -s "$dir/display" ] && break
        kill -0 "$session_xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ ! -s "$dir/display" ]; then
        session_error="Xvfb did not start within 10 s: $(tail -n 3 "$dir/xvfb.log")"
        return 1
    fi
    export DISPLAY=":$(tr -dc '0-9' <"$dir/display")"
}

# Makes the Wine prefix $WINEPREFIX (exported by the caller) ready, logging into $1.
session_make_prefix() {
    local log=$1 value
    # mscoree and mshtml off: a fresh prefix would otherwise offer to install Mono and Gecko.
    if ! WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" \
            timeout --kill-after=10 180 "$wine" wineboot -i >"$log" 2>&1; then
        session_error="wineboot failed or ran over 180 s: $(tail -n 3 "$log")"
        return 1
    fi
    # A Wine virtual desktop: its taskbar holds a real notification area. Without it, Wine's
    # stand-in tray takes about 2 s to remove an icon and stalls the next process's start as
    # long after a process dies with its icon in place.
    for value in "Explorer /v Desktop /d Default" "Explorer\\Desktops /v Default /d 1280x1024"; do
        # shellcheck disable=SC2086
        if ! timeout 60 "$wine" reg add "HKCU\\Software\\Wine\\"$value /f >>"$log" 2>&1; then
            session_error="cannot configure the Wine desktop: $(tail -n 3 "$log")"
            return 1
        fi
    done
    timeout 20 "$wineserver" -k >/dev/null 2>&1 # the desktop takes the setting when it starts anew
    timeout 20 "$wineserver" -w >/dev/null 2>&1 || true
}

# The Windows path of a Unix path: Wine maps the Unix root to drive Z:.
session_winpath() {
    echo "Z:${1//\//\\}"
}

# Takes the screenshots the tools ask for in directory $1 (see tools/winekit/screenshot.h),
# in the background until session_end.
session_watch_screenshots() {
    local dir=$1
    (
        set +e # a failed picture must not end the watcher
        while :; do
            for request in "$dir"/*.request; do
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
    ) </dev/null >/dev/null 2>&1 & # holds nothing of its caller's: a test's output ends with it
    session_watcher_pid=$!
}

# Runs a Windows program: session_run_followed OUT SECONDS DIR PROGRAM [ARGS...]. It runs in DIR,
# bounded by SECONDS, with the scripted joystick preferred over the system's winmm.dll; its
# output goes into the file OUT (its errors into OUT.stderr) and is shown as it comes. A file
# rather than a pipe: a Wine child left behind by a killed program can hold a pipe open for
# ever, while a file is simply done when the program is. Returns the program's status.
session_run_followed() {
    local out=$1 seconds=$2 dir=$3 pid follower status
    shift 3
    : >"$out" # there before the follower looks: tail gives up on a file that is not there
    (cd "$dir" &&
        WINEDLLOVERRIDES="winmm=n,b;mscoree,mshtml=;winemenubuilder.exe=d" \
        exec timeout --kill-after=10 "$seconds" "$wine" "$@" \
        >"$out" 2>"$out.stderr" </dev/null) &
    pid=$!
    tail -n +1 -s 0.05 -f --pid="$pid" "$out" 2>/dev/null | tr -d '\r' &
    follower=$!
    wait "$pid"
    status=$?
    wait "$follower" 2>/dev/null || true
    return "$status"
}

# A whole session in directory $1: a private display, a fresh prefix in $1/prefix and the
# screenshot watcher for directory $2 (session_pictures); session_resume "$1" takes it up again
# in another process.
session_begin() {
    export WINEPREFIX="$1/prefix" WINEDEBUG=-all HOME="$1/home" # wineboot writes under HOME
    session_pictures=$(mkdir -p "$HOME" "$2" && cd "$2" && pwd)
    session_start_display "$1" && session_make_prefix "$1/wineboot.log" || return 1
    session_watch_screenshots "$session_pictures"
    declare -p DISPLAY WINEPREFIX HOME WINEDEBUG session_xvfb_pid session_watcher_pid \
        session_pictures | sed 's/^declare -x/export/; s/^declare --/declare -g/' >"$1/session.env"
}

session_resume() {
    # shellcheck disable=SC1091
    source "$1/session.env" 2>/dev/null || { session_error="no session in $1"; return 1; }
}

# Ends what the session started: the watcher, the prefix's Wine processes, the private display.
session_end() {
    if [ -n "$session_watcher_pid" ]; then
        kill "$session_watcher_pid" 2>/dev/null || true
        wait "$session_watcher_pid" 2>/dev/null || true
        session_watcher_pid=""
    fi
    if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ] && [ -n "${wineserver:-}" ]; then
        timeout 20 "$wineserver" -k >/dev/null 2>&1 || true
        timeout 20 "$wineserver" -w >/dev/null 2>&1 || true
    fi
    if [ -n "$session_xvfb_pid" ]; then
        kill "$session_xvfb_pid" 2>/dev/null || true
        for _ in $(seq 50); do kill -0 "$session_xvfb_pid" 2>/dev/null || break; sleep 0.1; done
        kill -9 "$session_xvfb_pid" 2>/dev/null || true
        session_xvfb_pid=""
    fi
    return 0
}
