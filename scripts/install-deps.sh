#!/usr/bin/env bash
# Installs every Debian 12 package the project needs to build, test and run
# its demo, when it is missing. Safe to run again.
set -euo pipefail

packages=(
  g++ cmake make pkg-config googletest
  g++-mingw-w64-x86-64 g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine wine64
  clang libclang-rt-14-dev
  libmpv-dev libuchardet-dev mpv ffmpeg tmux xvfb
  libutf8proc-dev libavformat-dev libavcodec-dev libavutil-dev
  fonts-dejavu-core
)

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
