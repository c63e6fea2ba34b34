#!/usr/bin/env bash
# Runs Windows test programs under Wine, with the Windows Qt and the MinGW runtime DLLs
# found through WINEPATH, under a virtual X server when there is no display.
#
#   wine-run.sh [--qt QT_PREFIX] PROGRAM.exe [ARGS...]
#       runs one program and exits with its status. Uses WINEPREFIX when set (made on
#       first use, kept); otherwise a fresh prefix in a temporary folder, removed afterwards.
#   wine-run.sh [--qt QT_PREFIX] --session COMMAND [ARGS...]
#       runs a host command (ctest, a build running gtest_discover_tests, a test script)
#       with one fresh prefix and one X server shared by every program it starts through
#       this script, and removes both afterwards: a prefix is made once, not per test.
#
# QT_PREFIX may also come from ORVANTIS_WINDOWS_QT. The toolchain file makes this script
# the CMake cross-compiling emulator. Qt settings for the Windows program are given as
# WINEQT_* (WINEQT_QPA_PLATFORM=...): Wine passes those on as QT_* and drops the host's.
set -euo pipefail

say() { echo "wine-run: $*" >&2; }

qt=${ORVANTIS_WINDOWS_QT:-}
session=0
while [ $# -gt 0 ]; do
  case $1 in
    --qt) [ $# -ge 2 ] || { say "--qt needs a folder"; exit 2; }; qt=$2; shift 2 ;;
    --session) session=1; shift ;;
    *) break ;;
  esac
done
if [ $# -eq 0 ]; then
  echo "usage: $0 [--qt QT_PREFIX] PROGRAM.exe [ARGS...]" >&2
  echo "       $0 [--qt QT_PREFIX] --session COMMAND [ARGS...]" >&2
  exit 2
fi
command -v wine >/dev/null || { say "wine is not installed (scripts/windows-qt.sh installs it)"; exit 127; }

# Wine names host files in the charset of the host's locale: under C or POSIX a name such
# as Séance_Ω.ASC cannot be opened at all, so every Wine process runs in a UTF-8 locale.
utf8() { LC_ALL=C.UTF-8 "$@"; }

# Z:\ is the root of the host's file system in every Wine prefix.
winpath() { local p; p=$(realpath -m "$1"); echo "Z:${p//\//\\}"; }

export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko install prompts; no menu entries or file types written into $HOME.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Wine hides the host's QT_* variables from Windows programs (the host's Qt settings, such
# as QT_QPA_PLATFORM=offscreen, would not fit) and passes WINEQT_* on as QT_*.
# Without a console Qt sends its messages, QtTest's plain output included, to the
# debugger (OutputDebugString): send them to stdout and stderr.
export WINEQT_FORCE_STDERR_LOGGING=${WINEQT_FORCE_STDERR_LOGGING:-1}
paths=/usr/lib/gcc/x86_64-w64-mingw32/12-posix:/usr/x86_64-w64-mingw32/lib
if [ -n "$qt" ]; then
  [ -d "$qt/bin" ] || { say "no Qt in $qt"; exit 2; }
  paths=$qt/bin:$paths
  export WINEQT_PLUGIN_PATH
  WINEQT_PLUGIN_PATH=$(winpath "$qt/plugins")
fi
WINEPATH=
IFS=: read -ra dirs <<<"$paths"
for d in "${dirs[@]}"; do WINEPATH+="${WINEPATH:+;}$(winpath "$d")"; done
export WINEPATH

tmp=
xvfb_pid=
own_prefix=0
cleanup() {
  if [ "$own_prefix" = 1 ]; then
    utf8 wineserver -k 2>/dev/null || true
    utf8 wineserver -w 2>/dev/null || true
  fi
  if [ -n "$xvfb_pid" ]; then
    # A shared prefix's server (and its desktop window) outlives the program by a few
    # seconds: let it go before its display does.
    [ "$own_prefix" = 1 ] || utf8 wineserver -w 2>/dev/null || true
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  if [ -n "$tmp" ]; then rm -rf "$tmp"; fi
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

need_tmp() { [ -n "$tmp" ] || tmp=$(mktemp -d "${TMPDIR:-/tmp}/wine-run.XXXXXX"); }

# Qt's windows platform plugin needs an X display under Wine.
if [ -z "${DISPLAY:-}" ]; then
  command -v Xvfb >/dev/null || { say "Xvfb is not installed"; exit 127; }
  need_tmp
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$tmp/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || { cat "$tmp/xvfb.log" >&2; say "Xvfb did not start"; exit 1; }
    sleep 0.1
  done
  [ -s "$tmp/display" ] || { say "Xvfb did not start"; exit 1; }
  DISPLAY=:$(head -n 1 "$tmp/display")
  export DISPLAY
fi

if [ $session = 1 ] || [ -z "${WINEPREFIX:-}" ]; then
  need_tmp
  export WINEPREFIX=$tmp/prefix
  own_prefix=1
fi
if [ $session = 1 ]; then
  # One server for the whole session instead of one started (and stopped) per program.
  mkdir -p "$WINEPREFIX"
  utf8 wineserver -p
fi

# Makes the prefix once; the lock keeps parallel first runs (ctest -j) from racing.
ready=$WINEPREFIX/.wine-run-ready
if [ ! -f "$ready" ]; then
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    if [ ! -f "$ready" ]; then
      utf8 wine wineboot --init >/dev/null 2>&1 </dev/null ||
        { say "could not make a Wine prefix in $WINEPREFIX"; exit 1; }
      # A crashing program would start winedbg, whose dialog waits forever on the virtual
      # display (and without the dialog the run ends with status 0). With no debugger the
      # process ends at once with the exception code's low byte (5 for an access violation).
      utf8 wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
        /v Debugger /d '' /f >/dev/null 2>&1 </dev/null
      touch "$ready"
    fi
  ) 9>"$WINEPREFIX/.wine-run-lock"
fi

status=0
if [ $session = 1 ]; then
  "$@" || status=$?
else
  utf8 wine "$@" || status=$?
fi
exit $status
