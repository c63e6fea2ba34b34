#!/usr/bin/env bash
# stopped_batch_under_wine.sh CONVERTER.exe EXAMPLES_DIR: kills a --jobs 2
# run of the Windows converter under Wine once both of its conversions
# write, then checks that no output is put in place afterwards (they are
# threads of the one process) and that one clean run after it leaves no
# temporary and writes both outputs whole. Prints each difference; exits 1 when there is any.
set -euo pipefail
cli=$(realpath "$1")
examples=$(realpath "$2")
# shellcheck source=wine_test_support.sh
source "$(dirname "$0")/wine_test_support.sh"
start_wine_test "$0" "$@"

# Two recordings long enough that their conversion is still going on when
# the run is stopped: the example's spectra over and over.
cp "$examples/EXAMPLE.CAL" "$work/"
for name in BIG1 BIG2; do
  { head -n 4 "$examples/SET0101A.ASC"
    for _ in $(seq 3000); do tail -n +5 "$examples/SET0101A.ASC"; done
  } >"$work/$name.ASC"
  echo "the previous output" >"$work/$name.DAT"
done

temporaries() { find "$work" -maxdepth 1 -name '.*.part' | wc -l; }

# Bounded waits on a condition, never a fixed sleep.
wait_until() {
  local tries=0
  until "$@"; do
    tries=$((tries + 1))
    [ $tries -lt 6000 ] || return 1
    sleep 0.01
  done
}
both_writing() { [ "$(temporaries)" -ge 2 ]; }
none_alive() {
  local pid
  for pid in "$@"; do kill -0 "$pid" 2>/dev/null && return 1; done
  return 0
}

(cd "$work" && "$wine_run" "$cli" --jobs 2 --cal EXAMPLE.CAL BIG1.ASC BIG2.ASC >run.log 2>run.err) &
runner=$!
if wait_until both_writing; then
  # Wine runs the program as a process of its own, not as the host's child
  # of the script: it is found by its command line, which starts with the
  # program, unlike the script's that runs it.
  converter=$(pgrep -f -- "^[^ ]*orvantis-cli\.exe --jobs 2 --cal EXAMPLE.CAL BIG1.ASC BIG2.ASC" | head -n 1)
  kill -9 "$converter"
  wait "$runner" || true
  wait_until none_alive "$converter" || fail "the converter went on after it was killed"
  for name in BIG1 BIG2; do
    [ "$(cat "$work/$name.DAT")" = "the previous output" ] || fail "$name.DAT was put in place after the stop"
  done
else
  fail "the two conversions never started writing"
  wait "$runner" || true
fi

status=0
(cd "$work" && "$wine_run" "$cli" --jobs 2 --cal EXAMPLE.CAL BIG1.ASC BIG2.ASC >clean.log 2>clean.err) || status=$?
[ $status = 0 ] || fail "the clean run after the stop exited with $status: $(cat "$work/clean.err")"
[ "$(temporaries)" = 0 ] || fail "temporaries left after a clean run: $(find "$work" -maxdepth 1 -name '.*.part')"
for name in BIG1 BIG2; do
  grep -q "^Source file: $name.ASC" "$work/$name.DAT" || fail "$name.DAT not written by the clean run"
done

echo "a stopped --jobs run under Wine: $failures failed"
[ $failures = 0 ]
