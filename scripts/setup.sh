#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, when
# they are missing. Without root it names the packages and stops.
set -euo pipefail

# setup.sh [run|test]: "run" installs what building and running the programs
# and the Python module need; "test" (the default) adds what the tests need:
# test frameworks, sanitizer and fuzzer runtimes, the tools the tests drive,
# the Windows setup program, the Debian package checks, a one-node Slurm.
RUN_PACKAGES=(
  cmake ninja-build g++ pkg-config
  libsqlite3-dev libnetcdf-dev libhdf5-dev
  qt6-base-dev qt6-svg-dev libqcustomplot-dev
  python3-dev pybind11-dev python3-xarray python3-netcdf4 # the Python module
)
TEST_PACKAGES=(
  clang
  libgtest-dev
  netcdf-bin udunits-bin python3-dask python3-scipy cdo
  python3-pytest python3-distributed
  xvfb xauth openbox xdotool # the window tests under a window manager
  xdg-utils shared-mime-info desktop-file-utils libglib2.0-bin
  dpkg-dev file lintian
  nsis # the Windows setup program (scripts/build-windows.sh)
  slurm-wlm munge
)
what=${1:-test}
case $what in
  run) PACKAGES=("${RUN_PACKAGES[@]}") ;;
  test) PACKAGES=("${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}") ;;
  *) echo "usage: setup.sh [run|test]" >&2; exit 2 ;;
esac

missing_of() {
  local package
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
      echo "$package"
    fi
  done
}

install_missing() {
  local missing
  mapfile -t missing < <(missing_of "$@")
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "These Debian packages are needed: ${missing[*]}" >&2
    echo "Install them as root: apt-get install ${missing[*]}" >&2
    exit 1
  fi
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if [ -z "${apt_updated:-}" ]; then
    apt-get update -qq
    apt_updated=1
  fi
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

install_missing "${PACKAGES[@]}"
[ "$what" = test ] || exit 0
# The fuzzer and sanitizer runtimes of whichever clang the system has.
clang_major=$(clang -dumpversion | cut -d. -f1)
install_missing "libclang-rt-$clang_major-dev"
