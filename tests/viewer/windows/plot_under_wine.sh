#!/usr/bin/env bash
# plot_under_wine.sh PROGRAM.exe OUTPUTFILE QT_PREFIX: the Windows program draws an
# output file into a PNG under Wine without showing a window, and refuses an
# SVG image, which the Windows build cannot write, with a reason on its
# standard error and no file left behind. Prints each difference; exits 1
# when there is any.
set -euo pipefail
program=$(realpath "$1")
output=$(realpath "$2")
export ORVANTIS_WINDOWS_QT=$3 # the Qt DLLs the program loads
# shellcheck source=../../cli/windows/wine_test_support.sh
source "$(dirname "$0")/../../cli/windows/wine_test_support.sh"
start_wine_test "$0" "$@"

winpath() { echo "Z:${1//\//\\}"; }

status=0
"$wine_run" "$program" --plot "$(winpath "$output")" --output "$(winpath "$work/plot.png")" \
  >"$work/out.txt" 2>&1 || status=$?
[ $status = 0 ] || fail "--plot to a PNG ended with $status: $(cat "$work/out.txt")"
if [ "$(head -c 8 "$work/plot.png" 2>/dev/null | od -An -tx1 | tr -d ' \n')" != 89504e470d0a1a0a ]; then
  fail "no PNG written"
elif [ "$(stat -c %s "$work/plot.png")" -lt 10000 ]; then
  fail "the PNG holds no plot: $(stat -c %s "$work/plot.png") bytes"
fi

status=0
"$wine_run" "$program" --plot "$(winpath "$output")" --output "$(winpath "$work/plot.svg")" \
  >"$work/out.txt" 2>&1 || status=$?
[ $status = 1 ] || fail "--plot to an SVG ended with $status, not 1"
grep -q 'SVG export is not in this build of Orvantis' "$work/out.txt" || fail "no reason given: $(cat "$work/out.txt")"
[ -z "$(find "$work" -name '*.svg*')" ] || fail "a file was left: $(find "$work" -name '*.svg*')"

[ $failures = 0 ]
