#!/usr/bin/env bash
# End-to-end: the program under job control in an interactive shell in a
# tmux pane. Ctrl-\ ends it by SIGQUIT with the terminal given back (echo,
# the cursor); Ctrl-Z then `fg`, twenty times, leaves it running with its keys
# working; a terminal resized during playback lays out later subtitles at the
# new width. Needs CUESTRIP_BUILD (the build folder). Every wait is bounded.
set -uo pipefail
export LC_ALL=C.UTF-8
exe=$(readlink -f "${CUESTRIP_BUILD:?}/cuestrip")
. "$(dirname "$0")/../lib.sh"
pane=signals
tmux_work signals

ffmpeg -loglevel error -y -f lavfi -i testsrc=size=160x120:rate=25:duration=120 \
  -c:v libx264 -preset ultrafast -pix_fmt yuv420p -g 25 video.mp4 ||
  { echo "FAIL ffmpeg could not make the test video"; exit 1; }
mkdir -p mpv && printf 'vo=null\nao=null\n' >mpv/mpv.conf
# A subtitle every second: "N<s>" and 240 columns of words after it.
{
  printf '{HEAD\r\nTITLE=Signals\r\nFPS=25\r\n}\r\n'
  for s in $(seq 1 119); do
    printf '{T;%d\r\nN%d %s\r\n}\r\n' $((s * 25)) "$s" "$(printf 'wordy %.0s' $(seq 40))"
  done
} >script.txt

tm() { tmux -L "$sock" "$@"; }
screen() { tm capture-pane -p -J -S -2000 -t "$pane" 2>/dev/null; }
wait_until() { # wait_until SECONDS CONDITION
  local deadline=$(($(date +%s) + $1))
  until eval "$2"; do
    [ "$(date +%s)" -ge "$deadline" ] && return 1
    sleep 0.05
  done
}
shown() { screen | grep -q -- "$1"; }
# The pane: an interactive bash without a profile, 100 columns wide.
open_shell() {
  tm kill-session -t "$pane" 2>/dev/null
  tm new-session -d -s "$pane" -x 100 -y 30 "cd '$work' && env -u DISPLAY -u WAYLAND_DISPLAY MPV_HOME='$work/mpv' PS1='$ ' bash --norc -i"
  wait_until 5 'shown "^\$ "'
}
type_line() { tm send-keys -t "$pane" -l "$1"; tm send-keys -t "$pane" Enter; }
shell_pid() { tm display -p -t "$pane" '#{pane_pid}'; }
program_pid() { pgrep -P "$(shell_pid)" -x cuestrip; }
state() { awk '{print $3}' "/proc/$1/stat" 2>/dev/null; } # R, S, T (stopped) ...

# --- Ctrl-\: ends by SIGQUIT, the terminal as it was --------------------------
# Run by a script: an interactive shell would put the terminal's modes back
# itself. The script's bash ignores SIGQUIT; the program does not.
cat >quit.sh <<'RUN'
ulimit -c 0
stty -g >before.stty
"$@"
echo "rc=$?"
stty -g >after.stty
sleep 600
RUN
tm new-session -d -s "$pane" -x 100 -y 30 \
  "cd '$work' && env -u DISPLAY -u WAYLAND_DISPLAY MPV_HOME='$work/mpv' bash quit.sh '$exe' -nd script.txt video.mp4"
if wait_until 15 'shown "^N1 "'; then
  check_that "SIGQUIT: the cursor hidden while it runs" '[ "$(tm display -p -t "$pane" "#{cursor_flag}")" = 0 ]'
  tm send-keys -t "$pane" 'C-\'
  check_that "SIGQUIT: ended by the signal" 'wait_until 10 "shown \"^rc=131\""'
  check_that "SIGQUIT: the terminal's modes back (echo, lines)" \
    'wait_until 5 "[ -s after.stty ]" && cmp -s before.stty after.stty'
  check_that "SIGQUIT: the cursor shown again" '[ "$(tm display -p -t "$pane" "#{cursor_flag}")" = 1 ]'
else
  fail "SIGQUIT: N1 never showed"; screen | tail -n 5
fi

# --- Ctrl-Z, then fg, twenty times: running again each time, keys working -----
open_shell
type_line "'$exe' -nd script.txt video.mp4; echo \"rc=\$?\""
if wait_until 15 'shown "^N1 "'; then
  pid=$(program_pid)
  stuck=0
  for round in $(seq 20); do
    tm send-keys -t "$pane" C-z
    wait_until 5 '[ "$(state "$pid")" = T ] && shown "Stopped"' || { stuck=$round; break; }
    tm send-keys -t "$pane" clear Enter
    type_line fg
    # Running for a while, not stopped again by its own terminal reset.
    sleep 0.4
    wait_until 5 '[ "$(state "$pid")" != T ]' && sleep 0.3 && [ "$(state "$pid")" != T ] ||
      { stuck=$round; break; }
  done
  check_that "Ctrl-Z and fg twenty times: running after each (stuck in round $stuck)" '[ $stuck = 0 ]'
  # Space pauses: the subtitles stop coming.
  tm send-keys -t "$pane" ' '
  sleep 0.5
  before=$(screen | grep -c '^N[0-9]')
  sleep 2
  check_that "after the stops: space pauses" '[ "$(screen | grep -c "^N[0-9]")" = "$before" ]'
  # The shell left the rest of the command line at the first stop: fg's
  # status is the program's.
  tm send-keys -t "$pane" q
  wait_until 10 '[ ! -e "/proc/$pid" ]'
  type_line 'echo "rc=$?"'
  check_that "after the stops: q quits" 'wait_until 5 "shown \"^rc=0\""'
else
  fail "Ctrl-Z: N1 never showed"; screen | tail -n 5
fi

# --- A resize during playback: later subtitles take the new width -------------
# Each subtitle is 245 columns: at width W its lines reach W or nearly so.
last_shown() { screen | grep -o '^N[0-9]*' | tr -d N | sort -n | tail -n 1; }
widest_from() { # the widest line from subtitle N on, as the terminal holds it
  screen | sed -n "/^N$1 /,\$p" | grep -v '^\$' | sed 's/ *$//' |
    awk '{ if (length($0) > w) w = length($0) } END { print w + 0 }'
}
open_shell
type_line "'$exe' -nd -ns script.txt video.mp4; echo \"rc=\$?\""
if wait_until 15 'shown "^N2 "'; then
  for columns in 60 140; do
    tm resize-window -t "$pane" -x "$columns" -y 30
    from=$(($(last_shown) + 2))
    wait_until 5 "shown '^N$((from + 1)) '"
    w=$(widest_from $from)
    check_that "resize to $columns: wrapped at $((columns - 1)) (widest line $w)" \
      '[ "$w" -le $((columns - 1)) ] && [ "$w" -ge $((columns - 8)) ]'
  done
  tm send-keys -t "$pane" q
  check_that "resize: q quits" 'wait_until 10 "shown \"^rc=0\""'
else
  fail "resize: N2 never showed"; screen | tail -n 5
fi

finish signals
