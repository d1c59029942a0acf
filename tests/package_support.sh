# What the package tests share, sourced: a work directory, failures counted as they come, a
# private Xvfb, and a wait for a window on it. Both waits allow 30 s for what takes a second or
# two, for a machine busy with other work.
work=$(mktemp -d)
xvfb="" failures=0
cleanup() {
    if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# Starts Xvfb on a display number it picks itself, and exports DISPLAY.
start_display() {
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    xvfb=$!
    for _ in $(seq 300); do
        grep -q . "$work/display" && break
        sleep 0.1
    done
    [ -s "$work/display" ] || { cat "$work/xvfb.log" >&2; return 1; }
    export DISPLAY=:$(head -1 "$work/display")
}

# Succeeds once a window titled TITLE shows, and fails when none has within 30 s, or when the
# process PID, if given, has ended first.
wait_for_window() {
    for _ in $(seq 300); do
        [[ "$(xwininfo -name "$1" 2>/dev/null)" == *"Map State: IsViewable"* ]] && return 0
        [ -z "${2:-}" ] || kill -0 "$2" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

# Makes the build's packages with CPack into $work/out.
make_packages() {
    cpack --config "$1/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log" >&2; exit 1; }
}

# Reports the failures and ends the test.
finish() {
    [ "$failures" -eq 0 ] || { echo "$failures $1 checks failed" >&2; exit 1; }
    echo "$1 checks passed"
}
