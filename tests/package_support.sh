# What the package tests share, sourced: the download named by the test's pattern in the downloads
# folder given, a work directory, failures counted as they come, and bounded waits.
downloads=$1 work=$(mktemp -d) failures=0
# Background jobs end with the test, the last started (the game) first.
cleanup() { kill $(jobs -p | tac) 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
finish() {
    [ "$failures" -eq 0 ] || { echo "$failures $1 checks failed" >&2; exit 1; }
    echo "$1 checks passed"
}
# The one file of the downloads that matches a pattern.
download() {
    local found=("$downloads"/$1)
    [ ${#found[@]} = 1 ] && [ -f "${found[0]}" ] || { echo "expected one $1 in $downloads, found: ${found[*]}" >&2; exit 1; }
    echo "${found[0]}"
}
# Runs COMMAND until it succeeds, for at most 30 s: what takes a second or two on a busy machine.
wait_for() {
    for _ in $(seq 300); do "$@" && return; sleep 0.1; done
    return 1
}
window_shows() { [[ "$(xwininfo -name "$1" 2>/dev/null)" == *"Map State: IsViewable"* ]]; }
