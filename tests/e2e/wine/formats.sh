#!/usr/bin/env bash
# End-to-end tests of cuestrip.exe under Wine with imported subtitle files:
# the screenplay of each format byte for byte (output redirected, so UTF-8),
# and the line on standard error when a file holds no subtitle. Needs
# CUESTRIP_BUILD and WINEPREFIX (a prepared headless prefix).
set -uo pipefail
. "$(dirname "$0")/../lib.sh"
. "$(dirname "$0")/../formats-fixtures.sh"
wine_setup

check_formats $'\r\n'
finish "formats under Wine"
