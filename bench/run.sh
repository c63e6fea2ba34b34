#!/usr/bin/env bash
# run.sh [RUNS]: benchmarks the converter against what a user would do
# without it, side by side in one run, the median of RUNS runs each (at
# least and by default 5):
#   text data to rows and to columns, vs a pandas script doing the same;
#   binary data to binary output, vs cp of a file of the output's size;
#   binary data to NetCDF output, vs the same data to binary output;
#   peak memory of every conversion and of a very long transposed one;
#   two files, and a season of 60 small casts to NetCDF, with --jobs 2 vs one
#   after the other.
# Prints each figure with its ratio and goal, writes the tables into
# bench/README.md between its markers and the chart bench/performance.svg.
#
# Builds in Release into build-bench (or $BENCH_BUILD_DIR). Needs hyperfine,
# GNU time and Debian's python3-pandas (for /usr/bin/python3); as root it
# installs whichever is missing, otherwise it names them and stops.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BENCH_BUILD_DIR:-$root/build-bench}
runs=${1:-5}
readme=$root/bench/README.md
chart=$root/bench/performance.svg
pandas_python=/usr/bin/python3 # Debian's, where python3-pandas installs
memory_goal_mb=64
begin_marker='<!-- performance table: written by bench/run.sh -->'
end_marker='<!-- end of performance table -->'

