#!/usr/bin/env bash
# Builds the Debian package from a finished build tree, unpacks it, checks what it holds and how
# it is marked, lints it, checks what the unpacked game says without a display, and starts it
# under its own Xvfb until the window named by the menu entry appears.
#
#   package_test.sh BUILD_DIR
set -euo pipefail
build=$1
. "$(dirname "$0")/package_support.sh"
game=""
trap 'kill "$game" 2>/dev/null || true; cleanup' EXIT
make_packages "$build"
debs=("$work"/out/*.deb)
[ ${#debs[@]} -eq 1 ] || { echo "expected one package, found: ${debs[*]}" >&2; exit 1; }
deb=${debs[0]}
echo "package: $(basename "$deb")"

# The control fields a player's package manager shows and resolves.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = asteroids ] || fail "Package is '$(field Package)'"
[ "$(field Section)" = games ] || fail "Section is '$(field Section)'"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] ||
    fail "Architecture is '$(field Architecture)'"
# Computed from the binary, so the libraries it links must each be there.
depends=" $(field Depends | tr -d ' ' | tr ',' ' ') "
for library in libc6 libglut3.12 libx11-6; do
    [[ "$depends" == *" $library "* || "$depends" == *" $library("* ]] ||
        fail "Depends lacks $library:$depends"
done
[ "$(field Description | wc -l)" -gt 3 ] || fail "the description has no body"

root=$work/root
dpkg-deb -x "$deb" "$root"
(cd "$root" && find . -type f) | LC_ALL=C sort >"$work/files"
icons=/usr/share/icons/hicolor
expected=(./usr/games/asteroids
    ./usr/share/applications/asteroids.desktop
    ./usr/share/metainfo/example.bexum.asteroids.metainfo.xml
    ./usr/share/doc/asteroids/changelog.Debian.gz
    ./usr/share/doc/asteroids/copyright)
for size in 16 24 32 48 64 128 256; do expected+=(".$icons/${size}x$size/apps/asteroids.png"); done
expected+=(".$icons/scalable/apps/asteroids.svg" ./usr/share/man/man6/asteroids.6.gz)
diff -u <(printf '%s\n' "${expected[@]}" | LC_ALL=C sort) "$work/files" ||
    fail "the package holds other files than expected"

# The shipped changelog is the one the package's version comes from.
zcat "$root/usr/share/doc/asteroids/changelog.Debian.gz" >"$work/changelog"
changelog_version=$(dpkg-parsechangelog -l "$work/changelog" -S Version)
[ "$(field Version)" = "$changelog_version" ] ||
    fail "Version $(field Version), changelog $changelog_version"

# The menu entry: valid, and pointing at the installed program and icon.
entry=$root/usr/share/applications/asteroids.desktop
desktop-file-validate "$entry" || fail "desktop-file-validate rejects the menu entry"
key() { sed -n "s/^$1=//p" "$entry"; }
program=$root/usr/games/$(key Exec)
if [ ! -f "$program" ] || [ ! -x "$program" ]; then fail "Exec=$(key Exec) is not in /usr/games"; fi
[ -f "$root$icons/scalable/apps/$(key Icon).svg" ] || fail "Icon=$(key Icon) is not installed"
[[ "$(key Categories)" == *"Game;ArcadeGame;"* ]] || fail "Categories=$(key Categories)"

# The software centres' description: valid, and launching the menu entry above.
appstreamcli validate-tree --no-net "$root" || fail "appstreamcli rejects the AppStream metadata"

# The copyright file grants the MIT (Expat) terms of LICENSE, word for word: its last paragraph.
awk '/^License: Expat$/ { text = ""; next } { text = text $0 "\n" } END { printf "%s", text }' \
    "$root/usr/share/doc/asteroids/copyright" | sed 's/^ \.$//; s/^ //' |
    diff -u <(tail -n +5 "$(dirname "$0")/../LICENSE") - || fail "the copyright file's licence is not LICENSE's"

# The hardened build: a position-independent executable, full RELRO (read-only relocations,
# every symbol bound at start) and the stack protector.
binary=$root/usr/games/asteroids
elf=$(readelf -hlW --dynamic --dyn-syms "$binary")
[[ "$elf" =~ Type:\ +DYN ]] || fail "not a position-independent executable"
[[ "$elf" == *GNU_RELRO* ]] || fail "no RELRO segment"
[[ "$elf" =~ FLAGS_1\)\ +Flags:\ NOW ]] || fail "symbols are not bound at start-up"
[[ "$elf" == *__stack_chk_fail* ]] || fail "no stack protector"

# Lintian checks the rest of Debian's rules: ownership, permissions, the manual page, the
# changelog and copyright files. The package is not meant for Debian's own archive, so it closes
# no "intent to package" bug.
lintian --fail-on error,warning --suppress-tags initial-upload-closes-no-bugs "$deb" \
    >"$work/lintian" 2>&1 || fail "lintian reports errors or warnings"
grep -v '^running with root privileges' "$work/lintian" || true

# Where it cannot open its window, the game says in a line of its own what is wrong and what to
# do, and ends with status 1 at once. GLUT takes the display from the command line before DISPLAY,
# and so does the game's check.
start_display "$work"
absent=4711
while [ -e "/tmp/.X11-unix/X$absent" ]; do absent=$((absent + 1)); done
says() {
    local expected="asteroids: $1; run the game from a desktop session, or set DISPLAY to a running X server"
    shift
    local status=0 output
    output=$(timeout 30 env "$@" 2>&1) || status=$?
    [ "$status" = 1 ] && [ "$output" = "$expected" ] || fail "env $*: ended with $status (124: still running after 30 s), saying: $output"
}
says "cannot open the game window because DISPLAY is not set" -u DISPLAY "$binary"
says "cannot open the game window because DISPLAY is not set" DISPLAY= "$binary"
says "cannot open the X display \":$absent\"" DISPLAY=:$absent "$binary"
says "cannot open the X display \":$absent\"" "$binary" -display ":$absent"

# The unpacked game opens its window, named as the menu entry names it, on a display of its own.
"$binary" &
game=$!
wait_for_window "$(key Name)" "$game" || fail "no window named '$(key Name)' appeared on $DISPLAY"

finish package
