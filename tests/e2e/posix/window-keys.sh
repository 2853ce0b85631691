#!/usr/bin/env bash
# End-to-end keys typed in mpv's window: headless mpv is sent key presses
# through its own input (the "keypress" command over its IPC socket). Space
# pauses and resumes, a shift key changes the title, a key of the user's
# input.conf keeps its binding, and "q" ends the program with 0. Then a short
# video played to its end: the title says so, as does a debug line, and "Q"
# typed in the window still quits. Needs CUESTRIP_BUILD. Every wait is bounded.
set -uo pipefail
exe=$(readlink -f "${CUESTRIP_BUILD:?}/cuestrip")
. "$(dirname "$0")/../lib.sh"
work=$(mktemp -d)
session="cuestrip-keys-$$"
trap 'tmux kill-session -t "$session" 2>/dev/null; rm -rf "$work"' EXIT
cd "$work"

sock="$work/mpv.sock"
mkdir -p mpv
printf 'vo=null\nao=null\ninput-ipc-server=%s\n' "$sock" >mpv/mpv.conf
# The user's own binding of a key the program does not use.
printf 'k cycle pause\n' >mpv/input.conf
for seconds in 20 2; do
  ffmpeg -loglevel error -y -f lavfi -i testsrc=size=160x120:rate=25:duration=$seconds \
    -c:v libx264 -preset ultrafast -pix_fmt yuv420p -g 25 "video$seconds.mp4" \
    || { echo "FAIL ffmpeg could not make the test video"; exit 1; }
done
printf '{HEAD\r\nTITLE=Keys check\r\nFPS=25\r\n}\r\n{T;10\r\nS1 one\r\n}\r\n{T;5000\r\nS2 never\r\n}\r\n' >script.txt

# mpv's reply to one command: the first line that is no event.
cat >ipc.py <<'PY'
import json, socket, sys
with socket.socket(socket.AF_UNIX) as s:
    s.settimeout(2.0)
    s.connect(sys.argv[1])
    s.sendall(json.dumps({"command": sys.argv[2:]}).encode() + b"\n")
    data = b""
    while True:
        while b"\n" not in data:
            chunk = s.recv(4096)
            if not chunk:
                sys.exit(1)
            data += chunk
        line, data = data.split(b"\n", 1)
        reply = json.loads(line)
        if "event" not in reply:
            print(json.dumps(reply.get("data")))
            sys.exit(0 if reply.get("error") == "success" else 1)
PY
ipc() { python3 ipc.py "$sock" "$@" 2>/dev/null; }
press() { ipc keypress "$1" >/dev/null; }

screen() { tmux capture-pane -p -J -S -2000 -t "$session" 2>/dev/null; }
pane() { tmux display -p -t "$session" "$1"; }
until_true() { # until_true SECONDS CONDITION
  local deadline=$(($(date +%s) + $1))
  until eval "$2"; do
    [ "$(date +%s)" -ge "$deadline" ] && return 1
    sleep 0.05
  done
}
start_pane() { # start_pane ARGS...
  tmux kill-session -t "$session" 2>/dev/null
  rm -f exit.code "$sock"
  tmux new-session -d -s "$session" -x 100 -y 30 \
    "cd '$work' && MPV_HOME='$work/mpv' '$exe' $*; echo \"EXIT=\$?\" >exit.code; sleep 600"
}
ended_with() { until_true 10 '[ -f exit.code ]' && [ "$(cat exit.code)" = "EXIT=$1" ]; }

start_pane script.txt video20.mp4
if until_true 15 'screen | grep -q "S1 one"' && until_true 5 '[ -S "$sock" ]'; then
  check_that "playing before any key" '[ "$(ipc get_property pause)" = false ]'
  press SPACE
  check_that "space in the window pauses" 'until_true 3 "[ \"\$(ipc get_property pause)\" = true ]"'
  check_that "the title says paused" 'until_true 3 "[ \"\$(pane \"#{pane_title}\")\" = \"Keys check  [paused]\" ]"'
  press SPACE
  check_that "space again resumes" 'until_true 3 "[ \"\$(ipc get_property pause)\" = false ]"'
  check_that "the tag goes" 'until_true 3 "[ \"\$(pane \"#{pane_title}\")\" = \"Keys check\" ]"'
  press x
  check_that "x in the window shifts" 'until_true 3 "[ \"\$(pane \"#{pane_title}\")\" = \"Keys check  [+0.1 s]\" ]"'
  press k
  check_that "the user's own binding stays" 'until_true 3 "[ \"\$(ipc get_property pause)\" = true ]"'
  press q
  check_that "q in the window exits with 0" 'ended_with 0'
else
  fail "no subtitle or no mpv socket within 15 s"
  screen | tail -n 20
fi

# The end of a 2 s video: the title and the debug line say so; Q quits.
start_pane script.txt video2.mp4
if until_true 15 'screen | grep -q "S1 one"'; then
  check_that "the title says ended" 'until_true 8 "[ \"\$(pane \"#{pane_title}\")\" = \"Keys check  [ended]\" ]"'
  check_that "one debug line at the end" 'until_true 3 "[ \"\$(screen | grep -c \"End of video: q quits\")\" = 1 ]"'
  until_true 5 '[ -S "$sock" ]'
  press Q
  check_that "Q in the window exits with 0" 'ended_with 0'
else
  fail "no subtitle within 15 s (short video)"
  screen | tail -n 20
fi

finish window-keys
