#!/usr/bin/env bash
# End-to-end tests of cuestrip.exe under Wine with imported subtitle files:
# the screenplay of each format byte for byte (output redirected, so UTF-8),
# and the line on standard error when a file holds no subtitle. Needs
# CUESTRIP_BUILD and WINEPREFIX (a prepared headless prefix).
set -uo pipefail
exe=$(readlink -f "${CUESTRIP_BUILD:?}/cuestrip.exe")
fixtures=$(readlink -f "$(dirname "$0")/../formats-fixtures.sh")
: "${WINEPREFIX:?}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
work=$(mktemp -d)
trap 'cd /; rm -rf "$work"; wineserver -w' EXIT
cd "$work"
failures=0

check() { # check NAME EXPECTED-FILE ACTUAL-FILE EXPECTED-RC ACTUAL-RC
  if cmp -s "$2" "$3" && [ "$4" = "$5" ]; then
    echo "ok   $1"
  else
    echo "FAIL $1 (exit $5, expected $4)"
    diff <(od -c "$2") <(od -c "$3") | head -n 20
    failures=$((failures + 1))
  fi
}
run() { timeout 60 wine "$exe" "$@"; } # bounded: a hang is a failure

source "$fixtures"
check_formats $'\r\n'

[ $failures -eq 0 ] && echo "all passed" || echo "$failures failed"
[ $failures -eq 0 ]
