#!/usr/bin/env bash
# setup_under_wine.sh SETUP.exe VERSION: one silent install and uninstall of
# the setup program in a fresh Wine prefix, for the user alone as a user
# without administrator rights gets it. The installed converter runs from
# the installed folder; the file types, the Start-menu entry and the "Apps"
# entry are written; the uninstaller leaves no program file and no key it
# wrote, gives .ASC back to the type it had before and keeps the settings.
# Prints each difference; exits 1 when there is any.
set -euo pipefail
setup=$(realpath "$1")
version=$2
# shellcheck source=wine_test_support.sh
source "$(dirname "$0")/wine_test_support.sh"
start_wine_test "$0" "$@"

export WINEPREFIX=$work/prefix # fresh: nothing installed before
trap 'wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true; rm -rf "$work"' EXIT
wine() { LC_ALL=C.UTF-8 "$wine_run" "$@" 2>/dev/null | tr -d '\r'; }
classes='HKCU\Software\Classes'
apps='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvantis'

default_of() { wine reg query "$1" /ve | sed -n 's/^ *(Default) *REG_SZ *//p'; }
key_exists() { wine reg query "$1" >/dev/null 2>&1 && [ -n "$(wine reg query "$1")" ]; }

# Another program's .ASC type, and a setting of Orvantis's own.
wine reg add "$classes\\.ASC" /ve /d Other.Type /f >/dev/null
wine reg add 'HKCU\Software\Sorvenhal\Orvantis\Test' /v Kept /d yes /f >/dev/null

wine "$setup" /S /CurrentUser >/dev/null
folder=$(wine cmd /c echo '%LOCALAPPDATA%\Programs\Orvantis')
unix_folder=$(wine winepath -u "$folder")
[ -f "$unix_folder/orvantis.exe" ] || fail "nothing installed in $folder"
answer=$(wine "$folder\\orvantis-cli.exe" --version) || true
[ "$answer" = "Orvantis $version" ] || fail "the installed converter answers \"$answer\""
[ "$(default_of "$classes\\.ASC")" = Tidelume.ASC ] || fail ".ASC is not Orvantis's"
[ "$(default_of "$classes\\.BIN")" = Tidelume.BIN ] || fail ".BIN is not Orvantis's"
grep -qF "$folder\\orvantis.exe" <<<"$(default_of "$classes\\Tidelume.ASC\\shell\\open\\command")" ||
  fail "the open command does not name the installed program"
[ "$(wine reg query "$apps" /v DisplayVersion | awk '/DisplayVersion/ { print $3 }')" = "$version" ] ||
  fail "no \"Apps\" entry"
start_menu=$(wine winepath -u "$(wine cmd /c echo '%APPDATA%')\Microsoft\Windows\Start Menu\Programs")
[ -f "$start_menu/Orvantis.lnk" ] || fail "no Start-menu entry"

uninstaller="$folder\\Uninstall Orvantis.exe"
[ "$(wine reg query "$apps" /v QuietUninstallString | sed -n 's/^ *QuietUninstallString *REG_SZ *//p')" = \
  "\"$uninstaller\" /S" ] || fail "\"Apps\" does not name the uninstaller"
wine "$uninstaller" /S >/dev/null
wineserver -w # the uninstaller goes on in a copy of itself
[ ! -e "$unix_folder" ] || fail "left in the installed folder: $(ls -A "$unix_folder")"
[ ! -e "$start_menu/Orvantis.lnk" ] || fail "the Start-menu entry is left"
[ "$(default_of "$classes\\.ASC")" = Other.Type ] || fail ".ASC is not given back to its earlier type"
for key in "$classes\\.BIN" "$classes\\Tidelume.ASC" "$classes\\Tidelume.BIN" "$apps"; do
  ! key_exists "$key" || fail "$key is left"
done
[ "$(wine reg query 'HKCU\Software\Sorvenhal\Orvantis\Test' /v Kept | awk '/Kept/ { print $3 }')" = yes ] ||
  fail "a setting is gone"

[ $failures = 0 ]
