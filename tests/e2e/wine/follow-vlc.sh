#!/usr/bin/env bash
# The Windows program under Wine following a real Linux VLC over its web
# interface on 127.0.0.1 (Wine's sockets are the host's): subtitles in order,
# space pauses VLC and plays it again, "q" ends with 0 and leaves VLC playing.
# VLC refuses to run as root: it runs as nobody from a folder of its own,
# while Wine runs as the caller in $WINEPREFIX. VLC's own status.json, read
# with curl, is the truth. Every wait is bounded; VLC is stopped at the end.
set -uo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
build=${CUESTRIP_BUILD:?set CUESTRIP_BUILD to the Windows build folder}
: "${WINEPREFIX:?set WINEPREFIX to a Wine prefix}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
. "$root/tests/e2e/lib.sh"

exe=$build/cuestrip.exe
typist=$build/cuestrip_console_typist.exe
[ -f "$exe" ] && [ -f "$typist" ] || { echo "follow-vlc.sh: $exe or $typist not found"; exit 1; }
tmp=$(mktemp -d)
vlc_pid=
sampler_pid=
cleanup() {
  [ -n "$sampler_pid" ] && kill "$sampler_pid" 2>/dev/null
  [ -n "$vlc_pid" ] && kill "$vlc_pid" 2>/dev/null && wait "$vlc_pid" 2>/dev/null
  wineserver -w
  chown -R root "$tmp" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
chmod 755 "$tmp" && cd "$tmp" || exit 1

# VLC's folder is nobody's; the script and the program's files stay the caller's.
mkdir vlc
follow_fixtures "$tmp/vlc" 40 "Wine VLC" || { echo "follow-vlc.sh: ffmpeg could not make the test video"; exit 1; }
mv vlc/script.txt .
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
password=Wine-$$
as_nobody "$tmp/vlc" vlc -I dummy --extraintf http --http-host 127.0.0.1 --http-port "$port" \
  --http-password "$password" --vout dummy --aout dummy "$tmp/vlc/video.mp4" >/dev/null 2>&1 &
vlc_pid=$!

status() { curl -s -m 1 -u ":$password" "http://127.0.0.1:$port/requests/status.json"; }
field() { sed -n "s/^ *\"$1\":\"\{0,1\}\([^\",]*\).*/\1/p" | head -n 1; } # field NAME: from status.json
for _ in $(seq 100); do [ "$(status | field state)" = playing ] && break; sleep 0.1; done
[ "$(status | field state)" = playing ] || { echo "follow-vlc.sh: FAILED: VLC did not start playing"; exit 1; }

# The log of VLC's state every 100 ms while the program runs: milliseconds,
# state, position (the fraction played, finer than its whole seconds).
sample() {
  while :; do
    s=$(status)
    echo "$(($(date +%s%N) / 1000000)) $(field state <<<"$s") $(field position <<<"$s")"
    sleep 0.1
  done >states.log
}
sample &
sampler_pid=$!

# Space while the subtitle after the next is shown, 3 s paused, space again;
# "q" once two more have come.
now=$(status | field time)
k=$((now + 8))
printf '%s\n' 'attach Wine VLC' "wait L$k at" 'key space' 'sleep 3000' 'key space' \
  "wait L$((k + 2)) at" 'key q' 'exit 0' 'dump' >keys.actions
timeout 120 wine "$typist" keys.actions - -- "$(winepath -w "$exe")" -nd -ns \
  -p "vlc://:$password@127.0.0.1:$port" script.txt >keys.typist 2>&1
rc=$?
sleep 1
kill "$sampler_pid" 2>/dev/null
wait "$sampler_pid" 2>/dev/null
sampler_pid=

failures=0
fail() { echo "follow-vlc.sh: FAILED: $*"; failures=$((failures + 1)); }
pass() { echo "follow-vlc.sh: ok: $*"; }

order=$(tr -d '\r' <keys.typist | grep -o '^L[0-9]* at' | tr -dc '0-9\n' | tr '\n' ' ')
if [ $rc -eq 0 ] && [ -n "$order" ] && echo "$order" | tr ' ' '\n' | grep . |
  awk 'NR > 1 && $1 != p + 1 { bad = 1 } { p = $1 } END { exit bad || p < '$((k + 2))' }'; then
  pass "subtitles in order ($order), q exits 0"
else
  fail "typist exit $rc, subtitles ($order)"
  cat keys.typist
fi

# The longest stretch VLC was paused, and whether its position held there.
pause=$(awk '$2 == "paused" { if (!run) { from = $1; at = $3 } run = 1; if ($3 != at) moved = 1; last = $1 }
  $2 != "paused" && run { if (last - from > best) { best = last - from; held = !moved } run = 0; moved = 0 }
  END { printf "%d %d\n", best, held }' states.log)
read -r paused held <<<"$pause"
if [ "$paused" -ge 2000 ] && [ "$paused" -le 5000 ] && [ "$held" = 1 ]; then
  pass "space paused VLC for $paused ms, its position held, and space played it again"
else
  fail "VLC paused for ${paused:-0} ms (held: ${held:-0}), expected about 3000"
  cat states.log
fi

# After "q": VLC is still there, playing, and its position moves on.
p1=$(status | field position)
sleep 1.5
s=$(status)
p2=$(field position <<<"$s")
if [ "$(field state <<<"$s")" = playing ] && awk -v a="$p1" -v b="$p2" 'BEGIN { exit !(b > a) }'; then
  pass "'q' left VLC playing ($p1 to $p2 of the video)"
else
  fail "after 'q' VLC is '$(field state <<<"$s")', position $p1 to $p2"
fi

[ $failures -eq 0 ] || { echo "follow-vlc.sh: $failures failed"; exit 1; }
echo "follow-vlc.sh: passed"
