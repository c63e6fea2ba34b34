# Sourced by the scripts that test the Windows converter under Wine: the
# Wine runner, one Wine prefix for the whole script, a work folder removed at
# the end, and a count of the differences found.
wine_run=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../../scripts" && pwd)/wine-run.sh

# start_wine_test "$0" "$@": runs the script again in a Wine session of its
# own, unless the caller's session already has a prefix; then makes $work.
start_wine_test() {
  if [ -z "${WINEPREFIX:-}" ]; then
    exec "$wine_run" --session "$@"
  fi
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  failures=0
}

fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}
