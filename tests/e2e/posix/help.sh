#!/usr/bin/env bash
# End-to-end tests of --help and --version: they answer at once with the
# keyboard open, win over other arguments, fail on a broken standard output,
# and every option --help lists is one the program accepts. Needs
# CUESTRIP_BUILD (the build folder).
set -uo pipefail
. "$(dirname "$0")/../lib.sh"
exe=$(readlink -f "${CUESTRIP_BUILD:?}/cuestrip")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$CUESTRIP_BUILD/CMakeCache.txt")
work=$(mktemp -d)
trap 'cd /; rm -rf "$work"' EXIT
cd "$work"
ok() { echo "ok   $1"; }
fail() { echo "FAIL $1"; failures=$((failures + 1)); }

: >video.avi
printf '{HEAD\r\nFILE=video.avi\r\n}\r\n{T;10\r\nHi\r\n}\r\n' >script.txt

# Standard input stays open (a writer that never writes): no wait for ENTER.
mkfifo keyboard
sleep 60 >keyboard &
keyboard_pid=$!
start=$(date +%s%N)
timeout 10 "$exe" --help <keyboard >help.txt; rc=$?
ms=$((($(date +%s%N) - start) / 1000000))
if [ $rc -eq 0 ] && [ $ms -lt 5000 ] && head -n 1 help.txt | grep -q "^Usage: $exe <subtitlefile>"; then
  ok "--help exits 0 at once ($ms ms)"
else
  fail "--help (exit $rc after $ms ms)"; head -n 3 help.txt
fi
timeout 10 "$exe" -scp script.txt --version <keyboard >out; rc=$?
kill $keyboard_pid 2>/dev/null
[ $rc -eq 0 ] && [ "$(cat out)" = "cuestrip $version"$'\r' ] && ok "--version wins" || { fail "--version (exit $rc)"; od -c out | head -n 3; }

# Every option of the help, short and long, with a value where it takes one.
options=0
while read -r option value; do
  args=("$option")
  [ -n "$value" ] && args+=(1)
  timeout 10 "$exe" "${args[@]}" -scp script.txt </dev/null >out; rc=$?
  if [ $rc -ne 0 ] || grep -q 'Unknown parameter' out; then
    fail "$option is not accepted (exit $rc)"; head -n 3 out
  fi
  options=$((options + 1))
done < <(tr -d '\r' <help.txt | sed -n 's/^  \(-[^ ]*\( [A-Z]*\)\{0,1\}\), \(--[^ ]*\( [A-Z]*\)\{0,1\}\) .*/\1\n\3/p')
[ $options -ge 30 ] && ok "$options option forms in --help, all accepted" || fail "only $options option forms found in --help"

# A version that cannot be written is a failure.
timeout 10 "$exe" --version </dev/null >&-; rc=$?
check_rc "--version to a closed stdout" 1 $rc
if [ -w /dev/full ]; then
  timeout 10 "$exe" --version </dev/null >/dev/full; rc=$?
  check_rc "--version to a full disk" 1 $rc
fi

finish help
