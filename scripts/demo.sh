#!/usr/bin/env bash
# Plays the bundled example: installs what is missing, builds the program,
# makes the example's video if it is not there yet, and runs cuestrip on it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh run

mkdir -p build
cmake -S . -B build/demo -DCMAKE_BUILD_TYPE=Release >build/demo.configure.log 2>&1 \
  || { cat build/demo.configure.log; exit 1; }
cmake --build build/demo --target cuestrip -j2 >build/demo.build.log 2>&1 \
  || { tail -n 40 build/demo.build.log; exit 1; }

# The script names this video (FILE=build/night-train.mp4): 20 s at 25 fps,
# with the frame number drawn on every frame, so each subtitle can be seen to
# arrive at its frame.
video=build/night-train.mp4
if [ ! -f "$video" ] || [ ! -f "$video.counter" ]; then
  font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
  ffmpeg -loglevel error -y \
    -f lavfi -i testsrc=size=320x240:rate=25:duration=20 \
    -f lavfi -i sine=frequency=440:duration=20 \
    -vf "drawtext=fontfile=$font:text='frame %{frame_num}':fontsize=32:fontcolor=white:box=1:boxcolor=black:x=10:y=200" \
    -c:v libx264 -preset ultrafast -pix_fmt yuv420p -g 25 -c:a aac -shortest "$video"
  touch "$video.counter"
fi

# Without a display, mpv plays headless: no video or audio output.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  mkdir -p build/demo-mpv
  printf 'vo=null\nao=null\n' >build/demo-mpv/mpv.conf
  export MPV_HOME="$PWD/build/demo-mpv"
  echo "No display: the video plays headless; the subtitles still come on time."
fi

echo "Keys: space pause/play, p play, u pause, s stop, , and . ten seconds back and"
echo "forward, < and > a minute, q quit."
if [ -t 0 ]; then
  exec build/demo/cuestrip examples/night-train.txt
fi
# Nobody at the keyboard: quit once the video is over.
{ sleep 22; printf q; } | build/demo/cuestrip examples/night-train.txt
