#!/usr/bin/env bash
# End-to-end live playback: the real program in a tmux pane with headless mpv
# and a generated 20 s, 25 fps video. Subtitles in order and on time, pause and
# resume, a seek back that shows a subtitle again, quit with the terminal as it
# was, the MCI control, Ctrl+Z, the missing video, and a kill by SIGTERM.
# Needs CUESTRIP_BUILD (the build folder). Every wait is bounded.
set -uo pipefail
exe=$(readlink -f "${CUESTRIP_BUILD:?}/cuestrip")
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d)
session="cuestrip-e2e-$$"
trap 'tmux kill-session -t "$session" 2>/dev/null; rm -rf "$work"' EXIT
cd "$work"
now() { date +%s.%N; }
elapsed() { awk -v a="$(now)" -v b="$1" 'BEGIN { printf "%.3f", a - b }'; }
within() { awk -v x="$1" -v lo="$2" -v hi="$3" 'BEGIN { exit !(x > lo && x < hi) }'; } # within X LOW HIGH

# Headless mpv: the program's player finds this mpv.conf through MPV_HOME.
mkdir -p mpv
printf 'vo=null\nao=null\n' >mpv/mpv.conf
font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
counter=()
[ -f "$font" ] && counter=(-vf "drawtext=fontfile=$font:text='%{frame_num}':fontsize=40:fontcolor=white:x=8:y=8")
ffmpeg -loglevel error -y -f lavfi -i testsrc=size=320x240:rate=25:duration=20 \
  -f lavfi -i sine=frequency=440:duration=20 "${counter[@]}" \
  -c:v libx264 -preset ultrafast -pix_fmt yuv420p -g 25 -c:a aac -shortest video.mp4 \
  || { echo "FAIL ffmpeg could not make the test video"; exit 1; }

frames=(25 50 100 175 250 300 375)
names=(one two three four five six seven)
{
  printf '{HEAD\r\nTITLE=Playback check\r\nFPS=25\r\n}\r\n'
  for i in "${!frames[@]}"; do printf '{T;%s\r\nS%s %s\r\n}\r\n' "${frames[$i]}" "$((i + 1))" "${names[$i]}"; done
} >script.txt

# The pane runs this: the terminal's settings before and after, the exit code.
cat >run.sh <<'RUN'
stty -g >stty.before
# The program in the foreground, its pid noted for the signal test.
bash -c 'echo $$ >program.pid; exec "$@"' program "$@"
echo "EXIT=$?" >exit.code
stty -g >stty.after
echo "PROGRAM ENDED"
sleep 600
RUN

screen() { tmux capture-pane -p -J -S -2000 -t "$session" 2>/dev/null; }
count() { screen | grep -c -- "$1"; } # how many lines show $1
wait_for() { # wait_for TEXT COUNT SECONDS: until TEXT shows COUNT times
  local deadline=$(($(date +%s) + $3))
  while [ "$(count "$1")" -lt "$2" ]; do
    [ "$(date +%s)" -ge "$deadline" ] && return 1
    sleep 0.05
  done
}
start_pane() { # start_pane ARGS...: the program in a fresh 100x30 pane
  tmux kill-session -t "$session" 2>/dev/null
  rm -f exit.code stty.before stty.after program.pid
  tmux new-session -d -s "$session" -x 100 -y 30 \
    "cd '$work' && MPV_HOME='$work/mpv' bash run.sh '$exe' $*"
  tmux set-option -t "$session" remain-on-exit on >/dev/null
  started=$(now)
}
pane() { tmux display -p -t "$session" "$1"; }

# --- The ActiveMovie control (the default order) -------------------------
title_before=$(tmux new-session -d -s "$session-t" -x 100 -y 30 'sleep 5' \
  && sleep 0.2 && tmux display -p -t "$session-t" '#{pane_title}'; tmux kill-session -t "$session-t")
start_pane script.txt video.mp4
size_before="100x30"

