#!/usr/bin/env bash
# make_golden.sh CONVERTER: converts the example data set as data/golden/cases.txt
# lists and stores the outputs as the golden files that golden_test.cpp checks.
set -euo pipefail
cli=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
examples=$here/../../examples
golden=$here/data/golden
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$examples/EXAMPLE.CAL" "$work/"
grep -v '^#' "$golden/cases.txt" | while read -r example copy output options; do
  cp "$examples/$example" "$work/$copy"
  # shellcheck disable=SC2086 # the options are separate words
  (cd "$work" && "$cli" --cal EXAMPLE.CAL $options "$copy" >/dev/null)
  cp "$work/$output" "$golden/$output"
done
