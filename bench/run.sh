#!/usr/bin/env bash
# run.sh [RUNS]: builds the converter in Release (into build-bench, or
# $BENCH_BUILD_DIR), generates synthetic data into a temporary folder and
# prints the input throughput in MB/s, the median of RUNS runs (default 5),
# for each conversion and data size.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BENCH_BUILD_DIR:-$root/build-bench}
runs=${1:-5}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVANTIS_GUI=OFF -DORVANTIS_TESTS=OFF >/dev/null
cmake --build "$build" --target orvantis-cli orvantis-gen >/dev/null
gen=$build/bench/orvantis-gen
cli=$build/cli/orvantis-cli

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config # the user's own store stays untouched

now() { date +%s.%N; }

# median_rate FILE OPTIONS...: median MB/s of converting FILE.
median_rate() {
  local file=$1
  shift
  local megabytes rates=()
  megabytes=$(awk -v b="$(stat -c %s "$file")" 'BEGIN { print b / 1e6 }')
  for ((i = 0; i < runs; i++)); do
    local start end
    start=$(now)
    "$cli" --cal "$work/BENCH.CAL" "$@" "$file" >/dev/null
    end=$(now)
    rates+=("$(awk -v mb="$megabytes" -v s="$start" -v e="$end" 'BEGIN { printf "%.2f", mb / (e - s) }')")
  done
  printf '%s\n' "${rates[@]}" | sort -g | awk '{ r[NR] = $1 } END { print (NR % 2) ? r[(NR + 1) / 2] : (r[NR / 2] + r[NR / 2 + 1]) / 2 }'
}

printf '%-34s %-12s %10s %12s\n' "conversion" "size" "input MB" "MB/s"
printf '%-34s %-12s %10s %12s\n' "----------" "----" "--------" "----"
for size in "20000 256" "2000 2048"; do
  read -r spectra pixels <<<"$size"
  "$gen" cal "$work/BENCH.CAL" BENCH01 "$pixels"
  "$gen" data "$work/TEXT.ASC" BENCH01 1 text2 "$spectra" "$pixels"
  "$gen" data "$work/RAW.BIN" BENCH01 1 raw "$spectra" "$pixels"
  while IFS='|' read -r label file options; do
    # shellcheck disable=SC2086 # the options are separate words
    rate=$(median_rate "$work/$file" $options)
    printf '%-34s %-12s %10.1f %12s\n' "$label" "${spectra}x${pixels}" \
      "$(awk -v b="$(stat -c %s "$work/$file")" 'BEGIN { print b / 1e6 }')" "$rate"
  done <<'CASES'
text layout 2 -> .DAT|TEXT.ASC|
text layout 2 -> transposed .DAT|TEXT.ASC|--transpose
binary raw -> .BDT|RAW.BIN|--binary
CASES
done
