#!/usr/bin/env bash
# Makes a throw-away headless Wine prefix (null graphics driver, so consoles
# made by AllocConsole work without a display) at the given path.
set -euo pipefail
prefix=$1
rm -rf "$prefix"
mkdir -p "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
wineserver -w
