#!/usr/bin/env bash
# End-to-end: following mpv over a socket whose server accepts and closes each
# connection at once. Twenty runs, each reported as a closed connection within
# a second (it once waited out the answer time and said "does not answer").
# Needs CUESTRIP_BUILD (the build folder) and python3. Every wait is bounded.
set -uo pipefail
exe=$(readlink -f "${CUESTRIP_BUILD:?}/cuestrip")
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d)
server=
trap '[ -n "$server" ] && kill "$server" 2>/dev/null; rm -rf "$work"' EXIT
cd "$work"
printf '{HEAD\r\nFPS=25\r\n}\r\n{T;25\r\none\r\n}\r\n{T;50\r\ntwo\r\n}\r\n' >script.txt
python3 -c '
import socket, sys
s = socket.socket(socket.AF_UNIX)
s.bind(sys.argv[1])
s.listen(16)
while True:
    s.accept()[0].close()
' "$work/mpv.sock" &
server=$!
for _ in $(seq 50); do [ -S mpv.sock ] && break; sleep 0.1; done

expected="Fatal error: mpv at $work/mpv.sock closed the connection"
wrong=0 slow=0
for round in $(seq 20); do
  start=$(date +%s%N)
  timeout 10 "$exe" -nd -p "mpv:$work/mpv.sock" script.txt </dev/null >out.txt 2>&1
  took=$((($(date +%s%N) - start) / 1000000))
  grep -qxF "$expected" <(tr -d '\r' <out.txt) || { wrong=$((wrong + 1)); head -n 1 out.txt; }
  [ "$took" -lt 1000 ] || slow=$((slow + 1))
done
check_that "closed at once: reported as closed in 20 of 20 runs ($wrong otherwise)" '[ $wrong = 0 ]'
check_that "closed at once: each within a second ($slow slower)" '[ $slow = 0 ]'
finish ipc-closed
