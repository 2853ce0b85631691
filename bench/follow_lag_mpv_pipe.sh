#!/usr/bin/env bash
# The mpv-pipe rows of the follow lag (printed, not asserted): the Windows
# program under Wine follows the mpv stand-in (tests/win32/mpvpipe) over its
# named pipe, on a 30 s timeline at 25 fps with a subtitle a second. The
# console typist stamps the moment each subtitle shows on the program's
# console (it looks every millisecond); the stand-in logs its clock and the
# frames it shows on the same counter. Each lag is measured twice: against
# the frame the stand-in showed then (what asking mpv's time-pos gives, as
# the other rows do) and against its clock (the frame's part that had gone
# by). The busy row adds 64 KiB of events to every frame.
# Usage: bench/follow_lag_mpv_pipe.sh WINDOWS-BUILD-DIR   (uses $WINEPREFIX, or a prefix of its own)
set -uo pipefail
build=$(readlink -f "${1:?the Windows build folder}")
here=$(dirname "$(readlink -f "$0")")
for f in cuestrip.exe cuestrip_console_typist.exe cuestrip_mpv_pipe_standin.exe; do
  [ -f "$build/$f" ] || { echo "mpv-pipe: $build/$f not found"; exit 1; }
done
. "$here/follow_stamps.sh"
work=$(mktemp -d)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
if [ -z "${WINEPREFIX:-}" ]; then
  export WINEPREFIX=$work/prefix
  bash "$here/../scripts/wine-prefix.sh" "$WINEPREFIX" || exit 1
fi
trap 'timeout 30 wineserver -w || wineserver -k; rm -rf "$work"' EXIT
cd "$work" || exit 1
{
  printf '{HEAD\r\nTITLE=Lag\r\nFPS=25\r\n}\r\n'
  for s in $(seq 1 29); do printf '{T;%d\r\nL%d at frame %d\r\n}\r\n' $((s * 25)) "$s" $((s * 25)); done
} >script.txt
# The first three may be due before the program has connected: not measured.
{
  echo 'attach Lag'
  for s in $(seq 4 29); do echo "stamp L$s at frame $((s * 25))"; done
  echo 'key q'
  echo 'exit 0'
} >lag.actions

for row in plain busy; do
  bulk=0
  [ $row = busy ] && bulk=65536
  pipe=cuestrip-lag-$$-$row
  wine "$build/cuestrip_mpv_pipe_standin.exe" "$pipe" $row.log --duration 31 --bulk $bulk \
    --close-after 60 >/dev/null 2>&1 &
  standin=$!
  for _ in $(seq 100); do grep -q ' listen ' $row.log 2>/dev/null && break; sleep 0.1; done
  timeout 90 wine "$build/cuestrip_console_typist.exe" lag.actions - -- \
    "$(winepath -w "$build/cuestrip.exe")" -nd -p "mpv:$pipe" script.txt >$row.typist 2>&1
  rc=$?
  kill $standin 2>/dev/null
  wait $standin 2>/dev/null
  tr -d '\r' <$row.typist | grep '^stamp ' >$row.stamps
  figures=$(stamp_lags $row.log $row.stamps 25)
  stalls=$(awk '$2 == "stall" { n++; if ($3 + 0 > m) m = $3 + 0 } END { printf "%d, longest %d ms", n, m }' $row.log)
  echo "mpv-pipe ($row; typist exit $rc; writes waiting over 50 ms: $stalls):"
  lag_summary "$figures" 25 | sed 's/^/  /'
done
