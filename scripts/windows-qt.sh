#!/usr/bin/env bash
# windows-qt.sh PREFIX_DIR: makes a 64-bit Windows Qt 6 (qtbase, MinGW-w64) available
# in PREFIX_DIR and prints that folder's absolute path on stdout (everything else goes
# to stderr). Installs the Debian packages the Windows build and its Wine tests need.
# Takes the ready archive from ../shared/toolchains beside the project when present and
# its checksum matches; otherwise builds qtbase from Debian's source package (about 35
# minutes at -j2; JOBS sets the parallelism). Puts QCustomPlot's two source files from
# Debian's source package in PREFIX_DIR/src/qcustomplot, for the Windows build to
# compile with the viewer. Running it again does nothing new.
set -euo pipefail

if [ $# -ne 1 ] || [ -z "$1" ]; then
  echo "usage: $0 PREFIX_DIR" >&2
  exit 2
fi

root=$(cd "$(dirname "$0")/.." && pwd)
prefix=$(realpath -m "$1")
archive_dir=$(realpath -m "$root/../shared/toolchains")
archive=$archive_dir/qt6.4.2-mingw-w64-x86_64.tar.xz
toolchain=$root/cmake/mingw-w64-x86_64-posix.cmake
marker=$prefix/.windows-qt   # what this script put there, to know when to do nothing
debsrc_list=/etc/apt/sources.list.d/windows-qt-deb-src.sources

say() { echo "windows-qt: $*" >&2; }
die() { say "$*"; exit 1; }

PACKAGES=(
  gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix mingw-w64-tools
  qt6-base-dev qt6-base-dev-tools cmake ninja-build googletest
  wine wine64 xvfb xauth xz-utils dpkg-dev nsis
)
SOURCE_PACKAGES=(perl)
qcustomplot=$prefix/src/qcustomplot

# The configure options of the archive's build: Core, Gui, Widgets, PrintSupport (the
# viewer's PDF export), Test and the windows platform plugin, nothing the program does
# not use.
QT_OPTIONS=(
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DFEATURE_opengl=OFF -DINPUT_opengl=no -DFEATURE_vulkan=OFF -DFEATURE_dbus=OFF -DFEATURE_sql=OFF
  -DFEATURE_network=OFF -DFEATURE_printsupport=ON -DFEATURE_xml=OFF -DFEATURE_concurrent=OFF
  -DFEATURE_testlib=ON -DFEATURE_widgets=ON -DFEATURE_gui=ON
  -DFEATURE_tabletevent=OFF   # Debian's source drops the wintab headers
  -DFEATURE_direct2d=OFF -DFEATURE_freetype=OFF -DFEATURE_jpeg=OFF -DFEATURE_icu=OFF -DFEATURE_zstd=OFF
  -DFEATURE_pkg_config=OFF -DFEATURE_androiddeployqt=OFF
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF
  -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_doubleconversion=OFF
)

archive_usable() {
  [ -f "$archive" ] && [ -f "$archive.sha256" ] || return 1
  if (cd "$archive_dir" && sha256sum --check --status "$(basename "$archive").sha256"); then
    return 0
  fi
  say "WARNING: $archive does not match its .sha256; building from source instead"
  return 1
}

# Prints the deb-src stanzas for the Debian mirror entries of this release (same URIs,
# suites, components and key as the deb entries), from one-line and deb822 sources.
debsrc_stanzas() {
  local codename
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  shopt -s nullglob
  local f
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    awk -v c="$codename" '
      $1 == "deb" {
        i = 2; opts = ""
        if ($2 ~ /^\[/) { while ($i !~ /\]$/) { opts = opts " " $i; i++ } opts = opts " " $i; i++ }
        uri = $i; suite = $(i + 1)
        if (suite != c && suite != c "-updates") next
        comps = ""; for (j = i + 2; j <= NF; j++) comps = comps " " $j
        gsub(/^ *\[ */, "", opts); gsub(/ *\] *$/, "", opts)
        printf "Types: deb-src\nURIs: %s\nSuites: %s\nComponents:%s\n", uri, suite, comps
        n = split(opts, o, " ")
        for (k = 1; k <= n; k++) if (o[k] ~ /^signed-by=/) { sub(/^signed-by=/, "", o[k]); print "Signed-By: " o[k] }
        print ""
      }' "$f"
  done
  for f in /etc/apt/sources.list.d/*.sources; do
    [ "$f" = "$debsrc_list" ] && continue
    # A stanza is taken when its Types has deb and its Suites has the release itself.
    awk -v c="$codename" 'BEGIN { RS = ""; FS = "\n" }
      {
        take = 0; types = 0; enabled = 1; out = ""
        for (i = 1; i <= NF; i++) {
          if ($i ~ /^#/) continue
          if ($i ~ /^Types:/) { if ((" " $i " ") ~ / deb /) types = 1; out = out "Types: deb-src\n"; continue }
          if ($i ~ /^Suites:/) { if ((" " $i " ") ~ (" " c " ")) take = 1 }
          if ($i ~ /^Enabled: *no/) enabled = 0
          out = out $i "\n"
        }
        if (take && types && enabled) printf "%s\n", out
      }' "$f"
  done
}

source_version() { dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null; }

# Whether apt knows the sources this run fetches: QCustomPlot's unless its files are in
# place, and for a source build the qt6-base that matches the host's Qt tools.
source_known() {
  local need_qt=$1 v
  if [ ! -f "$qcustomplot/qcustomplot.cpp" ]; then
    apt-cache showsrc qcustomplot 2>/dev/null | grep -q '^Version: ' || return 1
  fi
  [ "$need_qt" = 1 ] || return 0
  v=$(source_version) || return 1
  apt-cache showsrc qt6-base 2>/dev/null | grep -qx "Version: $v"
}

# Installs what is missing and, for a source build, the deb-src entry: one apt-get update.
install_missing() {
  local need_source=$1 missing=() package wanted=("${PACKAGES[@]}") add_src=0
  [ "$need_source" = 1 ] && wanted+=("${SOURCE_PACKAGES[@]}")
  for package in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$package")
    fi
  done
  if ! source_known "$need_source"; then
    add_src=1
  fi
  [ ${#missing[@]} -eq 0 ] && [ $add_src = 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    [ ${#missing[@]} -gt 0 ] && say "these Debian packages are needed: ${missing[*]}"
    [ $add_src = 1 ] && say "a deb-src entry for the Debian mirror is needed (apt-get source)"
    die "run this as root"
  fi
  if [ $add_src = 1 ] && [ ! -s "$debsrc_list" ]; then
    local stanzas
    stanzas=$(debsrc_stanzas)
    [ -n "$stanzas" ] || die "no Debian deb entry found in /etc/apt to derive a deb-src entry from"
    say "adding $debsrc_list"
    printf '# Debian sources for building the Windows Qt (scripts/windows-qt.sh)\n%s\n' "$stanzas" >"$debsrc_list"
  fi
  export DEBIAN_FRONTEND=noninteractive
  say "apt-get update"
  apt-get update -qq >&2
  if [ ${#missing[@]} -gt 0 ]; then
    say "installing: ${missing[*]}"
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
  fi
}

# A folder of unknown origin is left alone.
check_prefix() {
  if [ -e "$prefix" ] && [ ! -f "$marker" ] && [ -n "$(ls -A "$prefix")" ]; then
    die "$prefix is not empty and was not made by this script; choose another folder"
  fi
}

# Takes PREFIX_DIR over from a finished folder.
put_in_place() {
  check_prefix
  rm -rf "$prefix"
  mv "$1" "$prefix"
}

unpack_archive() {
  say "unpacking $(basename "$archive")"
  unpacking=$(mktemp -d "$prefix.unpack.XXXXXX")
  trap 'rm -rf "$unpacking"' EXIT
  tar -xJf "$archive" -C "$unpacking" --strip-components=1 qt6-mingw
  echo "$1" >"$unpacking/.windows-qt"
  put_in_place "$unpacking"
}

# Builds qtbase from Debian's source package into a work folder beside the prefix; an
# interrupted build goes on where it stopped when run again.
# require_direct2d FILE FEATURE COUNT: makes each "#if QT_CONFIG(FEATURE)" of FILE
# also require direct2d, and checks that COUNT lines then do.
require_direct2d() {
  local file=$1 feature=$2 count=$3
  if grep -qx "#if QT_CONFIG($feature)" "$file"; then
    say "patching $(basename "$file")"
    sed -i "s/^#if QT_CONFIG($feature)\$/#if QT_CONFIG($feature) \\&\\& QT_CONFIG(direct2d)/" "$file"
  fi
  [ "$(grep -cx "#if QT_CONFIG($feature) && QT_CONFIG(direct2d)" "$file")" = "$count" ] ||
    die "unexpected source in $file: the $feature fix does not apply"
}

build_from_source() {
  local version=$1 work src build stage file
  work=$prefix.work
  mkdir -p "$work"
  src=$work/source
  if [ ! -f "$src/.unpacked" ]; then
    say "fetching the Debian source of qt6-base $version"
    rm -rf "$src" && mkdir -p "$src"
    (cd "$src" && apt-get source -qq --only-source "qt6-base=$version" >&2)
    touch "$src/.unpacked"
  fi
  local tree
  tree=$(find "$src" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*' | head -n 1)
  [ -n "$tree" ] || die "no qt6-base source folder in $src"

  # Qt 6.4 builds the DirectWrite font database only with direct2d, but the windows
  # platform plugin uses it with directwrite3 alone: without this qwindows.dll fails to link.
  require_direct2d "$tree/src/plugins/platforms/windows/qwindowsintegration.cpp" directwrite3 2
  # The same for the Windows print engine: without it Qt6PrintSupport.dll fails to link.
  require_direct2d "$tree/src/printsupport/platform/windows/qprintengine_win.cpp" directwrite 3

  # Qt's own toolchain file (used by qt-cmake) loads the one Qt was built with: that copy
  # goes into the prefix at the end.
  local qt_toolchain=$work/mingw-w64-x86_64-posix.cmake
  cp "$toolchain" "$qt_toolchain"
  build=$work/build
  if [ ! -f "$build/build.ninja" ]; then
    say "configuring qtbase"
    local map="-ffile-prefix-map=$tree=/usr/src/qtbase -ffile-prefix-map=$build=/usr/src/qtbase-build"
    cmake -S "$tree" -B "$build" -G Ninja -Wno-dev \
      -DCMAKE_TOOLCHAIN_FILE="$qt_toolchain" \
      -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
      -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_C_FLAGS="$map" -DCMAKE_CXX_FLAGS="$map" \
      "${QT_OPTIONS[@]}" >&2
  fi
  say "building qtbase (about 35 minutes at -j2)"
  cmake --build "$build" --parallel "${JOBS:-$(nproc)}" >&2
  stage=$work/install
  rm -rf "$stage"
  cmake --install "$build" --prefix "$stage" >&2
  cp "$qt_toolchain" "$stage/"
  sed -i "s|$qt_toolchain|$prefix/mingw-w64-x86_64-posix.cmake|" "$stage/lib/cmake/Qt6/qt.toolchain.cmake"
  echo "$2" >"$stage/.windows-qt"
  put_in_place "$stage"
  rm -rf "$work"
}

# QCustomPlot is one source and one header in Debian's source package; the viewer of
# the Windows build compiles them with the project.
fetch_qcustomplot() {
  [ -f "$qcustomplot/qcustomplot.cpp" ] && [ -f "$qcustomplot/qcustomplot.h" ] && return 0
  local work tree
  say "fetching the Debian source of qcustomplot"
  work=$(mktemp -d "$prefix.qcustomplot.XXXXXX")
  (cd "$work" && apt-get source -qq qcustomplot >&2)
  tree=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'qcustomplot-*' | head -n 1)
  [ -n "$tree" ] && [ -f "$tree/qcustomplot.cpp" ] || { rm -rf "$work"; die "no qcustomplot.cpp in the qcustomplot source"; }
  mkdir -p "$qcustomplot"
  cp "$tree/qcustomplot.cpp" "$tree/qcustomplot.h" "$qcustomplot/"
  rm -rf "$work"
}

main() {
  local from_archive=0 want
  check_prefix
  if archive_usable; then
    from_archive=1
    want="archive $(cut -d' ' -f1 "$archive.sha256")"
  fi
  install_missing $((1 - from_archive))
  if [ $from_archive = 0 ]; then
    # The source build's configuration: the source version and the configure options.
    want="source $(source_version) $(printf '%s\n' "${QT_OPTIONS[@]}" | sha256sum | cut -c1-16)"
  fi
  if [ -f "$marker" ] && [ "$(cat "$marker")" = "$want" ]; then
    say "already in place: $prefix"
  elif [ $from_archive = 1 ]; then
    mkdir -p "$(dirname "$prefix")"
    unpack_archive "$want"
  else
    mkdir -p "$(dirname "$prefix")"
    build_from_source "$(source_version)" "$want"
  fi
  [ -f "$prefix/lib/cmake/Qt6/Qt6Config.cmake" ] || die "$prefix holds no Qt 6"
  fetch_qcustomplot
  echo "$prefix"
}

main
