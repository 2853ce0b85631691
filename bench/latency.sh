#!/usr/bin/env bash
# Subtitle latency benchmark (printed, not asserted): plays a generated 60 s
# video headless with one subtitle per second in a pseudo-terminal, and for
# each subtitle asks mpv where playback really is when the line arrives.
# Usage: bench/latency.sh [BUILD-DIR]   (default build/native)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(readlink -f "${1:-build/native}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/mpv"
printf 'vo=null\nao=null\ninput-ipc-server=%s\n' "$work/mpv.sock" >"$work/mpv/mpv.conf"
ffmpeg -loglevel error -y -f lavfi -i testsrc=size=320x240:rate=25:duration=60 \
  -f lavfi -i sine=frequency=440:duration=60 \
  -c:v libx264 -preset ultrafast -pix_fmt yuv420p -g 25 -c:a aac -shortest "$work/v60.mp4"
{
  printf '{HEAD\r\nTITLE=Latency\r\nFPS=25\r\n}\r\n'
  for s in $(seq 1 59); do printf '{T;%d\r\nL%d at frame %d\r\n}\r\n' $((s * 25)) "$s" $((s * 25)); done
} >"$work/script.txt"

MPV_HOME="$work/mpv" python3 bench/latency_probe.py "$build/cuestrip" "$work/script.txt" \
  "$work/v60.mp4" "$work/mpv.sock" 25
