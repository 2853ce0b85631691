#!/usr/bin/env bash
# The real COM path under Wine: registers the test server in $WINEPREFIX,
# runs the adapters and the automation calls against it, and unregisters it
# again so that later tests start from a prefix without the controls.
set -uo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
build=${CUESTRIP_BUILD:?set CUESTRIP_BUILD to the Windows build folder}
: "${WINEPREFIX:?set WINEPREFIX to a Wine prefix}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

fail() { echo "com.sh: $*"; "$root/tests/win32/testserver.sh" unregister "$build" >/dev/null 2>&1; exit 1; }

"$root/tests/win32/testserver.sh" register "$build" || fail "cannot register the test server"
wine reg query 'HKCR\MCI.MMControl\CLSID' >/dev/null 2>&1 || fail "MCI.MMControl is not registered"
wine reg query 'HKCR\AMovie.ActiveMovie Control\CLSID' >/dev/null 2>&1 ||
  fail "AMovie.ActiveMovie Control is not registered"

timeout 300 "$root/scripts/wine-run.sh" "$build/cuestrip_comtests.exe" --gtest_brief=1
rc=$?
[ $rc -eq 0 ] || fail "cuestrip_comtests.exe failed ($rc)"

"$root/tests/win32/testserver.sh" unregister "$build" || exit 1
if wine reg query 'HKCR\MCI.MMControl' >/dev/null 2>&1; then
  echo "com.sh: MCI.MMControl is still registered after unregistering"
  exit 1
fi
wineserver -w
echo "com.sh: passed"
