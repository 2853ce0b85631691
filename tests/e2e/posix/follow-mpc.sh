#!/usr/bin/env bash
# End-to-end following of MPC over its web interface (-p mpc://HOST:PORT),
# against tests/e2e/mpc_standin.py: subtitles in order near the stand-in's
# own position, space pauses it, "," seeks it back, "q" leaves it running,
# the stand-in closing ends the program with 0 and one line, and nothing
# listening or a server that is not MPC's is a clear fatal error.
# Needs CUESTRIP_BUILD (the build folder). Every wait is bounded.
set -uo pipefail

here=$(dirname "$(readlink -f "$0")")
exe=$(readlink -f "${CUESTRIP_BUILD:?}/cuestrip")
. "$here/../lib.sh"
tmux_work mpc
standin_pid=
other_pid=
trap 'tmux -L "$sock" kill-server 2>/dev/null; kill $standin_pid $other_pid 2>/dev/null; rm -rf "$work"' EXIT

failures=0
pass() { echo "ok   mpc: $1"; }
fail() { echo "FAIL mpc: $1"; failures=$((failures + 1)); }
check() { if eval "$2"; then pass "$1"; else fail "$1"; fi; } # check NAME CONDITION
near() { awk -v x="$1" -v lo="$2" -v hi="$3" 'BEGIN { exit !(x >= lo && x <= hi) }'; }

{
  printf '{HEAD\r\nTITLE=Follow check\r\nFPS=25\r\n}\r\n'
  for s in $(seq 1 39); do printf '{T;%d\r\nL%d at frame %d\r\n}\r\n' $((s * 25)) "$s" $((s * 25)); done
} >script.txt

# The stand-in on a free port of its own choosing, which it prints.
start_standin() {
  rm -f standin.out
  python3 "$here/../mpc_standin.py" --port 0 --duration 40 --step-ms 250 --log commands.log >standin.out 2>&1 &
  standin_pid=$!
  port=
  for _ in $(seq 100); do
    port=$(sed -n 's/^listening on .*:\([0-9]*\)$/\1/p' standin.out)
    [ -n "$port" ] && break
    sleep 0.05
  done
  [ -n "$port" ]
}
ask() { curl -s -m 1 "http://127.0.0.1:$port/standin/position"; }
position() { ask | awk '{ print $1 }'; }
state() { ask | awk '{ print $2 }'; }
alive() { kill -0 "$standin_pid" 2>/dev/null && [ -n "$(position)" ]; }

screen() { tmux -L "$sock" capture-pane -p -J -S -2000 -t "$session" 2>/dev/null; }
count() { screen | grep -c -- "$1"; }
wait_for() { # wait_for TEXT COUNT SECONDS
  local deadline=$(($(date +%s) + $3))
  while [ "$(count "$1")" -lt "$2" ]; do
    [ "$(date +%s)" -ge "$deadline" ] && return 1
    sleep 0.05
  done
}
runs=0
session=
start_pane() {
  tmux -L "$sock" kill-session -t "$session" 2>/dev/null
  runs=$((runs + 1))
  session="mpc-$runs"
  rm -f exit.code
  tmux -L "$sock" new-session -d -s "$session" -x 100 -y 30 \
    "cd '$work' && '$exe' -ns $*; echo EXIT=\$? >exit.code; echo PROGRAM ENDED; sleep 600"
}

start_standin || { fail "the stand-in did not start"; exit 1; }
start_pane -p "mpc://127.0.0.1:$port" script.txt
k=$(awk -v p="$(position)" 'BEGIN { print int(p) + 3 }')
if wait_for "L$k at" 1 15; then
  p=$(position)
  check "L$k shows near its time (stand-in at $p s)" "near $p $k.0 $k.3"
  wait_for "L$((k + 1)) at" 1 3
  order=$(screen | grep -o 'L[0-9]* at' | tr -dc '0-9\n' | tr '\n' ' ')
  check "subtitles in order ($order)" \
    "echo $order | tr ' ' '\n' | awk 'NR > 1 && \$1 != p + 1 { bad = 1 } { p = \$1 } END { exit bad }'"

  tmux -L "$sock" send-keys -t "$session" ' '
  sleep 0.6
  p1=$(position)
  check "space pauses the stand-in" '[ "$(state)" = 1 ] && grep -q "wm_command=888" commands.log'
  n=$(count ' at frame')
  sleep 1.5
  check "nothing new while paused (at $p1 s)" '[ "$(count " at frame")" = "$n" ]'
  tmux -L "$sock" send-keys -t "$session" ' '
  sleep 0.6
  check "space plays again" '[ "$(state)" = 2 ] && grep -q "wm_command=887" commands.log'

  wait_for "L12 at" 1 12
  before=$(position)
  tmux -L "$sock" send-keys -t "$session" ','
  sleep 1
  after=$(position)
  check "',' seeks the stand-in back ($before s to $after s)" \
    "near $after \$(awk -v b=$before 'BEGIN { print b - 10.2 }') \$(awk -v b=$before 'BEGIN { print b - 8.4 }')"
  check "with a seek to a time in milliseconds" 'grep -qE "wm_command=-1&position=[0-9]{2}:[0-9]{2}:[0-9]{2}\.[0-9]{3}$" commands.log'
  again=$(awk -v p="$after" 'BEGIN { print int(p) + 1 }')
  check "and L$again shows again" 'wait_for "L$again at" 2 3'

  tmux -L "$sock" send-keys -t "$session" q
  if wait_for "PROGRAM ENDED" 1 5; then
    check "'q' exits with 0" '[ "$(cat exit.code)" = EXIT=0 ]'
    sleep 0.3
    check "'q' leaves the stand-in running and playing" 'alive && [ "$(state)" = 2 ]'
  else
    fail "'q' did not end the program"
  fi
else
  fail "no subtitle within 15 s"
  screen | tail -n 10
fi

# The stand-in closing ends the program with 0 and one line saying so.
start_pane -p "mpc://127.0.0.1:$port" script.txt
if wait_for " at frame" 1 15; then
  kill "$standin_pid"
  if wait_for "PROGRAM ENDED" 1 10; then
    check "MPC closing ends with 0" '[ "$(cat exit.code)" = EXIT=0 ]'
    check "with one line saying so" '[ "$(count "MPC has closed")" = 1 ]'
  else
    fail "the program did not end when MPC closed"
  fi
else
  fail "no subtitle within 15 s (closing run)"
fi

# Nothing listening: the fatal error says where to switch the interface on.
echo | timeout 10 "$exe" -ndc -p "mpc://127.0.0.1:$port" script.txt >missing.out 2>&1
rc=$?
check "nothing listening: exit 1 and where to enable it" \
  '[ $rc = 1 ] && grep -qF "Fatal error: no MPC web interface at 127.0.0.1:$port: enable it in Options" missing.out'

# A web server that is not MPC's.
mkdir -p other && python3 -m http.server --bind 127.0.0.1 --directory other "$port" >/dev/null 2>&1 &
other_pid=$!
for _ in $(seq 50); do curl -s -m 1 -o /dev/null "http://127.0.0.1:$port/" && break; sleep 0.1; done
echo | timeout 10 "$exe" -ndc -p "mpc://127.0.0.1:$port" script.txt >other.out 2>&1
rc=$?
check "a server that is not MPC's: exit 1 and said so" \
  '[ $rc = 1 ] && grep -qF "127.0.0.1:$port is no MPC web interface (HTTP 404 for /variables.html)" other.out'

[ $failures -eq 0 ] && echo "follow-mpc: all passed" || echo "follow-mpc: $failures failed"
[ $failures -eq 0 ]
