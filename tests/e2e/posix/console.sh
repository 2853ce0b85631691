#!/usr/bin/env bash
# End-to-end: a clean, live console. In a tmux pane with a noisy player
# (ALSA with a broken configuration, mpv's default video-output probe with no
# display), only the program's own lines reach the screen: the libraries'
# lines show as marked log lines with Debug on and not at all with Debug off;
# keys keep working; a failed load says why before the report; a resize that
# tmux ignores is reported as such and the layout uses the real width; a file
# name beyond ASCII shows as itself.
# Needs CUESTRIP_BUILD (the build folder). Every wait is bounded.
set -uo pipefail
# The screen is compared with the script's text as a UTF-8 terminal shows it,
# whatever locale the caller has.
export LC_ALL=C.UTF-8
exe=$(readlink -f "${CUESTRIP_BUILD:?}/cuestrip")
. "$(dirname "$0")/../lib.sh"
root=$(cd "$(dirname "$0")/../../.." && pwd)
session=console
tmux_work console

ffmpeg -loglevel error -y -f lavfi -i testsrc=size=320x240:rate=25:duration=20 \
  -f lavfi -i sine=frequency=440:duration=20 \
  -c:v libx264 -preset ultrafast -pix_fmt yuv420p -g 25 -c:a aac -shortest video.mp4 \
  || { echo "FAIL ffmpeg could not make the test video"; exit 1; }
head -c 20000 /dev/urandom >garbage.mp4

# A subtitle 97 columns wide: one line at the real width of 100 columns (99
# usable), two at the 95 the resize asked for.
wide="Wide: $(printf 'abcdefghi %.0s' $(seq 9))end"
{
  printf '{HEAD\r\nTITLE=Console check\r\nFPS=25\r\n}\r\n'
  printf '{T;25\r\nS1 one\r\n}\r\n{T;50\r\n%s\r\n}\r\n{T;150\r\nS3 three\r\n}\r\n' "$wide"
} >script.txt

# The player's noise: ALSA with a configuration it cannot read, so every
# start of audio output writes "ALSA lib ..." lines to standard error.
mkdir -p noisy
printf 'vo=null\nao=alsa\n' >noisy/mpv.conf
printf 'this is { not an ALSA configuration\n' >broken-alsa.conf

cat >run.sh <<'RUN'
"$@"
echo "EXIT=$?" >exit.code
echo "PROGRAM ENDED"
sleep 600
RUN

screen() { tmux -L "$sock" capture-pane -p -J -S -2000 -t "$session" 2>/dev/null; }
count() { screen | grep -c -- "$1"; }
wait_for() { # wait_for TEXT SECONDS
  local deadline=$(($(date +%s) + $2))
  until [ "$(count "$1")" -ge 1 ]; do
    [ "$(date +%s)" -ge "$deadline" ] && return 1
    sleep 0.05
  done
}
# start ENV-ASSIGNMENTS -- ARGS...: the program in a fresh 100x30 pane, with
# no display and the given environment.
start() {
  local env=()
  while [ "$1" != -- ]; do env+=("$1"); shift; done
  shift
  tmux -L "$sock" kill-session -t "$session" 2>/dev/null
  rm -f exit.code
  tmux -L "$sock" new-session -d -s "$session" -x 100 -y 30 \
    "cd '$work' && env -u DISPLAY -u WAYLAND_DISPLAY ${env[*]} bash run.sh '$exe' $*"
}
quit_with() { # quit_with NAME CODE: q, then the exit code
  tmux -L "$sock" send-keys -t "$session" q
  check_that "$1: 'q' quits with $2" "wait_for 'PROGRAM ENDED' 10 && [ \"\$(cat exit.code)\" = EXIT=$2 ]"
}
# Lines on screen that the program did not write: anything but its Debug
# lines, marked player lines, the script's subtitles and the pane's own end.
foreign_lines() {
  screen | sed 's/ *$//' | grep -v -e '^$' -e '^mpv: ' -e '^OK$' -e '^Repos ' -e '^Resize ' \
    -e '^Code page is ' -e '^S[0-9] [a-z]*$' -e '^Wide: ' -e '^EXIT=' -e '^PROGRAM ENDED$'
}
noisy=("MPV_HOME=$work/noisy" "ALSA_CONFIG_PATH=$work/broken-alsa.conf")

# --- Debug off: nothing but the subtitles -----------------------------------
start "${noisy[@]}" -- -nd script.txt video.mp4
if wait_for "S3 three" 15; then
  check_that "Debug off: no line the program did not write ($(foreign_lines | head -n 1))" \
    '[ -z "$(foreign_lines)" ]'
  check_that "Debug off: no player lines either" '[ "$(count "^mpv: ")" = 0 ]'
  check_that "Debug off: only the subtitles" '[ "$(screen | grep -vc -e "^$" -e "^S[0-9]" -e "^Wide: ")" = 0 ]'
  quit_with "Debug off" 0
else
  fail "Debug off: S3 never showed"; screen | tail -n 15
fi

