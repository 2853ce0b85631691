#!/usr/bin/env bash
# Registers or unregisters the test COM server (the three player ProgIDs) in the
# Wine prefix $WINEPREFIX:  testserver.sh register|unregister BUILD-DIR
set -uo pipefail
action=${1:-}
build=${2:-}
: "${WINEPREFIX:?set WINEPREFIX to the test prefix}"
dll="$build/cuestrip_testserver.dll"
[ -f "$dll" ] || { echo "testserver.sh: $dll not found" >&2; exit 1; }
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
path=$(winepath -w "$dll" 2>/dev/null) || { echo "testserver.sh: winepath failed" >&2; exit 1; }
case $action in
  register) timeout 120 wine regsvr32 /s "$path" ;;
  unregister) timeout 120 wine regsvr32 /s /u "$path" ;;
  *) echo "usage: testserver.sh register|unregister BUILD-DIR" >&2; exit 2 ;;
esac
rc=$?
wineserver -w
[ $rc -eq 0 ] || echo "testserver.sh: regsvr32 $action failed ($rc)" >&2
exit $rc
