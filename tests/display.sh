# For the package tests, sourced: a private Xvfb and a wait for a window on it. Both waits allow
# 30 s for what takes a second or two, for a machine busy with other work.

# Starts Xvfb on a display number it picks itself, exports DISPLAY, and sets xvfb to its pid.
# Takes a directory to leave the server's output in.
start_display() {
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$1/display" 2>"$1/xvfb.log" &
    xvfb=$!
    for _ in $(seq 300); do
        grep -q . "$1/display" && break
        sleep 0.1
    done
    local number
    number=$(head -1 "$1/display")
    [ -n "$number" ] || { cat "$1/xvfb.log" >&2; return 1; }
    export DISPLAY=:$number
}

# Succeeds once a window titled TITLE is shown, and fails when it has not within 30 s or when
# the process PID, if given, has ended first.
wait_for_window() {
    for _ in $(seq 300); do
        [[ "$(xwininfo -name "$1" 2>/dev/null)" == *"Map State: IsViewable"* ]] && return 0
        [ -z "${2:-}" ] || kill -0 "$2" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}
