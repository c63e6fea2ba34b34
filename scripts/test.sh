#!/usr/bin/env bash
# Sets everything up, then builds and runs every test: a plain build, its
# Debian package and its conversions as a Slurm job array, a build with
# AddressSanitizer and UndefinedBehaviorSanitizer, a short fuzz run, and the
# Windows build with its tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)
results=$(mktemp)
trap 'rm -f "$results"' EXIT

# stage NAME: announces the next stage with the minutes and seconds spent so far,
# so that a slow stage shows in any run's log.
stage() {
  printf '== %s (at %dm%02ds)\n' "$1" $((SECONDS / 60)) $((SECONDS % 60))
}

# run_ctest DIR: runs one build's tests and keeps its summary line.
run_ctest() {
  ctest --test-dir "$1" --output-on-failure -j "$jobs" | tee -a "$results"
}

stage "plain build"
scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANTIS_WERROR=ON -DORVANTIS_TESTS=ON
run_ctest build

stage "Debian package"
scripts/package-check.sh build

stage "a season on a one-node Slurm"
scripts/cluster/test-slurm.sh build

stage "sanitizer build"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DORVANTIS_WERROR=ON -DORVANTIS_SANITIZE=ON
run_ctest build-asan

stage "fuzz run"
scripts/build.sh build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DORVANTIS_FUZZ=ON -DORVANTIS_GUI=OFF -DORVANTIS_TESTS=OFF
fuzz/run.sh build-fuzz "${FUZZ_SECONDS:-50}"

stage "Windows build, tests under Wine"
scripts/build-windows.sh --test build-windows | tee -a "$results"

# One closing line over every build ("N passed, N failed"); failures stopped the run above.
stage "done"
awk '/tests passed, .* tests failed out of/ { total += $NF; failed += $4 }
     END { printf "summary: %d passed, %d failed\n", total - failed, failed }' "$results"
