#!/usr/bin/env bash
# golden_under_wine.sh CONVERTER.exe GOLDEN_DIR EXAMPLES_DIR: converts every
# case of GOLDEN_DIR/cases.txt with the Windows converter under Wine and
# compares output, log, error text and exit status with the stored ones, as
# golden_test.cpp does on Linux. Outputs must match byte for byte; the log and
# error texts may differ only in CR LF line ends and the load-time line. Then
# a file with a non-ASCII name in a folder with a blank must convert to the
# same result. Prints each difference; exits 1 when there is any.
set -euo pipefail
cli=$(realpath "$1")
golden=$(realpath "$2")
examples=$(realpath "$3")
# shellcheck source=wine_test_support.sh
source "$(dirname "$0")/wine_test_support.sh"
start_wine_test "$0" "$@"

# The log as Linux writes it: LF line ends, no load-time line.
plain_log() { tr -d '\r' <"$1" | { grep -v '^Calibration load took' || true; }; }
# Error texts without CR and without the summary's time taken.
plain_err() { tr -d '\r' <"$1" | sed -E 's/ written in [0-9]+\.[0-9] s$/ written in T s/'; }

# check_case DIR COPY OUTPUT EXPECTED_NAME OPTIONS...: converts DIR/COPY and
# compares with the stored results of EXPECTED_NAME.
check_case() {
  local dir=$1 copy=$2 output=$3 expected=$golden/expected/$4 status=0
  shift 4
  (cd "$dir" && "$wine_run" "$cli" --cal EXAMPLE.CAL "$@" "$copy" >run.log 2>run.err) || status=$?
  [ "$status" = "$(cat "$expected.status")" ] || fail "$copy: exit status $status, expected $(cat "$expected.status")"
  if [ -f "$expected" ]; then
    cmp -s "$dir/$output" "$expected" || fail "$copy: output $output differs"
  elif [ -e "$dir/$output" ]; then
    fail "$copy: no output expected, $output written"
  fi
  diff <(plain_log "$dir/run.log") "$expected.log" >/dev/null || fail "$copy: log differs"
  diff <(plain_err "$dir/run.err") "$expected.err" >/dev/null || fail "$copy: error text differs"
}

cases=0
while read -r input copy output options; do
  case $input in '' | '#'*) continue ;; esac
  source=$golden/inputs/$input
  [ -f "$source" ] || source=$examples/$input
  dir=$work/case$cases
  mkdir "$dir"
  cp "$examples/EXAMPLE.CAL" "$source" "$dir/"
  [ "$(basename "$source")" = "$copy" ] || mv "$dir/$(basename "$source")" "$dir/$copy"
  # shellcheck disable=SC2086 # the options are separate words
  check_case "$dir" "$copy" "$output" "$output" $options
  cases=$((cases + 1))
done <"$golden/cases.txt"

# A Unicode name in a folder with a blank: the name appears in the output's
# header and in the log, so the results are compared under the golden name.
dir="$work/with blank"
mkdir "$dir"
cp "$examples/EXAMPLE.CAL" "$dir/"
cp "$examples/SET0101A.ASC" "$dir/Séance_Ω.ASC"
(cd "$dir" && "$wine_run" "$cli" --cal EXAMPLE.CAL --level 4 "Séance_Ω.ASC" >run.log 2>run.err) ||
  fail "Séance_Ω.ASC: exit status $?"
if [ -f "$dir/Séance_Ω.DAT" ]; then
  cmp -s <(sed 's/Séance_Ω/A_L4/g' "$dir/Séance_Ω.DAT") "$golden/expected/A_L4.DAT" || fail "Séance_Ω.DAT differs"
else
  fail "Séance_Ω.ASC: no output Séance_Ω.DAT"
fi
diff <(plain_log "$dir/run.log" | sed 's/Séance_Ω/A_L4/g') "$golden/expected/A_L4.DAT.log" >/dev/null ||
  fail "Séance_Ω.ASC: log differs"
[ -z "$(ls -A "$dir" | grep '\.part$' || true)" ] || fail "a temporary .part file was left behind"

# A batch converted on three threads gives what the same batch converted
# one file after the other gives: outputs, log, error texts, exit status.
batch=(SET0101A.ASC SET0101B.ASC SET0102A.BIN Séance_Ω.ASC NOTDATA.ASC MISSING.ASC)
for jobs in 1 3; do
  dir=$work/jobs$jobs
  mkdir "$dir"
  cp "$examples"/EXAMPLE.CAL "$examples"/SET0101A.ASC "$examples"/SET0101B.ASC "$examples"/SET0102A.BIN "$dir/"
  cp "$examples/SET0101A.ASC" "$dir/Séance_Ω.ASC"
  echo "not data" >"$dir/NOTDATA.ASC"
  status=0
  (cd "$dir" && "$wine_run" "$cli" --cal EXAMPLE.CAL --jobs $jobs "${batch[@]}" >run.log 2>run.err) || status=$?
  echo "$status" >"$dir/run.status"
done
[ "$(cat "$work/jobs1/run.status")" = 1 ] || fail "batch: exit status $(cat "$work/jobs1/run.status"), expected 1"
for file in run.status SET0101A.DAT SET0101B.DAT SET0102A.DAT Séance_Ω.DAT; do
  cmp -s "$work/jobs1/$file" "$work/jobs3/$file" || fail "batch with --jobs 3: $file differs"
done
diff <(plain_err "$work/jobs1/run.err") <(plain_err "$work/jobs3/run.err") >/dev/null ||
  fail "batch with --jobs 3: error texts differ"
diff <(plain_log "$work/jobs1/run.log") <(plain_log "$work/jobs3/run.log") >/dev/null ||
  fail "batch with --jobs 3: log differs"
cmp -s <(tr -d '\r' <"$work/jobs3/run.log") "$work/jobs3/run.log" &&
  fail "batch with --jobs 3: the log lost its CR LF line ends"
[ "$(grep -c $'\r\r' "$work/jobs3/run.log")" = 0 ] || fail "batch with --jobs 3: doubled CR in the log"

echo "$cases golden conversions, one Unicode name and a parallel batch under Wine: $failures failed"
[ "$failures" = 0 ]
