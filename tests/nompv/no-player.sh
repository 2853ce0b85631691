#!/usr/bin/env bash
# A build made without libmpv has no player controls: the program still
# builds and runs, and ends with the fatal error and the usage text, exit 1.
# Needs CUESTRIP_BUILD (a build folder configured without pkg-config/libmpv).
set -uo pipefail
exe=$(readlink -f "${CUESTRIP_BUILD:?}/cuestrip")
work=$(mktemp -d)
trap 'cd /; rm -rf "$work"' EXIT
cd "$work"

: >video.avi
printf '{HEAD\r\nFILE=video.avi\r\n}\r\n{T;10\r\nHello\r\n}\r\n' >script.txt
timeout 20 "$exe" -ndc script.txt </dev/null >out.txt
rc=$?

# What comes before (the console lines) depends on the terminal and locale;
# from the player selection on, the output is fixed.
expected=$(printf 'AMovie interface not available\r\nMPlayer interface not available\r\nWMP interface not available\r\nFatal error: No supported video player available.\r\nUsage: %s <subtitlefile>' "$exe")
selection=$(sed -n '/^AMovie interface/,$p' out.txt)
if [ "$rc" = 1 ] && [ "${selection:0:${#expected}}" = "$expected" ]; then
  echo "ok   no libmpv: no supported video player, exit 1"
else
  echo "FAIL no libmpv (exit $rc, expected 1)"
  cat -A out.txt | head -n 12
  exit 1
fi
