#!/usr/bin/env bash
# Lag of the subtitles behind a followed player (printed, not asserted): a
# 30 s, 25 fps video-only file with a subtitle a second, followed in mpv over
# MPRIS, in VLC over MPRIS (run as nobody), in mpv over its IPC socket and in
# VLC over its web interface (as nobody, measured against its MPRIS position),
# each on its own session bus, and the MPC stand-in over its web interface
# (tests/e2e/mpc_standin.py, 250 ms position steps). Needs the system's
# python3 with python3-dbus.
# With a Windows build beside it (or $CUESTRIP_WIN_BUILD) and Wine, also the
# mpv-pipe rows: the Windows program following the mpv stand-in over its
# named pipe (bench/follow_lag_mpv_pipe.sh).
# Usage: bench/follow_lag.sh [BUILD-DIR]   (default build/native)
set -uo pipefail
if [ "${1:-}" != inner ]; then
  build=$(readlink -f "${1:-build/native}")
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  e2e="$(dirname "$0")/../tests/e2e"
  . "$e2e/lib.sh"
  cp "$0" "$work/lag.sh" && cp "$(dirname "$0")/follow_probe.py" "$e2e/ptyprobe.py" "$build/cuestrip" "$work/" || exit 1
  follow_fixtures "$work" 30 Lag || exit 1
  for mode in mpris ipc; do dbus-run-session -- bash "$work/lag.sh" inner $mode "$work" 2>/dev/null; done
  as_nobody "$work" dbus-run-session -- bash "$work/lag.sh" inner vlc "$work" 2>/dev/null
  as_nobody "$work" dbus-run-session -- bash "$work/lag.sh" inner vlc-http "$work" 2>/dev/null
  # MPC (stand-in): its page from a timeline that moves in 250 ms steps.
  cp "$e2e/mpc_standin.py" "$work/" && bash "$work/lag.sh" inner mpc "$work"
  chown -R root "$work"
  win=${CUESTRIP_WIN_BUILD:-$(dirname "$build")/win}
  if [ -f "$win/cuestrip_mpv_pipe_standin.exe" ] && command -v wine >/dev/null; then
    bash "$(dirname "$0")/follow_lag_mpv_pipe.sh" "$win"
  fi
  exit 0
fi
mode=$2
cd "$3"
case $mode in
mpris | ipc)
  plugin=()
  [ "$mode" = mpris ] && plugin=(--script=/usr/lib/mpv-mpris/mpris.so)
  mpv --no-config --vo=null --ao=null --keep-open=yes "${plugin[@]}" \
    --input-ipc-server="$PWD/$mode.sock" video.mp4 >/dev/null 2>&1 &
  truth="mpv:$PWD/$mode.sock"
  code=mpris
  [ "$mode" = ipc ] && code="mpv:$PWD/$mode.sock"
  ;;
vlc)
  cvlc --vout dummy --aout dummy video.mp4 >/dev/null 2>&1 &
  truth=mpris:vlc
  code=mpris:vlc
  ;;
vlc-http)
  port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  vlc -I dummy --extraintf http --http-host 127.0.0.1 --http-port "$port" --http-password lag \
    --vout dummy --aout dummy video.mp4 >/dev/null 2>&1 &
  truth=mpris:vlc
  code="vlc://:lag@127.0.0.1:$port"
  ;;
mpc)
  python3 mpc_standin.py --port 0 --duration 30 --step-ms 250 >standin.out 2>&1 &
  sleep 1
  port=$(sed -n 's/^listening on .*:\([0-9]*\)$/\1/p' standin.out)
  truth="mpc:$port"
  code="mpc://127.0.0.1:$port"
  ;;
esac
sleep 1
echo -n "$mode: "
/usr/bin/python3 follow_probe.py "$truth" 25 ./cuestrip -ns -p "$code" script.txt
kill %1
