#!/usr/bin/env bash
# run.sh BUILD_DIR SECONDS: runs each fuzz target of BUILD_DIR for its share of
# SECONDS, seeded from fuzz/corpus/<target>/ (left unchanged), and fails on any
# crash, leak, timeout, memory blow-up or sanitizer report. Inputs that fail
# are kept in BUILD_DIR/fuzz-artifacts/.
set -euo pipefail

if [ $# -lt 1 ]; then
  echo "usage: $0 BUILD_DIR [SECONDS]" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
seconds=${2:-30}

targets=(fuzz_identify fuzz_read_text fuzz_read_binary fuzz_binary_damage fuzz_read_output fuzz_cal_load fuzz_convert
         fuzz_number_scan fuzz_number_format fuzz_cell_parse)
declare -A max_len=([fuzz_identify]=4096 [fuzz_read_text]=16384 [fuzz_read_binary]=16384 [fuzz_binary_damage]=2048
                    [fuzz_read_output]=16384 [fuzz_cal_load]=65536 [fuzz_convert]=65536 [fuzz_number_scan]=1024
                    [fuzz_number_format]=16 [fuzz_cell_parse]=64)
share=$(( seconds / ${#targets[@]} ))
[ "$share" -ge 1 ] || share=1

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# Memory-backed when there is one: some targets write files per input.
work=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
trap 'rm -rf "$work"' EXIT
artifacts="$build/fuzz-artifacts"
mkdir -p "$artifacts"

failed=0
for target in "${targets[@]}"; do
  binary="$build/fuzz/$target"
  if [ ! -x "$binary" ]; then
    echo "fuzz: $binary is missing (configure with -DORVANTIS_FUZZ=ON and build)" >&2
    failed=1
    continue
  fi
  mkdir -p "$work/$target"
  log="$work/$target.log"
  echo "== fuzz $target for ${share}s"
  status=0
  TMPDIR="$work" "$binary" "$work/$target" "$here/corpus/$target" \
    -max_total_time="$share" -max_len="${max_len[$target]}" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$artifacts/$target-" -print_final_stats=1 >"$log" 2>&1 || status=$?
  # A report that did not stop the run still counts.
  if [ "$status" -ne 0 ] || grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:|WARNING: .*Sanitizer' "$log"; then
    echo "fuzz: $target failed (exit $status); its output:" >&2
    tail -n 60 "$log" >&2
    failed=1
  else
    grep -E '^stat::(number_of_executed_units|peak_rss_mb)' "$log" || true
  fi
done
exit "$failed"
