#!/usr/bin/env bash
# reg_query_test.sh FILE_TYPE_TEST WINE_RUN [WINE_RUN_OPTIONS...]: the entries
# that the "Associate ASC Files" button leaves, as Wine's own reg tool reads
# them back.
set -euo pipefail
file_type_test=$1
wine_run=("${@:2}")
# One Wine prefix for the button and the query.
[ -n "${WINEPREFIX:-}" ] || exec "${wine_run[@]}" --session "$0" "$@"

"${wine_run[@]}" "$file_type_test" yesRegistersAndSecondPressNamesOwnType >/dev/null
program='Z:'$(realpath "$file_type_test" | tr / '\\')
classes='HKCU\Software\Classes'

# expect KEY TEXT: the key's default value is a REG_SZ holding exactly TEXT.
expect() {
  local output
  output=$("${wine_run[@]}" reg query "$classes\\$1" /ve | tr -d '\r')
  if ! grep -qxF "    (Default)    REG_SZ    $2" <<<"$output"; then
    echo "FAIL: $classes\\$1 holds:"
    echo "$output"
    exit 1
  fi
  echo "ok: $1 = $2"
}

expect '.ASC' 'Tidelume.ASC'
expect 'Tidelume.ASC' 'Tidelume Ascii Files'
expect 'Tidelume.ASC\DefaultIcon' "$program,1"
expect 'Tidelume.ASC\shell\open\command' "\"$program\" \"%1\""
