#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need on a fresh Debian 12 machine.
# Safe to run again: apt-get skips what is already there.
# --windows: only what the Windows cross build and its tests under Wine need in addition.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git dpkg-dev   # dpkg-dev: shlibdeps for the package
  clang-14 libclang-rt-14-dev          # libFuzzer and the sanitizer runtimes for clang
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libcli11-dev                          # the command line's option parser (header only)
  libftdi1-dev                          # FTDI USB adapters (FT232R bit-bang, MPSSE)
  libusb-1.0-0-dev                      # the CH341A adapter
  clang-format
  srecord                               # srec_cat: independent oracle for the converter tests
  sdcc                                  # builds the example 8051 firmware
  sigrok-cli                            # decodes our VCD traces as a logic analyzer would
  xvfb xauth x11-apps imagemagick       # running and photographing the GUI without a display
  openbox wmctrl xdotool                # trying it by hand under a real window manager
  fonts-dejavu-core
)

# The Windows build: MinGW-w64 with POSIX threads (std::thread), and Wine to run its tests.
windows_packages=(
  mingw-w64 g++-mingw-w64-x86-64-posix
  wine wine64
  xvfb xauth                            # a display for the Win32 window tests under Wine
  googletest                            # its sources, compiled for Windows
)
if [ "${1:-}" = "--windows" ]; then
  packages=("${windows_packages[@]}")
fi

# apt-get needs root: a user's run goes through sudo.
if [ "$(id -u)" -ne 0 ]; then
  exec sudo bash "$0" "$@"
fi

export DEBIAN_FRONTEND=noninteractive
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
