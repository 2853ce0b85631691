#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs, when they are missing.
#   scripts/install-deps.sh run    what building, packaging and running need
#                                  (the demo and the package script)
#   scripts/install-deps.sh test   that and the test tool chain (the default)
# Safe to run again.
set -euo pipefail

# Building and running: the compiler, CMake, the libraries the program links,
# dpkg-shlibdeps and file for the Debian package, and ffmpeg and a font for the demo
# video.
run_packages=(
  g++ cmake make pkg-config dpkg-dev file
  libmpv-dev libuchardet-dev libsystemd-dev libcurl4-openssl-dev
  libutf8proc-dev libavformat-dev libavcodec-dev libavutil-dev
  ffmpeg fonts-dejavu-core
)

# Testing: GoogleTest, the Windows cross build and Wine, clang for the fuzzer
# and the sanitizers, tmux and the test players for the end-to-end runs, and
# man for checking the manual page; curl asks the web-interface players in the
# tests.
test_packages=(
  googletest
  g++-mingw-w64-x86-64 g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine wine64
  clang libclang-rt-14-dev
  mpv tmux xvfb
  man-db
  dbus dbus-x11 mpv-mpris vlc-bin vlc-plugin-base util-linux socat curl python3-dbus
)

case "${1:-test}" in
  run) packages=("${run_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  *) echo "usage: $0 [run|test]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