if wait_for "S1 one" 1 15; then
  first=$(now)
  pass "first subtitle shows ($(elapsed "$started") s after start)"
  check_that "debug lines of the console preparation" '[ "$(count "Code page is 437")" = 1 ]'
  check_that "title set from the script" '[ "$(pane "#{pane_title}")" = "Playback check" ]'
  check_that "cursor hidden while playing" '[ "$(pane "#{cursor_flag}")" = 0 ]'
  # Each subtitle at its frame's time, counted from the first one.
  for i in 1 2; do
    if wait_for "S$((i + 1)) ${names[$i]}" 1 10; then
      lag=$(elapsed "$first")
      due=$(((${frames[$i]} - ${frames[0]}) * 4)) # hundredths of a second at 25 fps
      check_that "S$((i + 1)) at its frame ($lag s, due $((due / 100)).$((due % 100)) s)" \
        "within $lag $(awk -v d=$due 'BEGIN { print d / 100 - 0.5 }') $(awk -v d=$due 'BEGIN { print d / 100 + 0.7 }')"
    else
      fail "S$((i + 1)) never showed"
    fi
  done
  order=$(screen | grep -o 'S[0-9] [a-z]*' | tr '\n' ' ')
  check_that "subtitles in order ($order)" '[ "$order" = "S1 one S2 two S3 three " ]'

  # Space pauses (the video is near 4 s; S4 is due at 7 s).
  tmux send-keys -t "$session" ' '
  sleep 4
  check_that "nothing new while paused" '[ "$(count "S4 four")" = 0 ]'
  resumed=$(now)
  tmux send-keys -t "$session" ' '
  if wait_for "S4 four" 1 10; then
    lag=$(elapsed "$resumed")
    check_that "space resumes: S4 after $lag s" "within $lag 1.5 4.5"
  else
    fail "S4 never showed after resuming"
  fi

  # "," goes back ten seconds, to the start: S1 shows again.
  tmux send-keys -t "$session" ','
  check_that "',' shows an earlier subtitle again" 'wait_for "S1 one" 2 6'
  check_that "and the later ones after it" 'wait_for "S2 two" 2 6'

  tmux send-keys -t "$session" q
  if wait_for "PROGRAM ENDED" 1 10; then
    check_that "'q' exits with 0" '[ "$(cat exit.code)" = EXIT=0 ]'
    check_that "echo and line input back" 'cmp -s stty.before stty.after'
    check_that "cursor visible again" '[ "$(pane "#{cursor_flag}")" = 1 ]'
    check_that "title back ($(pane '#{pane_title}'))" '[ "$(pane "#{pane_title}")" = "$title_before" ]'
    check_that "size back" '[ "$(pane "#{pane_width}x#{pane_height}")" = "$size_before" ]'
  else
    fail "'q' did not end the program"
  fi
else
  fail "no subtitle within 15 s"
  screen | tail -n 20
fi

# --- The MCI control --------------------------------------------------------
start_pane -p MCI script.txt video.mp4
check_that "-p MCI plays: S1 shows" 'wait_for "S1 one" 1 15'
# Ctrl+Z where no shell can continue the program is ignored, never a freeze.
tmux send-keys -t "$session" C-z
check_that "-p MCI plays on after Ctrl+Z without job control: S2 shows" 'wait_for "S2 two" 1 5'
check_that "no ActiveMovie attempt with -p MCI" '[ "$(count "interface not available")" = 0 ]'
tmux send-keys -t "$session" Q
check_that "-p MCI: 'Q' exits with 0" 'wait_for "PROGRAM ENDED" 1 10 && [ "$(cat exit.code)" = EXIT=0 ]'

# --- SIGTERM: the terminal is restored, then the program dies by it ---------
start_pane script.txt video.mp4
if wait_for "S1 one" 1 15; then
  kill -TERM "$(cat program.pid)"
  if wait_for "PROGRAM ENDED" 1 10; then
    check_that "SIGTERM ends with 128+15" '[ "$(cat exit.code)" = EXIT=143 ]'
    check_that "SIGTERM leaves echo and line input on" 'cmp -s stty.before stty.after'
    check_that "SIGTERM leaves the cursor visible" '[ "$(pane "#{cursor_flag}")" = 1 ]'
  else
    fail "SIGTERM did not end the program"
  fi
else
  fail "no subtitle within 15 s (SIGTERM run)"
fi
tmux kill-session -t "$session" 2>/dev/null

# --- A missing video: the fatal error and the usage text --------------------
printf '{HEAD\r\nFILE=gone.mp4\r\n}\r\n{T;25\r\nnever\r\n}\r\n' >novideo.txt
echo | MPV_HOME="$work/mpv" timeout 20 "$exe" novideo.txt >missing.out
rc=$?
check_that "missing video: exit code 1" '[ $rc = 1 ]'
check_that "missing video: the fatal error" 'grep -q "^Fatal error: video file not specified" missing.out'
check_that "missing video: then the usage text" 'grep -q "^Press ENTER to conitnue" missing.out'
echo | MPV_HOME="$work/mpv" timeout 20 "$exe" novideo.txt gone.mp4 >missing.out
rc=$?
check_that "missing video on the command line: exit code 1" '[ $rc = 1 ]'
check_that "missing video on the command line: warning, then the fatal error" \
  'grep -q "^Ignoring non-existant file specified at command line: gone.mp4" missing.out &&
   grep -q "^Fatal error: video file not specified" missing.out'

finish playback
