#!/usr/bin/env bash
# End-to-end: files that cannot be played end the run at once with mpv's
# reason and exit 1, whatever the diagnostics switch says; a sound file plays
# its subtitles; the embedded player draws no subtitles of its own.
# Needs CUESTRIP_BUILD (the build folder). Every run is bounded.
set -uo pipefail
exe=$(readlink -f "${CUESTRIP_BUILD:?}/cuestrip")
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir -p mpv
printf 'vo=null\nao=null\ninput-ipc-server=%s/mpv.sock\n' "$work" >mpv/mpv.conf
printf '1\r\n00:00:00,500 --> 00:00:01,500\r\nHello there\r\n\r\n' >film.srt
ffmpeg -loglevel error -y -f lavfi -i testsrc=size=160x120:rate=25:duration=3 \
  -c:v libx264 -preset ultrafast -pix_fmt yuv420p film.mp4 \
  && ffmpeg -loglevel error -y -f lavfi -i sine=frequency=440:duration=3 tone.wav \
  || { echo "FAIL ffmpeg could not make the test files"; exit 1; }
echo "just some notes" >notes.txt
head -c 4000 film.mp4 >truncated.mp4
{ head -c 64 film.mp4; head -c 200000 /dev/urandom; } >garbage.mp4
cp /etc/passwd passwd

run() { MPV_HOME="$work/mpv" timeout 20 "$exe" "$@" </dev/null >out.txt 2>&1; }

# Each case: the arguments, then a text the report must carry.
cases=(
  "film.srt notes.txt|mpv: Failed to recognize file format."
  "film.srt truncated.mp4|Cannot play truncated.mp4"
  "film.srt garbage.mp4|Cannot play garbage.mp4"
  "film.srt passwd|Cannot play passwd"
  "film.mp4 film.srt|film.mp4 looks like a video; the subtitle file comes first"
)
for debug in -d -nd; do
  for c in "${cases[@]}"; do
    args=${c%%|*} want=${c#*|}
    start=$(date +%s%N)
    run $debug $args; rc=$?
    ms=$((($(date +%s%N) - start) / 1000000))
    check_that "$debug $args: exit 1 within 5 s (${ms} ms, exit $rc)" "[ $rc = 1 ] && [ $ms -lt 5000 ]"
    check_that "$debug $args: the report says '$want'" "grep -qF -- '$want' out.txt"
    check_that "$debug $args: mpv's reason is given" "grep -q '^mpv: ' out.txt"
  done
done

# A radio play: sound only, its subtitle shown, and a line saying so. A
# pseudo-terminal takes the output line by line.
MPV_HOME="$work/mpv" timeout 5 script -qfc "'$exe' -ns film.srt tone.wav" /dev/null \
  </dev/null >out.txt 2>&1
check_that "a sound file shows its subtitle" "grep -q 'Hello' out.txt"
check_that "a sound file is said to have no picture" "grep -q 'no picture in tone.wav' out.txt"

# The embedded player leaves the subtitles to the console: no track is
# selected, though film.srt sits beside film.mp4; --player-subs selects one.
sid() { # sid ARGS...: mpv's selected subtitle track during a run
  rm -f mpv.sock
  MPV_HOME="$work/mpv" timeout 20 "$exe" "$@" film.srt film.mp4 </dev/null >out.txt 2>&1 &
  local pid=$! answer=""
  for _ in $(seq 100); do [ -S mpv.sock ] && grep -q "Hello there" out.txt && break; sleep 0.05; done
  answer=$(printf '{"command":["get_property","sid"]}\n' | socat -t 1 - UNIX-CONNECT:mpv.sock 2>/dev/null)
  kill $pid 2>/dev/null; wait $pid 2>/dev/null
  echo "$answer"
}
answer=$(sid -ns)
check_that "no subtitle track in the video ($answer)" "grep -q '\"data\":false' <<<'$answer'"
answer=$(sid -ns --player-subs)
check_that "--player-subs selects one ($answer)" "grep -q '\"data\":1' <<<'$answer'"

finish "bad video"
