#!/usr/bin/env bash
# End-to-end following of running players, each on its own private session
# bus: mpv with the MPRIS plugin (-p mpris, video given), VLC run as an
# unprivileged user (-p mpris:vlc, no video given), mpv over its IPC socket
# (-p mpv:SOCKET) and VLC over its web interface (-p vlc://:PASSWORD@HOST:PORT,
# also as the unprivileged user, checked against its own MPRIS position on the
# same bus; a wrong password and a closed port end quickly). Each run checks
# subtitles in order near their times, that space pauses the real player, that "," seeks it back, that "q" leaves it
# running, and that the player closing ends the program with 0 and one line.
# Needs CUESTRIP_BUILD (the build folder). Every wait is bounded. The modes
# run are those named as arguments (mpris ipc vlc vlc-http), all by default.
set -uo pipefail

if [ "${1:-}" != inner ]; then
  exe=$(readlink -f "${CUESTRIP_BUILD:?}/cuestrip")
  work=$(mktemp -d)
  trap 'chown -R root "$work" 2>/dev/null; rm -rf "$work"' EXIT
  . "$(dirname "$0")/../lib.sh"
  # The players and the program run from here, where an unprivileged user can too.
  cp "$0" "$work/follow.sh" && cp "$exe" "$work/cuestrip" || exit 1
  follow_fixtures "$work" 40 "Follow check" || { echo "FAIL ffmpeg could not make the test video"; exit 1; }
  failed=0
  modes=("$@")
  [ ${#modes[@]} -gt 0 ] || modes=(mpris ipc vlc vlc-http)
  for mode in "${modes[@]}"; do
    case $mode in
    mpris | ipc)
      dbus-run-session -- bash "$work/follow.sh" inner $mode "$work" 2> >(grep -v 'fd limit' >&2) ;;
    vlc | vlc-http) # VLC, its bus and the program run as nobody.
      as_nobody "$work" dbus-run-session -- bash "$work/follow.sh" inner $mode "$work" ;;
    *) echo "FAIL no mode $mode"; false ;;
    esac || failed=$((failed + 1))
  done
  [ $failed -eq 0 ] && echo "follow: all passed" || echo "follow: $failed runs failed"
  exit $((failed > 0))
fi

mode=$2
work=$3
cd "$work"
export TMUX_TMPDIR="$work/tmux-$mode"
mkdir -p "$TMUX_TMPDIR" && chmod 700 "$TMUX_TMPDIR"
session="follow-$mode"
failures=0
pass() { echo "ok   $mode: $1"; }
fail() { echo "FAIL $mode: $1"; failures=$((failures + 1)); }
check() { if eval "$2"; then pass "$1"; else fail "$1"; fi; } # check NAME CONDITION
free_port() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
near() { awk -v x="$1" -v lo="$2" -v hi="$3" 'BEGIN { exit !(x >= lo && x <= hi) }'; }

# The real player, and how to ask it where it is and whether it is paused.
player_pid=
case $mode in
mpris | ipc)
  sock="$work/$mode.sock"
  plugin=()
  [ "$mode" = mpris ] && plugin=(--script=/usr/lib/mpv-mpris/mpris.so)
  mpv --no-config --vo=null --ao=null --keep-open=yes "${plugin[@]}" \
    --input-ipc-server="$sock" video.mp4 >/dev/null 2>&1 &
  player_pid=$!
  ask() { echo "{\"command\":[\"get_property\",\"$1\"]}" | socat -t 1 - "UNIX-CONNECT:$sock" 2>/dev/null |
    sed -n 's/.*"data":\([^,}]*\).*/\1/p' | head -n 1; }
  position() { ask time-pos; }
  paused() { [ "$(ask pause)" = true ]; }
  alive() { kill -0 "$player_pid" 2>/dev/null && [ -n "$(position)" ]; }
  ;;
