#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, when
# they are missing. Without root it names the packages and stops.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ pkg-config
  clang
  libgtest-dev libsqlite3-dev
  libnetcdf-dev libhdf5-dev netcdf-bin python3-netcdf4 udunits-bin python3-xarray python3-dask python3-scipy cdo
  python3-dev pybind11-dev python3-pytest python3-distributed # the Python module and its tests
  qt6-base-dev qt6-svg-dev libqcustomplot-dev
  xvfb xauth openbox xdotool # the window tests under a window manager
  xdg-utils shared-mime-info desktop-file-utils libglib2.0-bin
  dpkg-dev file lintian
  nsis # the Windows setup program (scripts/build-windows.sh)
  slurm-wlm munge
)

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
# The fuzzer and sanitizer runtimes of whichever clang the system has.
clang_major=$(clang -dumpversion | cut -d. -f1)
install_missing "libclang-rt-$clang_major-dev"
