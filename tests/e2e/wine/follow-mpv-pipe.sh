#!/usr/bin/env bash
# Following mpv over its named pipe under Wine: the mpv stand-in
# (tests/win32/mpvpipe) plays a timeline on \\.\pipe\NAME and logs what it
# gets and where it is; cuestrip.exe follows it with -p mpv:NAME in a console
# of its own, driven by the console typist, which stamps the moment each
# subtitle shows. The stand-in sends a bulky event with every frame, so a
# client that stops reading makes it stall (logged). Checks: subtitles in
# order and on time against the stand-in's own clock, space pausing it, ","
# seeking it back, "q" leaving it running and serving the next client, and the
# pipe closing ending cuestrip with exit 0 and one line.
set -uo pipefail
here=$(dirname "$(readlink -f "$0")")
. "$here/../lib.sh"
build=$(readlink -f "${CUESTRIP_BUILD:?}")
exe=$build/cuestrip.exe
typist=$build/cuestrip_console_typist.exe
standin=$build/cuestrip_mpv_pipe_standin.exe
: "${WINEPREFIX:?}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
for f in "$exe" "$typist" "$standin"; do [ -f "$f" ] || { echo "follow-mpv-pipe.sh: $f not found"; exit 1; }; done

work=$(mktemp -d)
pipe=cuestrip-e2e-$$
standin_pid=
cleanup() {
  [ -n "$standin_pid" ] && kill "$standin_pid" 2>/dev/null
  # Bounded: whatever is left in the prefix is ended.
  timeout 30 wineserver -w || wineserver -k
  cd /
  [ -n "${CUESTRIP_KEEP:-}" ] && echo "kept $work" || rm -rf "$work"
}
trap cleanup EXIT
cd "$work" || exit 1
. "$here/../../../bench/follow_stamps.sh"

# A subtitle at every whole second from the third (the program is
# connected by then), frames at 25 per second.
{
  printf '{HEAD\r\nTITLE=Pipe follow\r\nFPS=25\r\n}\r\n'
  for s in $(seq 3 40); do printf '{T;%d\r\nL%d at frame %d\r\n}\r\n' $((s * 25)) "$s" $((s * 25)); done
} >script.txt

# The stand-in starts at 0, playing; it closes once "close" exists (or
# after five minutes, should the test itself fail to say so).
wine "$standin" "$pipe" standin.log --start 0 --duration 60 --bulk 8192 \
  --close-file "$(winepath -w "$work")\\close" --close-after 300 >standin.out 2>&1 &
standin_pid=$!
logged() { # logged PATTERN COUNT SECONDS: waits until the log has COUNT lines matching
  local end=$((SECONDS + $3))
  while [ $SECONDS -lt $end ]; do
    local n
    n=$(grep -c -- "$1" standin.log 2>/dev/null)
    [ "${n:-0}" -ge "$2" ] && return 0
    sleep 0.1
  done
  return 1
}
logged ' listen ' 1 30 || { fail "the stand-in never listened"; cat standin.out; finish "follow mpv pipe (wine)"; exit; }

# 1. Subtitles in order on their frames; space pauses (L6, due 1 s after L5,
# never shows while paused 1.5 s); "," seeks back to the start; space plays,
# so L3 and L4 come again; "q" ends with 0.
cat >keys.actions <<'ACTIONS'
attach Pipe follow
stamp L3 at frame 75
stamp L4 at frame 100
stamp L5 at frame 125
key space
sleep 1500
key ,
sleep 300
key space
stamp L3 at frame 75
stamp L4 at frame 100
key q
exit 0
dump
ACTIONS
timeout 150 wine "$typist" keys.actions - -- "$(winepath -w "$exe")" -nd -p "mpv:$pipe" script.txt \
  >keys.typist 2>&1
rc=$?
screen=$(tr -d '\r' <keys.typist | grep -v '^stamp ' | sed '/^$/d; s/ *$//')
expected=$'L3 at frame 75\nL4 at frame 100\nL5 at frame 125\nL3 at frame 75\nL4 at frame 100'
if [ $rc -eq 0 ] && [ "$screen" = "$expected" ]; then
  pass "subtitles in order, L6 never shown while paused, L3 and L4 again after the seek back; q exits 0"
else
  fail "keys: typist exit $rc"; cat keys.typist
fi

