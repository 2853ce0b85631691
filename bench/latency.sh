#!/usr/bin/env bash
# Subtitle latency benchmark (printed, not asserted): plays a generated video
# (60 s, or CUESTRIP_BENCH_SECONDS) headless with one subtitle per second in a
# pseudo-terminal, and for each subtitle asks mpv where playback really is
# when the line arrives. Runs at 25 and at 29.97 frames a second, each with
# the due-moment wake and with --tick-only.
# Usage: bench/latency.sh [BUILD-DIR]   (default build/native)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(readlink -f "${1:-build/native}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
seconds=${CUESTRIP_BENCH_SECONDS:-60}

mkdir -p "$work/mpv"
printf 'vo=null\nao=null\ninput-ipc-server=%s\n' "$work/mpv.sock" >"$work/mpv/mpv.conf"

# make_case NAME RATE FPS-TEXT FRAMES-PER-SUBTITLE
make_case() {
  local name=$1 rate=$2 fps=$3 step=$4
  ffmpeg -loglevel error -y -f lavfi -i "testsrc=size=320x240:rate=$rate:duration=$seconds" \
    -f lavfi -i sine=frequency=440:duration=$seconds \
    -c:v libx264 -preset ultrafast -pix_fmt yuv420p -g 25 -c:a aac -shortest "$work/$name.mp4"
  {
    printf '{HEAD\r\nTITLE=Latency\r\nFPS=%s\r\n}\r\n' "$fps"
    # One a second, each on a frame of its own second (a few frames in, so
    # the frames fall at different moments between two ticks).
    for s in $(seq 1 $((seconds - 1))); do
      f=$((s * step + s % 7))
      printf '{T;%d\r\nL%d at frame %d\r\n}\r\n' "$f" "$s" "$f"
    done
  } >"$work/$name.txt"
}
make_case f25 25 25 25
# NTSC: the script's FPS is the video's exact rate, 30000/1001.
make_case f2997 30000/1001 29.97002997 30

for name in f25 f2997; do
  fps=$([ $name = f25 ] && echo 25 || echo 29.97002997)
  for mode in wake tick-only; do
    echo "--- $fps fps, $mode"
    opts=()
    [ $mode = tick-only ] && opts=(--tick-only)
    MPV_HOME="$work/mpv" python3 bench/latency_probe.py "$build/cuestrip" "$work/$name.txt" \
      "$work/$name.mp4" "$work/mpv.sock" "$fps" "${opts[@]}"
  done
done
