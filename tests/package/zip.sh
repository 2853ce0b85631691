#!/usr/bin/env bash
# Builds the Windows zip from a mingw build folder and checks it unpacked: the
# program, the README as text and the example are there, the program needs no
# runtime DLL beside the system's, and it answers --version under Wine
# ($WINEPREFIX must be a prepared prefix).
set -uo pipefail
source "$(dirname "$0")/common.bash"
scripts=$(readlink -f "$(dirname "$0")/../../scripts")

zip=$(make_package ZIP "cuestrip-$version-win64.zip") || exit 1
mkdir "$work/root"
(cd "$work/root" && cmake -E tar xf "$zip")
top="$work/root/cuestrip-$version-win64"
for file in cuestrip.exe README.txt examples/night-train.txt examples/README.md; do
  [ -s "$top/$file" ] && ok "holds $file" || fail "$file missing"
done

# A static runtime: only DLLs that every Windows has.
runtime=$(x86_64-w64-mingw32-objdump -p "$top/cuestrip.exe" | awk '/DLL Name:/ { print $3 }' \
  | grep -viE '^(kernel32|user32|ole32|oleaut32|advapi32|msvcrt|shell32|gdi32|ws2_32|winhttp|crypt32|api-ms-win-.*)\.dll$')
[ -z "$runtime" ] && ok "needs no runtime DLL" || fail "needs $runtime"

(cd "$work" && "$scripts/wine-run.sh" "$top/cuestrip.exe" --version </dev/null >out.txt 2>/dev/null)
rc=$?
[ $rc -eq 0 ] && [ "$(cat "$work/out.txt")" = "cuestrip $version"$'\r' ] && ok "--version under Wine" \
  || { fail "--version under Wine (exit $rc)"; od -c "$work/out.txt" | head -n 3; }

finish zip
