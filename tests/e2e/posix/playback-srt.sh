#!/usr/bin/env bash
# End-to-end live playback of a SubRip file with a 29.97 fps video (30000
# frames per 1001 s) in headless mpv, with each player: as each cue's line
# arrives, mpv is asked (over its IPC socket) where playback is. A cue must
# not arrive before mpv reaches its time, nor much later than one timer tick
# after it. Cues sit on exact frame times and between them. Needs
# CUESTRIP_BUILD (the build folder). Every wait is bounded.
set -uo pipefail
. "$(dirname "$0")/../lib.sh"
e2e=$(readlink -f "$(dirname "$0")/..")
exe=$(readlink -f "${CUESTRIP_BUILD:?}/cuestrip")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

mkdir -p mpv
printf 'vo=null\nao=null\ninput-ipc-server=%s\n' "$work/mpv.sock" >mpv/mpv.conf
# Video only: an AAC track would hold the first frame back.
ffmpeg -loglevel error -y -f lavfi -i testsrc=size=320x240:rate=30000/1001:duration=10 \
  -c:v libx264 -preset ultrafast -pix_fmt yuv420p -g 30 video.mp4 \
  || { echo "FAIL ffmpeg could not make the test video"; exit 1; }

# Frame 30 starts at 1.001 s, frame 120 at 4.004 s, frame 180 at 6.006 s.
starts=(00:00:01,001 00:00:02,500 00:00:03,337 00:00:04,004 00:00:05,250 00:00:06,006 00:00:07,100)
for i in "${!starts[@]}"; do
  printf '%d\r\n%s --> 00:00:09,000\r\nC%d at %s\r\n\r\n' $((i + 1)) "${starts[$i]}" $((i + 1)) "${starts[$i]}"
done >film.srt

cat >probe.py <<'PY'
import re, sys
sys.path.insert(0, sys.argv[1])
from ptyprobe import ask_mpv, lines, quit, spawn
exe, args, sock_path, count = sys.argv[2], sys.argv[3:-2], sys.argv[-2], int(sys.argv[-1])
line_re = re.compile(rb"C(\d+) at (\d\d):(\d\d):(\d\d),(\d\d\d)")
pid, fd = spawn([exe, "-ndc"] + args)
seen = 0
for _, line in lines(fd, 40):
    m = line_re.search(line)
    if not m:
        continue
    position = ask_mpv(sock_path)
    h, mi, s, ms = (int(g) for g in m.groups()[1:])
    print(f"C{m.group(1).decode()} {h * 3600 + mi * 60 + s + ms / 1000:.3f} {position:.4f}")
    seen += 1
    if seen == count:
        break
quit(pid, fd)
PY

for player in AMovie MCI; do
  MPV_HOME="$work/mpv" timeout 60 python3 probe.py "$e2e" "$exe" -p "$player" film.srt video.mp4 \
    "$work/mpv.sock" ${#starts[@]} >arrivals.txt 2>probe.err
  arrived=$(wc -l <arrivals.txt)
  if [ "$arrived" -ne ${#starts[@]} ]; then
    echo "FAIL -p $player: $arrived of ${#starts[@]} cues arrived"; cat probe.err
    failures=$((failures + 1))
    continue
  fi
  # Early: before mpv's position reached the cue (a millisecond of rounding
  # allowed). Late: more than a 180 ms tick, a frame and 250 ms of slack for
  # a loaded machine after it.
  while read -r name start position; do
    if awk -v s="$start" -v p="$position" 'BEGIN { exit !(p >= s - 0.001 && p <= s + 0.180 + 0.034 + 0.25) }'; then
      echo "ok   -p $player: $name due at $start arrived at mpv position $position"
    else
      echo "FAIL -p $player: $name due at $start arrived at mpv position $position"
      failures=$((failures + 1))
    fi
  done <arrivals.txt
  order=$(awk '{ printf "%s ", $1 }' arrivals.txt)
  [ "$order" = "C1 C2 C3 C4 C5 C6 C7 " ] || { echo "FAIL -p $player: order $order"; failures=$((failures + 1)); }
done

finish "SubRip playback"
