#!/usr/bin/env bash
# Makes the Windows installer and the portable .zip from a finished Windows build, installs the
# game silently under Wine, checks where it went and what Windows is told, starts it from its
# Start-menu entry until its window shows, uninstalls it silently, and checks that nothing is left.
#
#   installer_test.sh BUILD_DIR
set -euo pipefail
build=$1
here=$(dirname "$0")
wine=$here/../scripts/wine
. "$here/package_support.sh"
trap '"$wine" wineserver -k 2>/dev/null || true; cleanup' EXIT
make_packages "$build"
installer=$(echo "$work"/out/*.exe)
zip=$(echo "$work"/out/*.zip)
[ -f "$installer" ] && [ -f "$zip" ] || { echo "expected an installer and a .zip: $(ls "$work/out")" >&2; exit 1; }
echo "packages: $(basename "$installer") $(basename "$zip")"

# The portable .zip: the game and its licence.
diff -u <(printf '%s\n' LICENSE.txt asteroids.exe) \
    <(cmake -E tar tf "$zip" | sed 's|^[^/]*/||' | grep . | LC_ALL=C sort) || fail "the .zip holds other files"
# The installer shows the licence before it installs.
grep -q '^ *!insertmacro MUI_PAGE_LICENSE ".*/LICENSE"' "$work"/out/_CPack_Packages/*/NSIS/project.nsi ||
    fail "the installer has no licence page"

# Where the game goes, and what Windows keeps about it.
folder='C:\Program Files\Bexum Asteroids'
menu='C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Bexum Asteroids'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Bexum Asteroids'
vendor_key='HKLM\Software\Bexum Asteroids developers'
unix() { "$wine" winepath -u "$1"; }
value() { "$wine" reg query "$uninstall_key" /v "$1" | sed -n "s/^ *$1 *REG_SZ *//p" | tr -d '\r'; }
# An installation that an earlier, interrupted run left behind goes first.
if [ -f "$(unix "$folder")/Uninstall.exe" ]; then
    timeout 120 "$wine" "$folder\\Uninstall.exe" /S || true
    timeout 120 "$wine" wineserver -w || true
fi

# Each step is given two minutes for what takes seconds.
timeout 120 "$wine" "$installer" /S || fail "the installer failed or ran on for 2 minutes"
timeout 120 "$wine" wineserver -w || fail "Wine's programs ran on for 2 minutes after the installer"
diff -u <(printf '%s\n' LICENSE.txt Uninstall.exe asteroids.exe) <(ls "$(unix "$folder")") ||
    fail "$folder holds other files"
shortcut="$(unix "$menu")/Bexum Asteroids.lnk"
[ -f "$shortcut" ] || fail "no Start-menu entry"
# The entry's icon is the game's (the one full path the shortcut holds as text), and the game
# carries one. That the entry starts the game is seen below.
strings -el "$shortcut" | grep -q -F "$folder\\asteroids.exe" || fail "the Start-menu entry's icon is not the game's"
wrestool -l "$(unix "$folder")/asteroids.exe" | grep -q "type=group_icon" || fail "the game has no icon"
[ "$(value DisplayName)" = "Bexum Asteroids" ] || fail "installed programs list '$(value DisplayName)'"
[ "$(value DisplayIcon)" = "$folder\\asteroids.exe" ] || fail "the installed programs' icon is '$(value DisplayIcon)'"
[ "$(value UninstallString)" = "\"$folder\\Uninstall.exe\"" ] ||
    fail "the installed programs' uninstaller is '$(value UninstallString)'"

start_display "$work"
# Wine's launcher waits for what it starts, which a wrong entry may never end.
"$wine" start /unix "$shortcut" &
wait_for_window "Bexum Asteroids Game" || fail "the Start-menu entry showed no game window on $DISPLAY"
"$wine" wineserver -k

# The uninstaller runs a copy of itself and returns at once: the server's end is its end.
timeout 120 "$wine" "$folder\\Uninstall.exe" /S || fail "the uninstaller failed or ran on for 2 minutes"
timeout 120 "$wine" wineserver -w || fail "Wine's programs ran on for 2 minutes after the uninstaller"
[ ! -e "$(unix "$folder")" ] || fail "$folder is left: $(ls "$(unix "$folder")")"
[ ! -e "$(unix "$menu")" ] || fail "the Start-menu folder is left"
for key in "$uninstall_key" "$vendor_key"; do
    ! "$wine" reg query "$key" >/dev/null 2>&1 || fail "$key is left"
done

finish installer