# --- Debug on: quiet, the library's lines stay off the screen -------------------
start "${noisy[@]}" -- script.txt video.mp4
if wait_for "S3 three" 15; then
  check_that "Debug on: no ALSA lines without -v" '[ "$(count "ALSA lib")" = 0 ]'
  check_that "Debug on: no unmarked library line ($(foreign_lines | head -n 1))" '[ -z "$(foreign_lines)" ]'
  # tmux ignores CSI 8 t: the Debug lines say so, the layout takes 100 columns.
  check_that "resize ignored: the honest Debug line" \
    '[ "$(count "^Resize failed: the terminal kept 100x30$")" = 1 ]'
  check_that "resize ignored: laid out at the real width" '[ "$(count "^$wide")" = 1 ]'
  quit_with "Debug on" 0
else
  fail "Debug on: S3 never showed"; screen | tail -n 15
fi

# --- Verbose: the library's lines as marked log lines, all of them in the file
start "${noisy[@]}" -- -v --player-log "$work/player.log" script.txt video.mp4
if wait_for "S1 one" 15; then
  check_that "verbose: ALSA's lines marked as the player's" 'wait_for "^mpv: ALSA lib" 5'
  check_that "verbose: no unmarked library line ($(foreign_lines | head -n 1))" '[ -z "$(foreign_lines)" ]'
  check_that "player log: ALSA's lines in the file" 'grep -q "^ALSA lib" "$work/player.log"'
  quit_with "verbose" 0
else
  fail "verbose: S1 never showed"; screen | tail -n 15
fi

# --- mpv's default configuration with no display: keys still work -------------
# The video-output probe closes descriptor 0; a home without mpv settings.
mkdir -p home
start HOME="$work/home" XDG_CONFIG_HOME="$work/home" -- -nd script.txt video.mp4
if wait_for "S1 one" 15; then
  sleep 1.5 # past the video-output probe
  tmux -L "$sock" send-keys -t "$session" ' '
  sleep 4.5 # S3 is due 6 s into the video
  check_that "default mpv: space pauses" '[ "$(count "S3 three")" = 0 ]'
  tmux -L "$sock" send-keys -t "$session" ' '
  check_that "default mpv: space plays again" 'wait_for "S3 three" 8'
  check_that "default mpv: no line the program did not write ($(foreign_lines | head -n 1))" \
    '[ -z "$(foreign_lines)" ]'
  quit_with "default mpv" 0
else
  fail "default mpv: S1 never showed"; screen | tail -n 15
fi

# --- The bundled example as the demo plays it, with mpv's defaults ------------
cp "$root/examples/night-train.txt" demo.txt
# The screenplay's text, from the console's code page as the terminal shows it.
"$exe" -scp demo.txt video.mp4 </dev/null | iconv -f CP437 -t UTF-8 | tr -d '\r' | tr '\n' ' ' |
  tr -s ' ' >demo.text
start HOME="$work/home" XDG_CONFIG_HOME="$work/home" -- demo.txt video.mp4
sleep 8
# Each screen line is a Debug line, a marked player line, or a piece of the
# script's text as its layout cut it.
unknown=$(screen | sed 's/ *$//' | grep -v -e '^$' -e '^mpv: ' -e '^OK$' -e '^Repos ' \
  -e '^Resize ' -e '^Code page is ' | tr -s ' ' | sed 's/^ //' |
  while IFS= read -r line; do grep -qF -- "$line" demo.text || echo "$line"; done)
check_that "demo: every line on screen is the program's ($(echo "$unknown" | head -n 1))" '[ -z "$unknown" ]'
check_that "demo: some subtitles shown" '[ "$(screen | grep -c -e "^Anna:" -e "^Conductor:" -e "^Bob:" )" -ge 1 ]'
quit_with "demo" 0

# --- A failed load ends the run: mpv's reason, then the report ----------------
start "${noisy[@]}" -- -nd -p MCI script.txt garbage.mp4
if wait_for "PROGRAM ENDED" 15; then
  check_that "failed load: mpv's reason although Debug is off" \
    '[ "$(count "^mpv: Failed to recognize file format.$")" = 1 ]'
  check_that "failed load: then the report" \
    'screen | grep -A1 "^mpv: Failed to recognize" | grep -q "^Exception EOleException in module cuestrip"'
  check_that "failed load: exit 1" '[ "$(cat exit.code)" = EXIT=1 ]'
  check_that "failed load: no line the program did not write ($(foreign_lines | head -n 1))" \
    '[ -z "$(foreign_lines | grep -v -e "^Exception EOleException" -e "^Cannot play ")" ]'
else
  fail "failed load: the run did not end"; screen | tail -n 15
fi

# --- A video alone whose name is not ASCII: the Debug line shows the name -----
cp video.mp4 "Vidéo.mp4" && cp script.txt "Vidéo.txt"
start "${noisy[@]}" -- "Vidéo.mp4"
check_that "non-ASCII name: subtitles show" 'wait_for "S1 one" 15'
check_that "non-ASCII name: named as it is" '[ "$(count "^Subtitles: Vidéo.txt$")" = 1 ]'
quit_with "non-ASCII name" 0

# --- Standard error closed at start ------------------------------------------------
start "${noisy[@]}" -- -nd script.txt video.mp4 '2>&-'
check_that "stderr closed at start: subtitles show" 'wait_for "S1 one" 15'
quit_with "stderr closed at start" 0

finish console
