#!/usr/bin/env bash
# Sets up what building and running need, builds the programs and the Python
# module (a Release build without the tests, in build/) and starts Orvantis.
# A build/ that the test command configured is built as it is, programs only.
# Data files given as arguments are converted at start-up with the stored
# settings; relative paths are taken from the folder the script is called from.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" run
if [ ! -f "$root/build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVANTIS_TESTS=OFF >/dev/null
fi
targets=(orvantis-cli)
for optional in orvantis _orvantis; do
  if ninja -C "$root/build" -t targets all 2>/dev/null | grep -q "^$optional:"; then
    targets+=("$optional")
  fi
done
cmake --build "$root/build" --target "${targets[@]}"
echo "Set up and built in ${SECONDS} s."

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: the Orvantis window cannot open here."
  echo "Convert from the command line instead, for example:"
  echo "  $root/build/cli/orvantis-cli --cal $root/examples/EXAMPLE.CAL $root/examples/SET0101A.ASC"
  exit 0
fi
exec "$root/build/app/orvantis" "$@"
