#!/usr/bin/env bash
# build.sh DIR [cmake options...]: configures DIR with the options given (on
# every run, so that an option given later is never silently dropped) and
# builds into it. DIR is taken from the folder the script is called from.
set -euo pipefail
dir=$(realpath -m "$1")
shift
root=$(cd "$(dirname "$0")/.." && pwd)
cmake -S "$root" -B "$dir" -G Ninja "$@"
cmake --build "$dir"
