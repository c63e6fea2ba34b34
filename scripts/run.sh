#!/usr/bin/env bash
# Sets everything up, builds and starts Orvantis. Data files given as
# arguments are converted at start-up with the stored settings; relative
# paths are taken from the folder the script is called from.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: the Orvantis window cannot open here."
  echo "Convert from the command line instead, for example:"
  echo "  $root/build/cli/orvantis-cli --cal $root/examples/EXAMPLE.CAL $root/examples/SET0101A.ASC"
  exit 0
fi
exec "$root/build/app/orvantis" "$@"
