#!/usr/bin/env bash
# Sets everything up, then builds and runs every test: a plain build, a build
# with AddressSanitizer and UndefinedBehaviorSanitizer, and a short fuzz run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

echo "== plain build"
scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANTIS_WERROR=ON
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== sanitizer build"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp
scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DORVANTIS_WERROR=ON -DORVANTIS_SANITIZE=ON
ctest --test-dir build-asan --output-on-failure -j "$jobs"

echo "== fuzz run"
scripts/build.sh build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DORVANTIS_FUZZ=ON -DORVANTIS_GUI=OFF -DORVANTIS_TESTS=OFF
fuzz/run.sh build-fuzz "${FUZZ_SECONDS:-30}"
