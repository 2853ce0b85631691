#!/usr/bin/env bash
# End-to-end tests of the native program with imported subtitle files: the
# screenplay of each format byte for byte, and the line on standard error
# when a file holds no subtitle. Needs CUESTRIP_BUILD (the build folder).
set -uo pipefail
. "$(dirname "$0")/../lib.sh"
. "$(dirname "$0")/../formats-fixtures.sh"
exe=$(readlink -f "${CUESTRIP_BUILD:?}/cuestrip")
work=$(mktemp -d)
trap 'cd /; rm -rf "$work"' EXIT
cd "$work"
export LC_ALL=C.UTF-8
run() { timeout 20 "$exe" "$@"; } # bounded: a hang is a failure

check_formats $'\n'
finish "formats"
