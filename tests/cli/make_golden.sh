#!/usr/bin/env bash
# make_golden.sh CONVERTER: converts the inputs that data/golden/cases.txt
# lists and stores each output (none when the conversion wrote none), its log
# (stdout), its error text (stderr) and its exit status in
# data/golden/expected, as golden_test.cpp checks them.
set -euo pipefail
cli=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
examples=$here/../../examples
golden=$here/data/golden
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config
cp "$examples/EXAMPLE.CAL" "$work/"
rm -f "$golden"/expected/*
grep -v '^#' "$golden/cases.txt" | while read -r input copy output options; do
  source=$golden/inputs/$input
  [ -f "$source" ] || source=$examples/$input
  cp "$source" "$work/$copy"
  # shellcheck disable=SC2086 # the options are separate words
  rm -f "$work/$output"
  status=0
  (cd "$work" && "$cli" --cal EXAMPLE.CAL $options "$copy" >run.log 2>"$golden/expected/$output.err") || status=$?
  grep -v '^Calibration load took' "$work/run.log" >"$golden/expected/$output.log" || true
  # The summary's time taken differs from run to run.
  sed -i -E 's/ written in [0-9]+\.[0-9] s$/ written in T s/' "$golden/expected/$output.err"
  echo "$status" >"$golden/expected/$output.status"
  if [ -f "$work/$output" ]; then
    cp "$work/$output" "$golden/expected/$output"
  fi
done
