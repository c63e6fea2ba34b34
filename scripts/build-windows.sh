#!/usr/bin/env bash
# build-windows.sh [--test] [DIR]: installs what the Windows build needs when it
# is missing (scripts/windows-qt.sh: MinGW-w64, Wine, NSIS, the Windows Qt),
# cross-builds the programs for 64-bit Windows in DIR (default build-windows) and
# writes DIR/orvantis-windows-x64.zip: orvantis-cli.exe, orvantis.exe with the Qt DLLs
# and plugins when the windows are built, and every MinGW runtime DLL they load, so
# that it runs on Windows with nothing else installed. The zip's programs are run once
# under Wine from a bare copy to prove it. The same files make the setup program
# DIR/orvantis-VERSION-setup.exe (CPack's NSIS generator). With --test, also runs the
# Windows tests under Wine (one Wine prefix and X server for the whole ctest run).
#
# QT_DIR: where the Windows Qt goes (default /opt/qt6-mingw).
# ORVANTIS_GUI=ON|OFF: whether to build the windows (default ON).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
run_tests=0
if [ "${1:-}" = --test ]; then
  run_tests=1
  shift
fi
dir=$(realpath -m "${1:-$root/build-windows}")
qt=$("$root/scripts/windows-qt.sh" "${QT_DIR:-/opt/qt6-mingw}")
gui=${ORVANTIS_GUI:-ON}

# The optimisation of the Linux build (-O2): GCC 12 at -O3 gives false -Wrestrict
# warnings in std::string code.
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANTIS_WERROR=ON \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64-posix.cmake" \
  -DORVANTIS_WINDOWS_QT="$qt" -DORVANTIS_GUI="$gui"
cmake --build "$dir"

# Folders where the DLLs the programs load are found, in the order Windows would.
dll_folders=("$qt/bin" /usr/lib/gcc/x86_64-w64-mingw32/12-posix /usr/x86_64-w64-mingw32/lib)

imports_of() { x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\tDLL Name: //p'; }

find_dll() {
  local name=$1 folder
  for folder in "${dll_folders[@]}"; do
    [ -f "$folder/$name" ] && { echo "$folder/$name"; return 0; }
  done
  return 1
}

# Copies in every DLL that a file in the folder loads and that the folders above
# have, until none is missing; the rest are the system's own.
add_dlls() {
  local stage=$1 added=1 file dll found
  while [ $added = 1 ]; do
    added=0
    while IFS= read -r -d '' file; do
      while read -r dll; do
        [ -f "$stage/$dll" ] && continue
        found=$(find_dll "$dll") || continue
        cp "$found" "$stage/"
        added=1
      done < <(imports_of "$file")
    done < <(find "$stage" -maxdepth 3 \( -name '*.exe' -o -name '*.dll' \) -print0)
  done
}

stage=$dir/zip/Orvantis
rm -rf "$dir/zip"
mkdir -p "$stage"
cp "$dir/cli/orvantis-cli.exe" "$stage/"
if [ -f "$dir/app/orvantis.exe" ]; then
  cp "$dir/app/orvantis.exe" "$stage/"
  for plugin in platforms/qwindows.dll styles/qwindowsvistastyle.dll imageformats/qico.dll; do
    if [ -f "$qt/plugins/$plugin" ]; then
      mkdir -p "$stage/$(dirname "$plugin")"
      cp "$qt/plugins/$plugin" "$stage/$plugin"
    fi
  done
fi
x86_64-w64-mingw32-strip "$stage"/*.exe
add_dlls "$stage"
zip=$dir/orvantis-windows-x64.zip
rm -f "$zip"
(cd "$dir/zip" && cmake -E tar cf "$zip" --format=zip Orvantis)

# The zip alone must do: unpacked elsewhere and run without any search path.
check=$(mktemp -d)
trap 'rm -rf "$check"' EXIT
(cd "$check" && cmake -E tar xf "$zip")
# Plain wine in a fresh prefix: no WINEPATH to the MinGW or Qt folders.
version=$(cd "$check" && WINEPREFIX=$check/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
  LC_ALL=C.UTF-8 wine Orvantis/orvantis-cli.exe --version 2>/dev/null | tr -d '\r') || true
WINEPREFIX=$check/prefix wineserver -k 2>/dev/null || true
WINEPREFIX=$check/prefix wineserver -w 2>/dev/null || true
case $version in
  Orvantis\ *) ;;
  *) echo "the zipped converter does not start on its own" >&2; exit 1 ;;
esac
if [ -f "$check/Orvantis/orvantis.exe" ]; then
  # The windowed program loads every Qt DLL before main; its answer to an
  # incomplete viewer command needs no display.
  answer=$(cd "$check" && WINEPREFIX=$check/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
    LC_ALL=C.UTF-8 wine Orvantis/orvantis.exe --plot x.DAT 2>&1 | tr -d '\r') || true
  WINEPREFIX=$check/prefix wineserver -k 2>/dev/null || true
  WINEPREFIX=$check/prefix wineserver -w 2>/dev/null || true
  case $answer in
    *"--plot needs an output file and --output IMAGE"*) ;;
    *) echo "the zipped window program does not start on its own: $answer" >&2; exit 1 ;;
  esac
fi
echo "wrote $zip: $(cd "$dir/zip/Orvantis" && find . -type f | sort | tr '\n' ' ')"

rm -rf "$dir/setup"
(cd "$dir" && cpack --config CPackConfig.cmake -B "$dir/setup" >/dev/null)
setup=$(find "$dir/setup" -maxdepth 1 -name 'orvantis-*-setup.exe')
[ -n "$setup" ] || { echo "no setup program made" >&2; exit 1; }
rm -f "$dir"/orvantis-*-setup.exe
mv "$setup" "$dir/"
echo "wrote $dir/$(basename "$setup")"

if [ $run_tests = 1 ]; then
  # Wine seldom fails to start a program at all (seen once in about 1300 starts: no
  # output, 0.03 s): a failed test gets one more run, so a real fault still fails twice.
  "$root/scripts/wine-run.sh" --qt "$qt" --session ctest --test-dir "$dir" --output-on-failure -j "$(nproc)" \
    --repeat until-pass:2
fi
