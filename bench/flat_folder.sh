#!/usr/bin/env bash
# flat_folder.sh [RUNS]: the converter's time for a folder of 1,000 and of
# 10,000 small casts side by side in it (5 spectra of 256 values each), the
# whole folder named on the command line, one by one (--jobs 1) and with the
# default jobs; the median of RUNS runs (default 3), the outputs removed
# before each. Goal: the run costs as much per file however many files
# share the folder, so 10,000 take about ten times as long as 1,000 (at most
# 12 times).
# Builds in Release into build-bench (or $BENCH_BUILD_DIR).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BENCH_BUILD_DIR:-$root/build-bench}
runs=${1:-3}
goal=12
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVANTIS_GUI=OFF -DORVANTIS_TESTS=OFF >/dev/null
cmake --build "$build" --target orvantis-cli orvantis-gen >/dev/null
gen=$build/bench/orvantis-gen
cli=$build/cli/orvantis-cli

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$gen" cal "$work/BENCH.CAL" BENCH01 256
"$gen" data "$work/CAST.ASC" BENCH01 1 text2 5 256

# make_folder COUNT: a folder of COUNT copies of the cast; prints its path.
make_folder() {
  local folder=$work/casts$1 i
  mkdir "$folder"
  for ((i = 0; i < $1; i++)); do
    cp "$work/CAST.ASC" "$(printf '%s/CAST%05d.ASC' "$folder" "$i")"
  done
  echo "$folder"
}

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

# seconds FOLDER [OPTIONS...]: the median time of converting the folder.
seconds() {
  local folder=$1 times=() run start
  shift
  for ((run = 0; run < runs; run++)); do
    find "$folder" -name '*.DAT' -delete
    start=$(date +%s.%N)
    "$cli" --quiet --cal "$work/BENCH.CAL" "$@" "$folder" 2>/dev/null
    times+=("$(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "%.3f", e - s }')")
  done
  printf '%s\n' "${times[@]}" | median
}

small=$(make_folder 1000)
large=$(make_folder 10000)
printf '%-14s %12s %12s %8s  %s\n' jobs "1,000 files" "10,000 files" ratio "goal (<= ${goal}x)"
for jobs in "--jobs 1" "default"; do
  options=()
  [ "$jobs" = default ] || read -r -a options <<<"$jobs"
  t_small=$(seconds "$small" "${options[@]}")
  t_large=$(seconds "$large" "${options[@]}")
  ratio=$(awk -v a="$t_large" -v b="$t_small" 'BEGIN { printf "%.1f", a / b }')
  met=$(awk -v r="$ratio" -v g="$goal" 'BEGIN { print r <= g ? "met" : "not met" }')
  printf '%-14s %10s s %10s s %7sx  %s\n' "$jobs" "$t_small" "$t_large" "$ratio" "$met"
done
