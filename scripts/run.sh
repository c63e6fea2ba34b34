#!/usr/bin/env bash
# Sets everything up, builds and starts Orvantis. Data files given as
# arguments are converted at start-up with the stored settings.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: the Orvantis window cannot open here."
  echo "Convert from the command line instead, for example:"
  echo "  build/cli/orvantis-cli --cal examples/EXAMPLE.CAL examples/SET0101A.ASC"
  exit 0
fi
exec build/app/orvantis "$@"
