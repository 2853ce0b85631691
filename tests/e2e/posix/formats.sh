#!/usr/bin/env bash
# End-to-end tests of the native program with imported subtitle files: the
# screenplay of each format byte for byte, and the line on standard error
# when a file holds no subtitle. Needs CUESTRIP_BUILD (the build folder).
set -uo pipefail
exe=$(readlink -f "${CUESTRIP_BUILD:?}/cuestrip")
fixtures=$(readlink -f "$(dirname "$0")/../formats-fixtures.sh")
work=$(mktemp -d)
trap 'cd /; rm -rf "$work"' EXIT
cd "$work"
failures=0
export LC_ALL=C.UTF-8

check() { # check NAME EXPECTED-FILE ACTUAL-FILE EXPECTED-RC ACTUAL-RC
  if cmp -s "$2" "$3" && [ "$4" = "$5" ]; then
    echo "ok   $1"
  else
    echo "FAIL $1 (exit $5, expected $4)"
    diff <(od -c "$2") <(od -c "$3") | head -n 20
    failures=$((failures + 1))
  fi
}
run() { timeout 20 "$exe" "$@"; } # bounded: a hang is a failure

source "$fixtures"
check_formats $'\n'

[ $failures -eq 0 ] && echo "all passed" || echo "$failures failed"
[ $failures -eq 0 ]
