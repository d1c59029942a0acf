# What the package tests share, sourced: a work directory, failures counted as they come, the
# packages made, a private Xvfb and bounded waits.
work=$(mktemp -d) failures=0
# Background jobs end with the test, the last started (the game) first, before its display.
cleanup() { kill $(jobs -p | tac) 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
finish() {
    [ "$failures" -eq 0 ] || { echo "$failures $1 checks failed" >&2; exit 1; }
    echo "$1 checks passed"
}
# Runs COMMAND until it succeeds, for at most 30 s: what takes a second or two on a busy machine.
wait_for() {
    for _ in $(seq 300); do "$@" && return; sleep 0.1; done
    return 1
}
window_shows() { [[ "$(xwininfo -name "$1" 2>/dev/null)" == *"Map State: IsViewable"* ]]; }

# The packages of the build tree named by the test's argument, into $work/out.
cpack --config "$1/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log" >&2; exit 1; }

# Starts Xvfb on a display number it picks itself (written to fd 3), and exports DISPLAY.
start_display() {
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    wait_for test -s "$work/display" || { cat "$work/xvfb.log" >&2; echo "Xvfb named no display within 30 s" >&2; exit 1; }
    export DISPLAY=:$(head -1 "$work/display")
}