# Each subtitle against the stand-in's clock when it showed: late by at most
# 10 frames (400 ms: the typist looks every millisecond, Wine's timers are
# coarse), early by at most half a frame. One already due (or due within
# five frames) when the program connected, as after a slow start on a loaded
# machine, is held to showing within a second of the connection instead.
tr -d '\r' <keys.typist | grep '^stamp ' >keys.stamps
figures=$(stamp_lags standin.log keys.stamps 25)
echo "follow-mpv-pipe.sh: lag in frames (clock, frame shown) per subtitle:"
sed 's/^/  /' <<<"$figures"
connected=$(awk '$2 == "client" { print $1; exit }' standin.log)
at_connect=$(stamp_lags standin.log <(echo "stamp ${connected:-0} connected at frame 0") 25 | cut -d ' ' -f 2)
on_time=$(paste -d ' ' <(cut -d ' ' -f 2 keys.stamps) <(echo "$figures") | awk -v c="$at_connect" -v t="$connected" '
  NR <= 3 && $2 < c + 5 { if ($1 - t <= 1) n++; else print "  due at the connection, shown " $1 - t " s after it" >"/dev/stderr"; next }
  $3 >= -0.5 && $3 <= 10 { n++ }
  END { print n + 0 }')
echo "follow-mpv-pipe.sh: connected at frame $at_connect of the stand-in"
check_that "five subtitles, each within -0.5 and 10 frames of its time" '[ "$on_time" -eq 5 ]'

# The stand-in's side: the commands it got and where they left its clock.
pause_line=$(grep -n '"set_property","pause",true' standin.log | head -n 1 | cut -d: -f1)
seek_line=$(grep -n '"seek",0.000000,"absolute+exact"' standin.log | head -n 1 | cut -d: -f1)
play_line=$(grep -n '"set_property","pause",false' standin.log | head -n 1 | cut -d: -f1)
check_that "space sent set_property pause true, and the stand-in's clock stopped" \
  '[ -n "$pause_line" ] && sed -n "$((pause_line + 1))p" standin.log | grep -q " clock [0-9.]* paused$"'
check_that "\",\" sent an exact seek to 0 after the pause, and space played again after it" \
  '[ -n "$seek_line" ] && [ -n "$play_line" ] && [ "$pause_line" -lt "$seek_line" ] && [ "$seek_line" -lt "$play_line" ]'
stalls=$(grep -c ' stall ' standin.log)
longest=$(awk '$2 == "stall" && $3 + 0 > m { m = $3 + 0 } END { print m + 0 }' standin.log)
echo "follow-mpv-pipe.sh: the stand-in's writes waited over 50 ms $stalls times, longest $longest ms"
# A client that reads late makes hundreds of writes wait; a busy machine a few.
check_that "the client kept reading the bulky events (at most 5 writes waited 50 ms, none 500 ms)" \
  '[ "$stalls" -le 5 ] && [ "$longest" -lt 500 ]'
check_that "q leaves the stand-in running, its client gone" \
  'logged "client gone" 1 10 && kill -0 $standin_pid 2>/dev/null'

# 2. The same stand-in serves the next client; the pipe closing ends it with
# exit 0 and one line. Output to a file (-ndc), read once it has ended.
cat >closed.actions <<'ACTIONS'
exit 0
ACTIONS
timeout 150 wine "$typist" closed.actions closed.out -- "$(winepath -w "$exe")" -nd -ndc \
  -p "mpv:$pipe" script.txt >closed.typist 2>&1 &
typist_pid=$!
if logged ' client$' 2 30; then
  sleep 2.5
  : >close
fi
wait $typist_pid
rc=$?
last=$(tr -d '\r' <closed.out | tail -n 1)
closed_lines=$(tr -d '\r' <closed.out | grep -c 'mpv has closed')
others=$(tr -d '\r' <closed.out | grep -vc '^L[0-9]* at frame [0-9]* *$')
if [ $rc -eq 0 ] && [ "$last" = "mpv has closed ($pipe)" ] && [ "$closed_lines" -eq 1 ] &&
  [ "$others" -eq 1 ] && grep -q '^L[0-9]' closed.out; then
  pass "a second client is served; the pipe closing ends it with exit 0 and one line"
else
  fail "pipe closing: typist exit $rc"; cat closed.typist; echo "--- output:"; cat closed.out
fi
end=$((SECONDS + 10))
while kill -0 $standin_pid 2>/dev/null && [ $SECONDS -lt $end ]; do sleep 0.1; done
check_that "the stand-in has ended" '! kill -0 $standin_pid 2>/dev/null'
finish "follow mpv pipe (wine)"
