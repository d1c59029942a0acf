#!/usr/bin/env bash
# Installs the game silently under Wine with the Windows installer of the downloads, checks where it
# went and what Windows is told, starts it from its Start-menu entry until its window shows on the
# display DISPLAY names (xvfb-run), uninstalls it silently, and checks that nothing is left; and
# what the portable .zip holds. The Windows build that made the installer says what its pages are.
#
#   installer_test.sh DOWNLOADS_DIR WINDOWS_BUILD_DIR
set -euo pipefail
script=$(dirname "$0")/../scripts/wine
. "$(dirname "$0")/package_support.sh"
trap '"$script" wineserver -k 2>/dev/null || true; cleanup' EXIT
installer=$(download '*-win64.exe') zip=$(download '*-win64.zip')

# The portable .zip: the game, its licence and its fonts'. The installer shows the licence before it installs.
diff -u <(printf '%s\n' LICENSE.txt TeX-Gyre-Heros-LICENSE.txt asteroids.exe freeglut-COPYING.txt) \
    <(cmake -E tar tf "$zip" | sed 's|^[^/]*/||' | grep . | LC_ALL=C sort) || fail "the .zip holds other files"
grep -q '^ *!insertmacro MUI_PAGE_LICENSE ".*/LICENSE"' "$2"/_CPack_Packages/*/NSIS/project.nsi ||
    fail "the installer has no licence page"

folder='C:\Program Files\Bexum Asteroids'
menu='C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Bexum Asteroids'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Bexum Asteroids'
vendor_key='HKLM\Software\Bexum Asteroids developers'
# Each Wine step is given two minutes for what takes seconds.
wine() {
    local status=0
    timeout 120 "$script" "$@" || status=$?
    [ $status = 0 ] || echo "wine $*: ended with $status (124: still running after 2 minutes)" >&2
    return $status
}
# Runs a Windows program until it and all it started have ended: the uninstaller runs a copy of
# itself and returns at once, so the server's end is its end.
run() { wine "$@" && wine wineserver -w || fail "wine $*, or what it started, did not end well"; }
unix() { wine winepath -u "$1"; }
# An installation that an earlier, interrupted run left behind goes first.
[ ! -f "$(unix "$folder")/Uninstall.exe" ] || run "$folder\\Uninstall.exe" /S

run "$installer" /S
diff -u <(printf '%s\n' LICENSE.txt TeX-Gyre-Heros-LICENSE.txt Uninstall.exe asteroids.exe freeglut-COPYING.txt) <(LC_ALL=C ls "$(unix "$folder")") || fail "$folder holds other files"
# The entry's icon is the game's (the one full path the shortcut holds as text), and the game
# carries one. That the entry starts the game is seen below.
shortcut="$(unix "$menu")/Bexum Asteroids.lnk"
[[ "$(strings -el "$shortcut")" == *"$folder\\asteroids.exe"* ]] || fail "no Start-menu entry with the game's icon"
[[ "$(wrestool -l "$(unix "$folder")/asteroids.exe")" == *type=group_icon* ]] || fail "the game has no icon"
diff -u <(printf '%s\n' "DisplayIcon=$folder\\asteroids.exe" "DisplayName=Bexum Asteroids" "UninstallString=\"$folder\\Uninstall.exe\"") \
    <(wine reg query "$uninstall_key" | tr -d '\r' | sed -En 's/^ *(DisplayName|DisplayIcon|UninstallString) +REG_SZ +/\1=/p' | LC_ALL=C sort) ||
    fail "the installed programs' entry is not the game's"

# Wine's launcher waits for what it starts, which a wrong entry may never end.
"$script" start /unix "$shortcut" &
wait_for window_shows "Bexum Asteroids Game" || fail "no window 'Bexum Asteroids Game' from the Start-menu entry on $DISPLAY within 30 s"
wine wineserver -k

run "$folder\\Uninstall.exe" /S
[ ! -e "$(unix "$folder")" ] || fail "$folder is left: $(ls "$(unix "$folder")")"
[ ! -e "$(unix "$menu")" ] || fail "the Start-menu folder is left"
for key in "$uninstall_key" "$vendor_key"; do
    ! wine reg query "$key" >/dev/null 2>&1 || fail "$key is left"
done
finish installer