check_tools() {
  local missing=()
  command -v hyperfine >/dev/null || missing+=(hyperfine)
  [ -x /usr/bin/time ] || missing+=(time)
  "$pandas_python" -c 'import pandas' 2>/dev/null || missing+=(python3-pandas)
  [ ${#missing[@]} -eq 0 ] && return
  if [ "$(id -u)" -ne 0 ]; then
    echo "run.sh needs these Debian packages: ${missing[*]}" >&2
    echo "Install them as root: apt-get install ${missing[*]}" >&2
    exit 1
  fi
  echo "Installing: ${missing[*]}"
  DEBIAN_FRONTEND=noninteractive apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build_tools() {
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVANTIS_GUI=OFF -DORVANTIS_TESTS=OFF >/dev/null
  cmake --build "$build" --target orvantis-cli orvantis-gen >/dev/null
  gen=$build/bench/orvantis-gen
  cli=$build/cli/orvantis-cli
}

# --- data -------------------------------------------------------------------

# make_data NAME LAYOUT SPECTRA PIXELS [CHANNEL]: a data file in the work folder.
make_data() {
  "$gen" data "$work/$1" BENCH01 "${5:-1}" "$2" "$3" "$4"
}

make_all_data() {
  echo "Generating data in $work ..."
  "$gen" cal "$work/CAL256.CAL" BENCH01 256
  "$gen" cal "$work/CAL2048.CAL" BENCH01 2048
  make_data TEXT256A.ASC text2 20000 256
  make_data TEXT256B.ASC text2 20000 256 2
  make_data RAW256.BIN raw 20000 256
  make_data RAW256B.BIN raw 20000 256 2
  make_data TEXT2048.ASC text2 2000 2048
  make_data LONG256.ASC text2 200000 256
  local cast
  for cast in $(seq -w 1 60); do
    make_data "CAST$cast.ASC" text2 500 256
  done
}

# The number of header lines before the first data line.
header_lines() {
  awk '/^[-.0-9]/ { print NR - 1; exit }' "$1"
}

# --- commands (strings, as hyperfine runs them through the shell) ------------

# convert CAL OPTIONS... FILES...: the converter, with $job_count jobs (1
# unless set).
convert() {
  local cal=$1
  shift
  printf 'cd %q && %q --cal %q --jobs %d %s' "$work" "$cli" "$cal" "${job_count:-1}" "$*"
}

# pandas FILE [--transpose]
pandas() {
  printf '%q %q %q %q %q %s' "$pandas_python" "$root/bench/pandas_convert.py" "$work/$1" \
    "$(header_lines "$work/$1")" "$work/PANDAS.CSV" "${2:-}"
}

# --- measuring --------------------------------------------------------------

# median_seconds COMMAND
median_seconds() {
  hyperfine --runs "$runs" --style none --export-json "$work/timing.json" "$1" >/dev/null
  sed -n 's/.*"median": *\([0-9.eE+-]*\).*/\1/p' "$work/timing.json" | head -n 1
}

# peak_mb COMMAND: the peak resident memory of the command's processes.
peak_mb() {
  /usr/bin/time -f %M -o "$work/peak.txt" sh -c "$1" >/dev/null
  awk '{ printf "%.1f", $1 / 1024 }' "$work/peak.txt"
}

# verdict VALUE OP GOAL: "met" or "not met", with OP ">=" or "<=".
verdict() {
  awk -v v="$1" -v op="$2" -v g="$3" 'BEGIN { ok = op == ">=" ? v >= g : v <= g; print ok ? "met" : "not met" }'
}

# record_memory CASE DATA COMMAND
record_memory() {
  local mb
  mb=$(peak_mb "$3")
  printf '%s\t%s\t%s\t%s\n' "$1" "$2" "$mb" "$(verdict "$mb" "<=" "$memory_goal_mb")" >>"$work/memory.tsv"
  printf '  peak memory %s MB (goal < %s MB)\n' "$mb" "$memory_goal_mb"
}

# compare CASE DATA COMMAND OTHER-NAME OTHER-COMMAND RATIO GOAL
# RATIO says how the two times compare: "faster" (other / ours, goal the
# least) or "slower" (ours / other, goal the most).
compare() {
  local case=$1 data=$2 ours=$3 other=$4 theirs=$5 ratio_kind=$6 goal=$7
  local t_ours t_theirs ratio goal_text met
  echo "$case, $data:"
  t_ours=$(median_seconds "$ours")
  t_theirs=$(median_seconds "$theirs")
  if [ "$ratio_kind" = faster ]; then
    ratio=$(awk -v a="$t_theirs" -v b="$t_ours" 'BEGIN { printf "%.2f", a / b }')
    goal_text=">= ${goal}x"
    met=$(verdict "$ratio" ">=" "$goal")
  else
    ratio=$(awk -v a="$t_ours" -v b="$t_theirs" 'BEGIN { printf "%.2f", a / b }')
    goal_text="<= ${goal}x"
    met=$(verdict "$ratio" "<=" "$goal")
  fi
  printf '  Orvantis %.3f s, %s %.3f s: ratio %sx (goal %s) %s\n' "$t_ours" "$other" "$t_theirs" "$ratio" \
    "$goal_text" "$met"
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$case" "$data" "$t_ours" "$other" "$t_theirs" "$ratio" "$goal_text" \
    "$met" >>"$work/speed.tsv"
  record_memory "$case" "$data" "$ours"
}

# compare_jobs CASE DATA GOAL CAL OPTIONS-AND-FILES...: --jobs 2 against one
# after the other; GOAL the most their time ratio may be (0.59: 1.7 times the
# throughput).
compare_jobs() {
  local case=$1 data=$2 goal=$3
  shift 3
  compare "$case, --jobs 2" "$data" "$(job_count=2 convert "$@")" \
    "one after the other" "$(convert "$@")" slower "$goal"
}

run_all_cases() {
  local size
  for size in "20000 256 TEXT256A.ASC CAL256.CAL" "2000 2048 TEXT2048.ASC CAL2048.CAL"; do
    read -r spectra pixels text cal <<<"$size"
    compare "text -> .DAT" "${spectra}x$pixels" "$(convert "$cal" "$text")" \
      "pandas" "$(pandas "$text")" faster 10
    compare "text -> transposed .DAT" "${spectra}x$pixels" "$(convert "$cal" --transpose "$text")" \
      "pandas" "$(pandas "$text" --transpose)" faster 10
  done
  "$cli" --cal "$work/CAL256.CAL" --binary "$work/RAW256.BIN" >/dev/null
  compare "binary raw -> .BDT" "20000x256" "$(convert CAL256.CAL --binary RAW256.BIN)" \
    "cp" "$(printf 'cp %q %q' "$work/RAW256.BDT" "$work/COPY.BDT")" slower 5
  compare "binary raw -> NetCDF .nc" "20000x256" "$(convert CAL256.CAL --netcdf RAW256.BIN)" \
    ".BDT output" "$(convert CAL256.CAL --binary RAW256.BIN)" slower 2
  local two="2 x 20000x256"
  compare_jobs "two text files -> .DAT" "$two" 0.6 CAL256.CAL TEXT256A.ASC TEXT256B.ASC
  compare_jobs "two text files -> transposed .DAT" "$two" 0.59 CAL256.CAL --transpose TEXT256A.ASC TEXT256B.ASC
  compare_jobs "two binary files -> .BDT" "$two" 0.59 CAL256.CAL --binary RAW256.BIN RAW256B.BIN
  compare_jobs "a season of casts -> NetCDF .nc" "60 x 500x256" 0.99 CAL256.CAL --netcdf CAST*.ASC
  echo "text -> transposed .DAT, 200000x256:"
  record_memory "text -> transposed .DAT" "200000x256" "$(convert CAL256.CAL --transpose LONG256.ASC)"
}

# --- reporting --------------------------------------------------------------

markdown_tables() {
  echo "Measured $(date -u +%Y-%m-%d) on $(nproc) processors, commit $(git -C "$root" describe --always --dirty)," \
    "median of $runs runs; level 4 throughout."
  echo
  echo "| Conversion | Spectra x pixels | Orvantis | Compared with | Its time | Ratio | Goal | |"
  echo "|---|---|---:|---|---:|---:|---|---|"
  awk -F'\t' '{ printf "| %s | %s | %.3f s | %s | %.3f s | %sx | %s | %s |\n", $1, $2, $3, $4, $5, $6, $7, $8 }' \
    "$work/speed.tsv"
  echo
  echo "| Conversion | Spectra x pixels | Peak memory | Goal | |"
  echo "|---|---|---:|---|---|"
  awk -F'\t' -v g="$memory_goal_mb" '{ printf "| %s | %s | %s MB | < %s MB | %s |\n", $1, $2, $3, g, $4 }' \
    "$work/memory.tsv"
  echo
  echo "![Times side by side](performance.svg)"
}

# Replaces what lies between the markers of bench/README.md, adding them at
# the end when there are none.
write_readme() {
  local table=$1
  if ! grep -qF "$begin_marker" "$readme"; then
    printf '\n%s\n%s\n' "$begin_marker" "$end_marker" >>"$readme"
  fi
  awk -v begin="$begin_marker" -v end="$end_marker" -v table="$table" '
    $0 == begin { print; while ((getline line < table) > 0) print line; skipping = 1; next }
    $0 == end { skipping = 0 }
    !skipping { print }' "$readme" >"$work/README.md"
  cp "$work/README.md" "$readme"
}

# A horizontal bar chart: per comparison, our time and the other's, both
# scaled to the longer of the two.
write_chart() {
  awk -F'\t' '
    function esc(text) {
      gsub(/&/, "\\&amp;", text); gsub(/</, "\\&lt;", text); gsub(/>/, "\\&gt;", text)
      return text
    }
    function bar(y, seconds, longest, colour, label) {
      width = 420 * seconds / longest
      printf "<rect x=\"250\" y=\"%d\" width=\"%.1f\" height=\"14\" fill=\"%s\"/>\n", y, width, colour
      printf "<text x=\"%.1f\" y=\"%d\">%s %.3f s</text>\n", 256 + width, y + 11, esc(label), seconds
    }
    { rows[NR] = $0 }
    END {
      height = NR * 48 + 30
      printf "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"860\" height=\"%d\" font-family=\"sans-serif\" font-size=\"12\">\n", height
      printf "<rect width=\"100%%\" height=\"100%%\" fill=\"white\"/>\n"
      printf "<text x=\"10\" y=\"18\" font-weight=\"bold\">Median times (each pair scaled to its longer bar)</text>\n"
      for (i = 1; i <= NR; i++) {
        split(rows[i], f, "\t")
        y = 30 + (i - 1) * 48
        longest = f[3] > f[5] ? f[3] : f[5]
        printf "<text x=\"10\" y=\"%d\">%s</text>\n", y + 12, esc(f[1])
        printf "<text x=\"10\" y=\"%d\" fill=\"#555\">%s, ratio %sx (%s)</text>\n", y + 28, esc(f[2]), f[6], f[8]
        bar(y, f[3], longest, "#2b6cb0", "Orvantis")
        bar(y + 18, f[5], longest, "#a0aec0", f[4])
      }
      print "</svg>"
    }' "$work/speed.tsv" >"$chart"
}

main() {
  if [ "$runs" -lt 5 ]; then
    echo "run.sh: the median needs at least 5 runs" >&2
    exit 2
  fi
  check_tools
  build_tools
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  export XDG_CONFIG_HOME=$work/config # the user's own store stays untouched
  make_all_data
  run_all_cases
  markdown_tables >"$work/tables.md"
  echo
  cat "$work/tables.md"
  write_readme "$work/tables.md"
  write_chart
  echo
  echo "Wrote the tables into $readme and the chart into $chart."
}

main
