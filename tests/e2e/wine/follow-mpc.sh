#!/usr/bin/env bash
# The Windows program under Wine following MPC over its web interface on
# 127.0.0.1 (-p mpc://127.0.0.1:PORT), against tests/e2e/mpc_standin.py run
# natively: subtitles in order on the program's own console, space pauses
# and plays the stand-in again, "q" ends with 0 and leaves it playing, and
# nothing listening is the fatal error that says where to enable it.
# Every wait is bounded; the stand-in is stopped at the end.
set -uo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
build=${CUESTRIP_BUILD:?set CUESTRIP_BUILD to the Windows build folder}
: "${WINEPREFIX:?set WINEPREFIX to a Wine prefix}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY

tmp=$(mktemp -d)
standin_pid=
cleanup() {
  [ -n "$standin_pid" ] && kill "$standin_pid" 2>/dev/null
  wineserver -w
  rm -rf "$tmp"
}
trap cleanup EXIT
failures=0
fail() { echo "follow-mpc.sh: FAILED: $*"; failures=$((failures + 1)); }
pass() { echo "follow-mpc.sh: ok: $*"; }

exe=$build/cuestrip.exe
typist=$build/cuestrip_console_typist.exe
[ -f "$exe" ] || { echo "follow-mpc.sh: $exe not found"; exit 1; }
[ -f "$typist" ] || { echo "follow-mpc.sh: $typist not found"; exit 1; }

cd "$tmp"
{
  printf '{HEAD\r\nTITLE=Follow MPC\r\nFPS=25\r\n}\r\n'
  for s in $(seq 1 39); do printf '{T;%d\r\nL%d at frame %d\r\n}\r\n' $((s * 25)) "$s" $((s * 25)); done
} >script.txt

python3 "$root/tests/e2e/mpc_standin.py" --port 0 --duration 40 --step-ms 250 --log commands.log >standin.out 2>&1 &
standin_pid=$!
port=
for _ in $(seq 100); do
  port=$(sed -n 's/^listening on .*:\([0-9]*\)$/\1/p' standin.out)
  [ -n "$port" ] && break
  sleep 0.05
done
[ -n "$port" ] || { echo "follow-mpc.sh: the stand-in did not start"; exit 1; }
state() { curl -s -m 1 "http://127.0.0.1:$port/standin/position" | awk '{ print $2 }'; }

# Subtitles come in order on the fresh console; space pauses (nothing new for
# 1.5 s), space plays again, "q" ends with 0.
cat >keys.actions <<'ACTIONS'
attach Follow MPC
wait L3 at
wait L4 at
key space
sleep 1500
key space
wait L6 at
key q
exit 0
dump
ACTIONS
timeout 120 wine "$typist" keys.actions - -- "$(winepath -w "$exe")" -nd -p "mpc://127.0.0.1:$port" script.txt \
  >keys.typist 2>&1
rc=$?
order=$(tr -d '\r' <keys.typist | grep -o 'L[0-9]* at' | tr -dc '0-9\n' | tr '\n' ' ')
if [ $rc -eq 0 ] && [ -n "$order" ] &&
  echo $order | tr ' ' '\n' | awk 'NR > 1 && $1 != p + 1 { bad = 1 } { p = $1 } END { exit bad }'; then
  pass "subtitles in order ($order); q exits 0"
else
  fail "keys: typist exit $rc, order '$order'"; cat keys.typist
fi
if grep -n 'wm_command=88[78]' commands.log | tr -d '\r' | cut -d= -f2 | tr '\n' ' ' | grep -q '^888 887 $'; then
  pass "space paused the stand-in and played it again (888, 887)"
else
  fail "commands: $(tr '\n' ' ' <commands.log 2>/dev/null)"
fi
if kill -0 "$standin_pid" 2>/dev/null && [ "$(state)" = 2 ]; then
  pass "q left the stand-in running and playing"
else
  fail "the stand-in is not playing after q"
fi

# Nothing listening: the fatal error says where to enable the interface.
kill "$standin_pid"
wait "$standin_pid" 2>/dev/null
standin_pid=
timeout 60 wine "$exe" -ndc -p "mpc://127.0.0.1:$port" script.txt </dev/null >missing.out 2>&1
rc=$?
if [ $rc -eq 1 ] && grep -qF "Fatal error: no MPC web interface at 127.0.0.1:$port: enable it in Options" missing.out; then
  pass "nothing listening: fatal error, exit 1"
else
  fail "nothing listening: exit $rc"; cat missing.out
fi

[ $failures -eq 0 ] && echo "follow-mpc.sh: all passed" || echo "follow-mpc.sh: $failures failed"
[ $failures -eq 0 ]
