#!/usr/bin/env bash
# flat_folder.sh [RUNS]: the converter's time for a folder of 1,000 and of
# 10,000 small casts side by side in it (5 spectra of 256 values each), the
# whole folder named on the command line, one by one (--jobs 1) and with the
# default jobs; the median of RUNS runs (default 3), the outputs removed
# before each. Shown are the time taken, the processor time of the
# converter's own code (user) and that of the system working for it: the
# last two hold each output's creation and sync in a folder of 20,000 names,
# which the file system makes dearer per file the larger the folder, and
# whose wait depends on what else the machine writes. Goal: the converter's
# own work costs as much per file however many files share the folder, so
# 10,000 take about ten times the user time of 1,000 (at most 12).
# Builds in Release into build-bench (or $BENCH_BUILD_DIR).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BENCH_BUILD_DIR:-$root/build-bench}
runs=${1:-3}
goal=12
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVANTIS_GUI=OFF -DORVANTIS_TESTS=OFF >/dev/null
cmake --build "$build" --target orvantis-cli orvantis-gen >/dev/null
[ -x /usr/bin/time ] || { echo "flat_folder.sh needs GNU time (apt-get install time)" >&2; exit 1; }
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

# seconds FOLDER [OPTIONS...]: the median time taken, user time and system
# time of converting the folder, "TAKEN USER SYSTEM".
seconds() {
  local folder=$1 taken=() user=() system=() run t u s
  shift
  for ((run = 0; run < runs; run++)); do
    find "$folder" -name '*.DAT' -delete
    /usr/bin/time -f '%e %U %S' -o "$work/time" "$cli" --quiet --cal "$work/BENCH.CAL" "$@" "$folder" 2>/dev/null
    read -r t u s <"$work/time"
    taken+=("$t") user+=("$u") system+=("$s")
  done
  echo "$(printf '%s\n' "${taken[@]}" | median) $(printf '%s\n' "${user[@]}" | median)" \
    "$(printf '%s\n' "${system[@]}" | median)"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", a / b }'; }

# line JOBS WHAT SMALL LARGE [VERDICT]
line() {
  printf '%-9s %-11s %9s s %10s s %6sx  %s\n' "$1" "$2" "$3" "$4" "$(ratio "$4" "$3")" "${5:-}"
}

small=$(make_folder 1000)
large=$(make_folder 10000)
printf '%-9s %-11s %11s %12s %7s  %s\n' jobs "" "1,000 files" "10,000 files" ratio "goal (user <= ${goal}x)"
for jobs in "--jobs 1" "default"; do
  options=()
  [ "$jobs" = default ] || read -r -a options <<<"$jobs"
  read -r taken_small user_small system_small <<<"$(seconds "$small" "${options[@]}")"
  read -r taken_large user_large system_large <<<"$(seconds "$large" "${options[@]}")"
  met=$(awk -v r="$(ratio "$user_large" "$user_small")" -v g="$goal" 'BEGIN { print r <= g ? "met" : "not met" }')
  line "$jobs" "time taken" "$taken_small" "$taken_large"
  line "" "user" "$user_small" "$user_large" "$met"
  line "" "system" "$system_small" "$system_large"
done
