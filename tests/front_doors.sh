#!/usr/bin/env bash
# The README's commands as a newcomer meets them: on a fresh Debian 12, a minimal root made with
# mmdebstrap from Debian's archive, with this commit cloned into it, each command run there in
# turn with only what it installs itself. Needs root (for mmdebstrap and chroot).
#
#   tests/front_doors.sh [DOOR ...]     make targets; `make front-doors` says which by default
#
# There is no display in the root: `make play` must build the game, which must then end with its
# own one-line message and status 1. Every other door must succeed.
set -euo pipefail
source=$(cd "$(dirname "$0")/.." && pwd)
[ $# -gt 0 ] || { echo "usage: $0 DOOR..." >&2; exit 2; }
work=$(mktemp -d /var/tmp/front-doors.XXXXXX)
root=$work/root
# The root's mounts live in namespaces of their own and end with them: none can be left to
# delete through.
cleanup() {
    if findmnt -rn -o TARGET | grep -q "^$work/"; then
        echo "front-doors: $work still has mounts; left in place" >&2
    else
        rm -rf "$work"
    fi
}
trap cleanup EXIT

start=$SECONDS
mmdebstrap --quiet --variant=minbase --include=make,git,ca-certificates bookworm "$root" \
    "deb http://deb.debian.org/debian bookworm main" \
    "deb http://deb.debian.org/debian bookworm-updates main" \
    "deb http://deb.debian.org/debian-security bookworm-security main" >"$work/mmdebstrap.log" 2>&1 ||
    { tail -n 20 "$work/mmdebstrap.log"; echo "FAIL: mmdebstrap could not make a Debian 12 root" >&2; exit 1; }
# The root trusts what this machine trusts beyond Debian's own: a network that looks into TLS, as
# this machine's may, has its own authority, which npm's requests to its registry meet.
if compgen -G "/usr/local/share/ca-certificates/*.crt" >/dev/null; then
    cp /usr/local/share/ca-certificates/*.crt "$root/usr/local/share/ca-certificates/"
    chroot "$root" update-ca-certificates >/dev/null 2>&1
fi
git clone --quiet "$source" "$root/root/asteroids"
git -C "$root/root/asteroids" checkout --quiet --detach "$(git -C "$source" rev-parse HEAD)"
echo "front-doors: a minimal Debian 12 root with $(git -C "$source" log -1 --format='%h (%s)') in $((SECONDS - start)) s"

# Runs `make DOOR` in the root as a root login shell would, with nothing of this machine's
# environment; its status and output go to $work/DOOR.log.
run() {
    unshare --mount --propagation private sh -c '
        mount -t proc proc "$1/proc"
        mount -t devpts -o newinstance,ptmxmode=0666 devpts "$1/dev/pts"
        mount -t tmpfs tmpfs "$1/dev/shm"
        exec chroot "$1" env -i HOME=/root TERM=dumb PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
            sh -c "cd /root/asteroids && make $2"' sh "$root" "$1"
}
message="asteroids: cannot open the game window because DISPLAY is not set; run the game from a desktop session, or set DISPLAY to a running X server"
failures=0
for door in "$@"; do
    start=$SECONDS status=0
    run "$door" >"$work/$door.log" 2>&1 || status=$?
    took=$((SECONDS - start))
    if [ "$door" = play ]; then
        # make reports the game's status 1 as its recipe's error, and stops with 2.
        [ $status = 2 ] && grep -qxF "$message" "$work/$door.log" &&
            tail -n 1 "$work/$door.log" | grep -qE '^make: \*\*\* \[Makefile:[0-9]+: play\] Error 1$' && status=0
    fi
    if [ $status = 0 ]; then
        echo "front-doors: make $door: passed in $took s"
    else
        echo "FAIL: make $door in a fresh Debian 12, after $took s (status $status); the end of its log:"
        tail -n 25 "$work/$door.log" | sed 's/^/    /'
        failures=$((failures + 1))
    fi
done
[ $failures = 0 ] || { echo "front-doors: $failures of $# doors failed" >&2; exit 1; }
