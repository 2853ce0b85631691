#!/usr/bin/env bash
# Plays the bundled example: installs what is missing, builds the program,
# makes the example's video if it is not there yet, and runs cuestrip on it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

mkdir -p build
cmake -S . -B build/demo -DCMAKE_BUILD_TYPE=Release >build/demo.configure.log 2>&1 \
  || { cat build/demo.configure.log; exit 1; }
cmake --build build/demo --target cuestrip -j2 >build/demo.build.log 2>&1 \
  || { tail -n 40 build/demo.build.log; exit 1; }

# The script names this video (FILE=build/night-train.mp4): 20 s at 25 fps.
video=build/night-train.mp4
if [ ! -f "$video" ]; then
  ffmpeg -loglevel error -y \
    -f lavfi -i testsrc=size=320x240:rate=25:duration=20 \
    -f lavfi -i sine=frequency=440:duration=20 \
    -c:v libx264 -preset ultrafast -pix_fmt yuv420p -g 25 -c:a aac -shortest "$video"
fi

# The screenplay: every subtitle of the example, laid out as on the console.
exec build/demo/cuestrip -scp examples/night-train.txt