vlc | vlc-http)
  if [ "$mode" = vlc ]; then
    cvlc --vout dummy --aout dummy video.mp4 >/dev/null 2>&1 &
  else
    # A port free a moment ago; VLC not listening on it fails the start below.
    port=$(free_port)
    password=Follow-$$
    vlc -I dummy --extraintf http --http-host 127.0.0.1 --http-port "$port" \
      --http-password "$password" --vout dummy --aout dummy video.mp4 >/dev/null 2>&1 &
  fi
  player_pid=$!
  get() { dbus-send --session --print-reply=literal --reply-timeout=1000 \
    --dest=org.mpris.MediaPlayer2.vlc /org/mpris/MediaPlayer2 org.freedesktop.DBus.Properties.Get \
    string:org.mpris.MediaPlayer2.Player "string:$1" 2>/dev/null; }
  position() { get Position | awk '{ if ($NF ~ /^-?[0-9]+$/) printf "%.3f\n", $NF / 1e6 }'; }
  paused() { get PlaybackStatus | grep -q Paused; }
  alive() { kill -0 "$player_pid" 2>/dev/null && [ -n "$(position)" ]; }
  ;;
esac
trap 'tmux kill-server 2>/dev/null; kill $player_pid 2>/dev/null' EXIT
for _ in $(seq 100); do [ -n "$(position)" ] && break; sleep 0.1; done
[ -n "$(position)" ] || { fail "the player did not start"; exit 1; }

case $mode in
mpris) args=(-p mpris script.txt video.mp4) ;;
vlc) args=(-p mpris:vlc script.txt) ;;
ipc) args=(-p "mpv:$sock" script.txt) ;;
vlc-http)
  args=(-p "vlc://:$password@127.0.0.1:$port" script.txt)
  for _ in $(seq 50); do
    curl -s -o /dev/null -m 1 -u ":$password" "http://127.0.0.1:$port/requests/status.json" && break
    sleep 0.1
  done
  ;;
esac

screen() { tmux capture-pane -p -J -S -2000 -t "$session" 2>/dev/null; }
count() { screen | grep -c -- "$1"; }
wait_for() { # wait_for TEXT COUNT SECONDS
  local deadline=$(($(date +%s) + $3))
  while [ "$(count "$1")" -lt "$2" ]; do
    [ "$(date +%s)" -ge "$deadline" ] && return 1
    sleep 0.05
  done
}
runs=0
start_pane() {
  tmux kill-session -t "$session" 2>/dev/null
  runs=$((runs + 1))
  session="follow-$mode-$runs"
  rm -f exit.code
  tmux new-session -d -s "$session" -x 100 -y 30 \
    "cd '$work' && ./cuestrip -ns $*; echo EXIT=\$? >exit.code; echo PROGRAM ENDED; sleep 600"
}

start_pane "${args[@]}"
now=$(position)
k=$(awk -v p="$now" 'BEGIN { print int(p) + 3 }')
if wait_for "L$k at" 1 15; then
  p=$(position)
  # VLC refreshes its position only every quarter second: it may read behind.
  slack=0.1
  [ "${mode%-http}" = vlc ] && slack=0.4
  check "L$k shows near its time (player at $p s)" "near $p \$(awk -v k=$k -v s=$slack 'BEGIN { print k - s }') $k.5"
  wait_for "L$((k + 1)) at" 1 3
  order=$(screen | grep -o 'L[0-9]* at' | tr -dc '0-9\n' | tr '\n' ' ')
  check "subtitles in order ($order)" \
    "echo $order | tr ' ' '\n' | awk 'NR > 1 && \$1 != p + 1 { bad = 1 } { p = \$1 } END { exit bad }'"

  tmux send-keys -t "$session" ' '
  sleep 0.6
  p1=$(position)
  check "space pauses the player" 'paused'
  sleep 1
  check "the paused player stays put ($p1, $(position))" 'near "$(position)" $p1 $(awk -v p=$p1 "BEGIN{print p + 0.05}")'
  n=$(count ' at frame')
  sleep 1
  check "nothing new while paused" '[ "$(count " at frame")" = "$n" ]'
  tmux send-keys -t "$session" ' '
  sleep 0.6
  check "space plays again" '! paused'

  wait_for "L12 at" 1 12
  before=$(position)
  tmux send-keys -t "$session" ','
  sleep 1
  after=$(position)
  # VLC's web interface seeks to whole seconds: it may land up to a second off.
  slack=0
  [ "$mode" = vlc-http ] && slack=1
  check "',' seeks the player back ($before s to $after s)" \
    "near $after \$(awk -v b=$before -v s=$slack 'BEGIN { print b - 10.2 - s }') \$(awk -v b=$before -v s=$slack 'BEGIN { print b - 8.4 + s }')"
  again=$(awk -v p="$after" 'BEGIN { print int(p) + 1 }')
  check "and L$again shows again" 'wait_for "L$again at" 2 3'

  tmux send-keys -t "$session" q
  if wait_for "PROGRAM ENDED" 1 5; then
    check "'q' exits with 0" '[ "$(cat exit.code)" = EXIT=0 ]'
    sleep 0.5
    check "'q' leaves the player running and playing" 'alive && ! paused'
  else
    fail "'q' did not end the program"
  fi
