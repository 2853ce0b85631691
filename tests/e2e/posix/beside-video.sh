#!/usr/bin/env bash
# End-to-end: a video given alone. Its subtitles are found beside it (UTF-8
# SubRip with italics and Japanese) in the screenplay to a file and live in a
# tmux pane with headless mpv; else read from its own subtitle track; else
# the fatal error names what was looked for. Needs CUESTRIP_BUILD.
set -uo pipefail
source "$(dirname "$0")/../lib.sh"
exe=$(readlink -f "${CUESTRIP_BUILD:?}/cuestrip")
work=$(mktemp -d)
session="cuestrip-beside-$$"
trap 'tmux kill-session -t "$session" 2>/dev/null; rm -rf "$work"' EXIT
cd "$work"

mkdir -p mpv
printf 'vo=null\nao=null\n' >mpv/mpv.conf
printf '1\r\n00:00:01,000 --> 00:00:02,000\r\n<i>Ahoj</i> sv\xc4\x9bte\r\n\r\n2\r\n00:00:02,500 --> 00:00:03,500\r\n\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\r\n' >movie.srt
video() { # video NAME [FFMPEG-ARGS...]: a 6 s, 25 fps video
  local name=$1; shift
  ffmpeg -loglevel error -y -f lavfi -i testsrc=size=160x120:rate=25:duration=6 "$@" \
    -c:v libx264 -preset ultrafast -pix_fmt yuv420p "$name" || { echo "FAIL ffmpeg made no $name"; exit 1; }
}
video movie.mkv
cp movie.mkv plain.mkv
video track.mkv -i movie.srt -map 0:v -map 1 -c:s copy

# The screenplay to a file: the file taken named, plain UTF-8 text.
"$exe" -scp movie.mkv >out.txt </dev/null
rc=$?
printf 'Subtitles: movie.srt\r\nAhoj sv\xc4\x9bte \r\n\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e \r\n' >expected.txt
check "screenplay of the subtitles beside the video" expected.txt out.txt 0 $rc

"$exe" -scp track.mkv >out.txt </dev/null
rc=$?
printf 'Subtitles: track 1 (subrip) of track.mkv\r\nAhoj sv\xc4\x9bte \r\n\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e \r\n' >expected.txt
check "screenplay of the video's own subtitle track" expected.txt out.txt 0 $rc

"$exe" -scp plain.mkv >out.txt </dev/null
rc=$?
{
  printf 'Fatal error: no subtitles for plain.mkv: looked for plain.srt, plain.vtt, plain.ass, plain.ssa, plain.sub, plain.txt, plain.*.srt, plain.*.vtt, plain.*.ass, plain.*.ssa, plain.*.sub, plain.*.txt, and for a text track inside it\r\n'
  usage "$exe"
} >expected.txt
check "nothing beside the video nor inside it" expected.txt out.txt 1 $rc

# Live: the lines arrive while mpv plays, the italics as italics.
tmux -u new-session -d -s "$session" -x 100 -y 30 \
  "cd '$work' && LC_ALL=C.UTF-8 MPV_HOME='$work/mpv' '$exe' movie.mkv; echo \"EXIT=\$?\"; sleep 600"
screen() { tmux capture-pane -p -e -J -S -200 -t "$session" 2>/dev/null; }
wait_for() { # wait_for TEXT SECONDS
  local deadline=$(($(date +%s) + $2))
  until screen | grep -qF -- "$1"; do
    [ "$(date +%s)" -ge "$deadline" ] && return 1
    sleep 0.1
  done
}
wait_for $'\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e' 20
check_rc "both subtitles shown while the video plays" 0 $?
screen | grep -qF $'\e[3mAhoj'
check_rc "italics shown as italics" 0 $?
tmux send-keys -t "$session" q
wait_for "EXIT=0" 10
check_rc "'q' ends the run with 0" 0 $?

finish "beside-video"
