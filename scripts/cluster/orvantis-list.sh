#!/usr/bin/env bash
# orvantis-list.sh DIR...: lists the data files (.ASC, .BIN in any case) under
# the folders given, one path a line, sorted, for orvantis-array.sbatch or GNU
# parallel. Paths are as given: relative folders give relative paths.
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: orvantis-list.sh DIR..." >&2; exit 2; }
find "$@" -type f \( -iname '*.asc' -o -iname '*.bin' \) | LC_ALL=C sort