else
  fail "no subtitle within 15 s"
  screen | tail -n 10
fi

# The player closing ends the program with 0 and one line saying so.
start_pane "${args[@]}"
if wait_for " at frame" 1 15; then
  kill "$player_pid"
  if wait_for "PROGRAM ENDED" 1 10; then
    check "the player closing ends with 0" '[ "$(cat exit.code)" = EXIT=0 ]'
    check "with one line saying so" '[ "$(count "has closed")" = 1 ]'
  else
    fail "the program did not end when the player closed"
  fi
else
  fail "no subtitle within 15 s (closing run)"
fi

# Nothing to follow: the fatal error names what was looked for.
case $mode in
mpris) echo | timeout 10 ./cuestrip -p mpris:nosuch script.txt >missing.out
  rc=$?
  check "no such MPRIS player: exit 1 and what was looked for" \
    '[ $rc = 1 ] && grep -qF "Fatal error: No MPRIS player found on the session bus (looked for org.mpris.MediaPlayer2.*.nosuch and org.mpris.MediaPlayer2.nosuch.*)" missing.out' ;;
ipc) echo | timeout 10 ./cuestrip -p "mpv:$work/none.sock" script.txt >missing.out
  rc=$?
  check "no mpv at the socket: exit 1 and the socket named" \
    '[ $rc = 1 ] && grep -q "^Fatal error: No mpv at $work/none.sock" missing.out' ;;
vlc-http)
  vlc_refusal() { # vlc_refusal NAME TARGET TEXT: a non-zero exit within 3 s, TEXT said
    local start=$(date +%s%N) rc elapsed
    echo | timeout 10 ./cuestrip -p "$2" script.txt >refused.out 2>&1
    rc=$?
    elapsed=$((($(date +%s%N) - start) / 1000000))
    if [ $rc != 0 ] && [ $rc != 124 ] && [ $elapsed -lt 3000 ] && grep -qF "$3" refused.out; then
      pass "$1: exit $rc in $elapsed ms, with the reason"
    else
      fail "$1: exit $rc in $elapsed ms"
      cat refused.out
    fi
  }
  port=$(free_port)
  vlc -I dummy --extraintf http --http-host 127.0.0.1 --http-port "$port" \
    --http-password "$password" --vout dummy --aout dummy video.mp4 >/dev/null 2>&1 &
  player_pid=$!
  for _ in $(seq 50); do
    curl -s -o /dev/null -m 1 -u ":$password" "http://127.0.0.1:$port/requests/status.json" && break
    sleep 0.1
  done
  vlc_refusal "a wrong password" "vlc://:wrong@127.0.0.1:$port" "Fatal error: VLC refused the password (HTTP 401)"
  kill "$player_pid"
  wait "$player_pid" 2>/dev/null
  closed=$(free_port)
  vlc_refusal "a closed port" "vlc://:$password@127.0.0.1:$closed" \
    "Fatal error: no VLC web interface at 127.0.0.1:$closed: start VLC with --extraintf http"
  ;;
esac

[ $failures -eq 0 ] && echo "follow $mode: all passed" || echo "follow $mode: $failures failed"
[ $failures -eq 0 ]
