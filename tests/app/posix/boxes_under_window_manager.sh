#!/usr/bin/env bash
# boxes_under_window_manager.sh PROGRAM CONVERTER EXAMPLES: a user answers the
# boxes of a run, on a display of its own with a window manager (Xvfb and
# openbox), with the mouse and the keyboard through xdotool, once the
# progress dialog's time has come:
#   - "Perform Cal" on an instrument met for the first time: OK clicked on
#     the question, the calibration file typed into the open-file dialog; the
#     file converts and the choice is stored;
#   - "Perform Cal" with a damaged file first: Enter on its box, and the run
#     goes on with the next file;
#   - the start-up conversion of `orvantis DATAFILE` (a double-click on a
#     data file) with the same question, answered with the mouse.
# Prints each failure; exits 1 when there is any.
set -euo pipefail
program=$(realpath "$1")
converter=$(realpath "$2")
examples=$(realpath "$3")

for tool in Xvfb openbox xdotool; do
  command -v "$tool" >/dev/null || { echo "$tool is missing: scripts/setup.sh installs it" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/boxes.XXXXXX")
xvfb='' wm='' app=''
stop() { # PID...: ends the processes this script started
  local pid
  for pid in "$@"; do
    [ -n "$pid" ] || continue
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
}
cleanup() {
  stop "$app" "$wm" "$xvfb"
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
folder='' box=''
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

microseconds() { echo "${EPOCHREALTIME//[!0-9]/}"; }
# Polls a condition ten times a second until it holds or SECONDS have passed;
# false when it never held.
within() {
  local deadline=$(($(microseconds) + $1 * 1000000))
  shift
  until "$@"; do
    (($(microseconds) < deadline)) || return 1
    sleep 0.1
  done
}

# A display of its own, on a free number that Xvfb picks itself.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
displayed() { [ -s "$work/display" ]; }
within 30 displayed || { cat "$work/xvfb.log" >&2; echo "Xvfb did not start" >&2; exit 1; }
DISPLAY=:$(head -n 1 "$work/display")
export DISPLAY
export QT_QPA_PLATFORM=xcb XDG_CACHE_HOME=$work/cache
unset WAYLAND_DISPLAY
openbox >"$work/openbox.log" 2>&1 &
wm=$!
managing() { xdotool get_num_desktops >/dev/null 2>&1; } # a window manager's property
within 30 managing || { cat "$work/openbox.log" >&2; echo "openbox did not start" >&2; exit 1; }

# The ids of the visible windows titled exactly TITLE, one a line.
windows_titled() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true; }
shown() { [ -n "$(windows_titled "$1")" ]; }
gone() { [ -z "$(windows_titled "$1")" ]; }
# The one visible window titled TITLE, once there is one.
window_titled() {
  within 30 shown "$1" || return 1
  windows_titled "$1" | head -n 1
}
two_boxes() { [ "$(windows_titled Orvantis | wc -l)" -gt 1 ]; }
exists() { [ -e "$1" ]; }
ended() { ! kill -0 "$app" 2>/dev/null; }

main_window() { window_titled "Orvantis [0-9.]*"; }
click_at() { # WINDOW X Y: X and Y from the window's right and bottom edges when negative
  local x=$2 y=$3 size_WIDTH size_HEIGHT
  eval "$(xdotool getwindowgeometry --shell --prefix size_ "$1" | grep -E '^size_(WIDTH|HEIGHT)=')"
  ((x >= 0)) || x=$((size_WIDTH + x))
  ((y >= 0)) || y=$((size_HEIGHT + y))
  xdotool mousemove --window "$1" "$x" "$y" click 1
}
press() { # WINDOW KEY
  xdotool windowactivate --sync "$1" key "$2"
}

# The run's first box, in $box, once the progress dialog's time has passed
# with the box up: a second into the run, and the four seconds after which
# a progress dialog shows itself. The progress dialog must not show beside
# it; it may have shown before the box did, on a slow machine.
await_box() {
  window_titled Orvantis >/dev/null || { fail "$1: no box"; return 1; }
  if within 5 two_boxes; then
    fail "$1: the progress dialog shows with the box"
  fi
  box=$(windows_titled Orvantis | head -n 1)
}
click_ok() { click_at "$1" -50 -22; }

# The open-file dialog takes the calibration file typed in.
choose_cal_file() {
  local dialog
  dialog=$(window_titled Open) || { fail "$1: the question gave no open-file dialog"; return 1; }
  xdotool windowactivate --sync "$dialog" type --delay 5 "$2"
  xdotool key Return # the name's Return accepts, with its completion list up too
  within 30 gone Open || fail "$1: the open-file dialog took no file"
}

associated() { "$converter" associations | grep -qxF "TDL0417 -> $1"; }

# A scenario's folder, with a store of its own.
scenario_folder() {
  folder=$work/$1
  mkdir -p "$folder"
  export XDG_CONFIG_HOME=$folder/config XDG_DATA_HOME=$folder/data
}

start_program() { # [ARGUMENT...]
  (cd "$folder" && exec "$program" "$@") >"$folder/program.log" 2>&1 &
  app=$!
}

perform_cal() { # FILE...: types the files into the input list and presses Perform Cal
  local main file
  main=$(main_window) || { fail "no main window"; return 1; }
  click_at "$main" 300 60 # the input list
  for file in "$@"; do
    xdotool type --delay 5 "$file"
    xdotool key Return
  done
  click_at "$main" 300 316 # Perform Cal
}

first_instrument() {
  scenario_folder first
  cp "$examples/EXAMPLE.CAL" "$examples/SET0101A.ASC" "$folder/"
  start_program
  perform_cal "$folder/SET0101A.ASC" || return 0
  await_box "first instrument" || return 0
  click_ok "$box"
  choose_cal_file "first instrument" "$folder/EXAMPLE.CAL" || return 0
  within 30 exists "$folder/SET0101A.DAT" || fail "first instrument: no output"
  within 30 associated "$folder/EXAMPLE.CAL" || fail "first instrument: the calibration file is not stored"
}

damaged_file_first() {
  scenario_folder damaged
  cp "$examples/SET0101A.ASC" "$folder/"
  head -n 4 "$examples/SET0101A.ASC" >"$folder/BAD0101A.ASC"
  printf '36000000,zz,yy\r\n' >>"$folder/BAD0101A.ASC"
  "$converter" associate TDL0417 "$examples/EXAMPLE.CAL" >/dev/null
  start_program
  perform_cal "$folder/BAD0101A.ASC" "$folder/SET0101A.ASC" || return 0
  await_box "damaged file" || return 0
  press "$box" Return
  within 30 exists "$folder/SET0101A.DAT" || fail "damaged file: the run did not go on with the next file"
}

double_click() {
  scenario_folder double-click
  cp "$examples/EXAMPLE.CAL" "$examples/SET0101A.ASC" "$folder/"
  start_program "$folder/SET0101A.ASC"
  await_box "start-up conversion" || return 0
  click_ok "$box"
  choose_cal_file "start-up conversion" "$folder/EXAMPLE.CAL" || return 0
  within 30 ended || fail "start-up conversion: the program did not end"
  [ -e "$folder/SET0101A.DAT" ] || fail "start-up conversion: no output"
  associated "$folder/EXAMPLE.CAL" || fail "start-up conversion: the calibration file is not stored"
}

first_instrument
stop "$app"
damaged_file_first
stop "$app"
double_click
stop "$app"
[ $failures = 0 ]
