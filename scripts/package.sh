#!/usr/bin/env bash
# Builds the installable package in build/package: the Debian package
# (cuestrip_<version>_<arch>.deb), or with "windows" the zip of the Windows
# build (cuestrip-<version>-win64.zip). Installs what the build needs first.
set -euo pipefail
cd "$(dirname "$0")/.."

case "${1:-debian}" in
  debian) scripts/install-deps.sh run; dir=build/release; args=() ;;
  windows)
    scripts/install-deps.sh test # the mingw-w64 cross compiler
    dir=build/release-win; args=(-DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake") ;;
  *) echo "usage: $0 [debian|windows]" >&2; exit 2 ;;
esac

pkg="$PWD/build/package"
mkdir -p "$pkg"
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release "${args[@]}" >"$dir.configure.log" 2>&1 \
  || { cat "$dir.configure.log"; exit 1; }
cmake --build "$dir" --target cuestrip -j "$(nproc)" >"$dir.build.log" 2>&1 \
  || { tail -n 40 "$dir.build.log"; exit 1; }
(cd "$dir" && cpack -B "$pkg") >"$dir.cpack.log" 2>&1 \
  || { tail -n 40 "$dir.cpack.log"; exit 1; }
rm -rf "$pkg/_CPack_Packages"
sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' "$dir.cpack.log"
