#!/usr/bin/env bash
# viewer.sh: open-and-draw time and peak memory of the spectra viewer for
# normal .DAT outputs of 20,000 and 86,400 spectra of 256 values, and for
# the larger as a transposed .DAT and a binary .BDT: each is converted from
# synthetic data, then drawn headless with orvantis --plot (start-up,
# reading, drawing and writing the PNG; the median of 5 runs). Then how fast
# the viewer answers a pan, a zoom, a step and a wavelength click once the
# larger file is open, as normal and as transposed text. Goals: under 1 s
# for 20,000 spectra; memory about flat in the spectra; the transposed text
# within twice the binary's time and memory; answers well under 100 ms, so
# that panning shows no lag, and a click on 86,400 text spectra under 100 ms.
# Builds in Release into build-bench (or $BENCH_BUILD_DIR).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BENCH_BUILD_DIR:-$root/build-bench}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVANTIS_TESTS=OFF >/dev/null
cmake --build "$build" --target orvantis orvantis-cli orvantis-gen viewer-interaction >/dev/null
[ -x /usr/bin/time ] || { echo "viewer.sh needs GNU time (apt-get install time)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/orvantis-gen" cal "$work/BENCH.CAL" BENCH01 256

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

# convert SPECTRA FORM [OPTIONS...]: converts synthetic data of that many
# spectra in a folder of the form's own; prints the output's path.
convert() {
  local spectra=$1 form=$2
  shift 2
  mkdir -p "$work/$form"
  local data=$work/$form/V$spectra.ASC
  "$build/bench/orvantis-gen" data "$data" BENCH01 1 text2 "$spectra" 256
  "$build/cli/orvantis-cli" --quiet --cal "$work/BENCH.CAL" --level 4 "$@" "$data" >/dev/null 2>&1
  rm "$data"
  ls "$work/$form/V$spectra".*
}

# measure OUTPUT FORM SPECTRA: one line of the table.
measure() {
  local output=$1 seconds=() memory=()
  for run in 1 2 3 4 5; do
    /usr/bin/time -f '%e %M' -o "$work/time" "$build/app/orvantis" --plot "$output" --output "$work/plot.png" \
      2>/dev/null
    read -r s kb <"$work/time"
    seconds+=("$s") memory+=("$kb")
  done
  printf '%-12s %8s %10.1f %12s %14d\n' "$2" "$3" "$(($(stat -c %s "$output") / 1000))e-3" \
    "$(printf '%s\n' "${seconds[@]}" | median)" $(($(printf '%s\n' "${memory[@]}" | median) / 1024))
}

printf '%-12s %8s %10s %12s %14s\n' form spectra "file MB" "open+draw s" "peak memory MB"
measure "$(convert 20000 normal)" "text" 20000
normal=$(convert 86400 normal)
measure "$normal" "text" 86400
transposed=$(convert 86400 transposed --transpose)
measure "$transposed" "transposed" 86400
measure "$(convert 86400 binary --binary)" "binary .BDT" 86400

# Once open: a pan, a zoom, a step to another spectrum and a click on
# another wavelength (its value in every spectrum, then both plots redrawn).
for output in "$normal" "$transposed"; do
  echo "answer times with $(basename "$(dirname "$output")") text open (offscreen, 1200 x 900):"
  "$build/bench/viewer-interaction" "$output" 2>/dev/null
done
