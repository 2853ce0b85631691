#!/usr/bin/env bash
# End-to-end under Wine: a video given alone gets the UTF-8 subtitles found
# beside it, written to a file as plain UTF-8; with none the fatal error names
# what was looked for. Needs CUESTRIP_BUILD and WINEPREFIX (a prepared
# headless prefix).
set -uo pipefail
source "$(dirname "$0")/../lib.sh"
wine_setup

# The screenplay needs no player: the video only has to open like one.
printf '\x1a\x45\xdf\xa3 Matroska' >movie.mkv
cp movie.mkv plain.mkv
printf '1\r\n00:00:01,000 --> 00:00:02,000\r\n<i>Ahoj</i> sv\xc4\x9bte\r\n\r\n2\r\n00:00:02,500 --> 00:00:03,500\r\n\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\r\n' >movie.en.srt

run -scp movie.mkv >out.txt </dev/null
rc=$?
printf 'Subtitles: movie.en.srt\r\nAhoj sv\xc4\x9bte \r\n\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e \r\n' >expected.txt
check "screenplay of the subtitles beside the video" expected.txt out.txt 0 $rc

run -scp plain.mkv >out.txt </dev/null
rc=$?
{
  printf 'Fatal error: no subtitles for plain.mkv: looked for plain.srt, plain.vtt, plain.ass, plain.ssa, plain.sub, plain.txt, plain.*.srt, plain.*.vtt, plain.*.ass, plain.*.ssa, plain.*.sub, plain.*.txt\r\n'
  usage "$(winepath -w "$exe" 2>/dev/null)"
} >expected.txt
check "nothing beside the video" expected.txt out.txt 1 $rc

finish "beside-video under wine"
