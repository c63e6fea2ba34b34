#!/usr/bin/env bash
# viewer.sh: open-and-draw time and peak memory of the spectra viewer for
# normal .DAT outputs of 20,000 and 86,400 spectra of 256 values: each is
# converted from synthetic data, then drawn headless with orvantis --plot
# (start-up, reading, drawing and writing the PNG; the median of 3 runs),
# then how fast the viewer answers a pan, a zoom and a step once the larger
# file is open. Goals: under 1 s for 20,000 spectra; memory about flat in
# the spectra; answers well under 100 ms, so that panning shows no lag.
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

printf '%-10s %10s %12s %14s\n' spectra "file MB" "open+draw s" "peak memory MB"
for spectra in 20000 86400; do
  data=$work/V$spectra.ASC
  "$build/bench/orvantis-gen" data "$data" BENCH01 1 text2 "$spectra" 256
  "$build/cli/orvantis-cli" --cal "$work/BENCH.CAL" --level 4 "$data" >/dev/null
  output=${data%.ASC}.DAT
  seconds=() memory=()
  for run in 1 2 3; do
    /usr/bin/time -f '%e %M' -o "$work/time" "$build/app/orvantis" --plot "$output" --output "$work/plot.png" \
      2>/dev/null
    read -r s kb <"$work/time"
    seconds+=("$s") memory+=("$kb")
  done
  printf '%-10s %10.1f %12s %14d\n' "$spectra" "$(($(stat -c %s "$output") / 1000))e-3" \
    "$(printf '%s\n' "${seconds[@]}" | median)" $(($(printf '%s\n' "${memory[@]}" | median) / 1024))
done

# Once open: a pan, a zoom and a step to another spectrum of the largest file.
echo "answer times with $spectra spectra open (offscreen, 1200 x 900):"
"$build/bench/viewer-interaction" "$output" 2>/dev/null
