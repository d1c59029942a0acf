#!/usr/bin/env bash
# Lints the Debian package of the downloads, unpacks it, checks what it holds, what the unpacked
# game says without a display, and that it opens the window its menu entry names on the display
# DISPLAY names (xvfb-run).
#
#   package_test.sh DOWNLOADS_DIR
set -euo pipefail
. "$(dirname "$0")/package_support.sh"
deb=$(download 'asteroids_*.deb')

# Lintian checks Debian's rules, most of the hardening, the manual page, the description, the
# dependencies, changelog and copyright files among them. The package is not meant for Debian's
# archive, so it closes no bug; the .comment section is the compiler's note.
lintian --fail-on error,warning,info --suppress-tags initial-upload-closes-no-bugs,binary-has-unneeded-section \
    "$deb" || fail "lintian reports errors, warnings or notes"

root=$work/root icons=./usr/share/icons/hicolor
dpkg-deb -x "$deb" "$root"
diff -u <(printf '%s\n' ./usr/games/asteroids ./usr/share/applications/asteroids.desktop \
    ./usr/share/metainfo/example.bexum.asteroids.metainfo.xml ./usr/share/doc/asteroids/{changelog.Debian.gz,copyright} \
    $icons/{16x16,24x24,32x32,48x48,64x64,128x128,256x256}/apps/asteroids.png $icons/scalable/apps/asteroids.svg \
    ./usr/share/man/man6/asteroids.6.gz | LC_ALL=C sort) <(cd "$root" && find . ! -type d | LC_ALL=C sort) ||
    fail "the package holds other files than expected"
[ "$(dpkg-deb -f "$deb" Version)" = "$(zcat "$root/usr/share/doc/asteroids/changelog.Debian.gz" | dpkg-parsechangelog -l - -S Version)" ] ||
    fail "the package's version is not its changelog's"
# What lintian does not check of the hardened build: every symbol bound at start, and the stack protector.
binary=$root/usr/games/asteroids
elf=$(readelf -W --dynamic --dyn-syms "$binary")
[[ "$elf" =~ FLAGS_1\)\ +Flags:\ NOW ]] || fail "symbols are not bound at start-up"
[[ "$elf" == *__stack_chk_fail* ]] || fail "no stack protector"

# The menu entry: valid (lintian sees that its program is installed), and pointing at the icon.
entry=$root/usr/share/applications/asteroids.desktop
key() { sed -n "s/^$1=//p" "$entry"; }
desktop-file-validate "$entry" || fail "desktop-file-validate rejects the menu entry"
[ -f "$root/$icons/scalable/apps/$(key Icon).svg" ] || fail "Icon=$(key Icon) is not installed"
[[ "$(key Categories)" == *"Game;ArcadeGame;"* ]] || fail "Categories=$(key Categories)"
appstreamcli validate-tree --no-net "$root" || fail "appstreamcli rejects the AppStream metadata"

# The copyright file grants the MIT (Expat) terms of LICENSE, word for word: its last paragraph.
awk '/^License: Expat$/ { text = ""; next } { text = text $0 "\n" } END { printf "%s", text }' \
    "$root/usr/share/doc/asteroids/copyright" | sed 's/^ \.$//; s/^ //' |
    diff -u <(tail -n +5 "$(dirname "$0")/../LICENSE") - || fail "the copyright file's licence is not LICENSE's"

# Where it cannot open its window, the game says in a line of its own what is wrong and what to
# do, and ends with status 1 at once. GLUT takes the display from the command line before DISPLAY,
# and so does the game's check, which the last case, with a working DISPLAY, shows.
absent=4711
while [ -e "/tmp/.X11-unix/X$absent" ]; do absent=$((absent + 1)); done
while IFS='|' read -r environment arguments reason; do
    status=0 output=$(timeout 30 env $environment "$binary" $arguments 2>&1 </dev/null) || status=$?
    [ "$status" = 1 ] && [ "$output" = "asteroids: cannot open $reason; run the game from a desktop session, or set DISPLAY to a running X server" ] ||
        fail "env $environment asteroids $arguments: ended with $status (124: still running after 30 s), saying: $output"
done <<END
-u DISPLAY||the game window because DISPLAY is not set
DISPLAY=||the game window because DISPLAY is not set
DISPLAY=:$absent||the X display ":$absent"
|-display :$absent|the X display ":$absent"
END

"$binary" &
wait_for window_shows "$(key Name)" || fail "no window named '$(key Name)' on $DISPLAY within 30 s"
finish package
