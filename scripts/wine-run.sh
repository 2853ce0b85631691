#!/usr/bin/env bash
# Runs a Windows program under Wine in the prefix $WINEPREFIX, headless, and
# passes its exit code through.
set -uo pipefail
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
wine "$@"
rc=$?
wineserver -w
exit $rc
