#!/usr/bin/env bash
# screenshots.sh [OUTPUT_DIR]: takes the README's pictures of the main window,
# the message window, the associations window, the help window and the
# spectra viewer, as a user sees them under
# a window manager on a 1280x1024 screen (Xvfb and openbox). Needs a build in
# build/ (scripts/run.sh or scripts/test.sh makes one).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$root/docs}")
program=$root/build/app/orvantis

missing=()
for tool in Xvfb openbox xdotool import; do
  command -v "$tool" >/dev/null || missing+=("$tool")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends xvfb openbox xdotool imagemagick >/dev/null
fi
[ -x "$program" ] || { echo "screenshots: build the program first ($program is missing)" >&2; exit 1; }

work=$(mktemp -d)
display=:$((100 + RANDOM % 800))
cleanup() {
  kill "${viewer:-}" "${app:-}" "${wm:-}" "${xvfb:-}" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
sleep 1
openbox >/dev/null 2>&1 &
wm=$!
sleep 1

# A user's first steps: the examples, their calibration remembered, debug on.
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
mkdir -p "$work/examples" "$out"
cp "$root"/examples/* "$work/examples/"
"$root/build/cli/orvantis-cli" associate TDL0417 "$work/examples/EXAMPLE.CAL" >/dev/null

window_of() { xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1; }
shoot() { sleep 1; import -window "$(window_of "$1")" -frame "$out/$2"; echo "wrote $out/$2"; }
click() { xdotool mousemove --window "$(window_of "$1")" "$2" "$3" click 1; }

(cd "$work/examples" && exec "$program") &
app=$!
main=$(window_of "Orvantis 1.33")
xdotool windowmove "$main" 40 40
click "Orvantis 1.33" 300 60                 # the input list
xdotool type --delay 5 "$work/examples/SET0101A.ASC"
click "Orvantis 1.33" 160 248                # Show Debug Info
shoot "Orvantis 1.33" main-window.png
click "Orvantis 1.33" 300 316                # Perform Cal
shoot "FrmMessage" message-window.png
xdotool windowactivate --sync "$main"
click "Orvantis 1.33" 212 284                # Change Cal File Associations
shoot "Change Calibration Associations" associations-window.png
click "Change Calibration Associations" 510 254   # Cancel
xdotool windowactivate --sync "$main"
click "Orvantis 1.33" 60 284                 # Help
shoot "Orvantis Help" help-window.png

# The spectra viewer on the output of the conversion above: a few spectra on,
# a wavelength clicked for the plot below.
"$program" --view "$work/examples/SET0101A.DAT" &
viewer=$!
spectra=$(window_of "Orvantis Spectra - SET0101A.DAT")
xdotool windowmove "$spectra" 40 40
xdotool windowactivate --sync "$spectra"
xdotool key Right Right Right
click "Orvantis Spectra - SET0101A.DAT" 330 250
shoot "Orvantis Spectra - SET0101A.DAT" viewer.png
kill "$viewer"
wait "$viewer" 2>/dev/null || true # a window going while xdotool searches fails the search

# Ed and Lu of one cast straight from the recordings, with their associated
# calibration: both channels at one wavelength.
"$program" --view "$work/examples/SET0101A.ASC" "$work/examples/SET0101B.ASC" &
viewer=$!
both="Orvantis Spectra - SET0101A\.ASC \+ SET0101B\.ASC" # a pattern, as window_of takes
channels=$(window_of "$both")
xdotool windowmove "$channels" 40 40
xdotool windowactivate --sync "$channels"
xdotool key Right Right Right
click "$both" 330 250
shoot "$both" viewer-two-channels.png
kill "$viewer"
wait "$viewer" 2>/dev/null || true

# A profile: a synthetic down-cast of 600 spectra to 30 m, Ed and Lu with
# the calibration given, the value at the clicked wavelength against depth.
"$root/build/bench/orvantis-gen" cal "$work/examples/CAST.CAL" CAST01 256
"$root/build/bench/orvantis-gen" data "$work/examples/CAST01A.ASC" CAST01 1 text2 600 256
"$root/build/bench/orvantis-gen" data "$work/examples/CAST01B.ASC" CAST01 2 text2 600 256
"$program" --view "$work/examples/CAST01A.ASC" "$work/examples/CAST01B.ASC" --cal "$work/examples/CAST.CAL" &
viewer=$!
cast="Orvantis Spectra - CAST01A\.ASC \+ CAST01B\.ASC"
profile=$(window_of "$cast")
xdotool windowmove "$profile" 40 40
xdotool windowsize "$profile" 900 1000
xdotool windowactivate --sync "$profile"
click "$cast" 330 250
click "$cast" 795 977                        # against spectrum number or depth
xdotool key Down Return
shoot "$cast" viewer-profile.png
