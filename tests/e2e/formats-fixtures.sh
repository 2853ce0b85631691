# Sourced by the end-to-end tests of both targets: writes into the current
# folder a subtitle file of each imported format (each in another encoding)
# and the screenplay expected of it, and runs them. For NAME the file is NAME,
# its options NAME.args and its expected output NAME.expected. Texts carry no
# italics or bold and no line wraps, so the output is the same whatever the
# terminal; it is UTF-8, as output to a file is.

write_format_fixtures() {
  : >video.avi
  fixture_names=(film.srt talk.vtt night.ass old.sub)

  # SubRip in UTF-8 with CR LF: out of order, a two-line cue, tags and an
  # override that never show, a cue whose timing cannot be read.
  printf '1\r\n00:00:05,000 --> 00:00:06,000\r\n{\\an8}<font color="#ffff00">Tak</font> <u>pojď</u>.\r\n\r\n2\r\n00:00:01,000 --> 00:00:03,000\r\nKde jsi byl?\r\nČekal jsem.\r\n\r\n3\r\n00:00:0x,000 --> 00:00:04,000\r\nlost\r\n' >film.srt
  : >film.srt.args
  printf 'Bad timing in line 11\r\nKde jsi byl? \r\nČekal jsem. \r\nTak pojď. \r\n' >film.srt.expected

  # WebVTT in UTF-16LE: a comment block, an identifier, settings, voices and
  # an entity.
  printf 'WEBVTT\n\nNOTE made by hand\n\nq1\n00:01.000 --> 00:02.000 align:start\n<v Anna>Fish &amp; chips?\n<v Bob>No, 寿司.\n\n00:03.000 --> 00:04.000\n<c.quiet>Silence.</c>\n' |
    iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >talk.vtt
  : >talk.vtt.args
  printf 'Anna:        Fish & chips? \r\nBob:         No, 寿司. \r\n             Silence. \r\n' >talk.vtt.expected

  # SubStation in UTF-8 with a byte-order mark: a Format line in its own
  # order, names, a comment line, a hard line break and override blocks.
  printf '\xef\xbb\xbf[Script Info]\r\nTitle: Night train\r\n\r\n[Events]\r\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\r\nDialogue: 0,0:00:02.00,0:00:03.00,Default,Anna,0,0,0,,{\\pos(10,10)}Good evening.\\NA cold night.\r\nComment: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,not shown\r\nDialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,{\\fad(200,200)}The train leaves.\r\n' >night.ass
  : >night.ass.args
  printf 'The train leaves. \r\nAnna:        Good evening. \r\n             A cold night. \r\n' >night.ass.expected

  # MicroDVD in windows-1250, named on the command line: the frame rate
  # line, a line break and a colour code.
  printf '{1}{1}25\r\n{25}{50}{c:$0000FF}P\xf8\xedli\x9a \x9elu\x9dou\xe8k\xfd|k\xf9\xf2 \xfap\xecl.\r\n' >old.sub
  printf -- '--sub-codepage\ncp1250\n' >old.sub.args
  printf 'Příliš žluťoučký \r\nkůň úpěl. \r\n' >old.sub.expected

  # Recognised but without a cue, and a native script without a subtitle.
  printf 'WEBVTT\n\nNOTE nothing to see\n' >empty.vtt
  printf '{HEAD\r\nTITLE=Nothing\r\n}\r\n' >empty.txt
}

# check_formats LINE-END: the screenplay of each fixture, then the line on
# standard error (ended by LINE-END) and the exit code for the two files
# without a subtitle.
# Uses the caller's `run` (the program) and the checks of lib.sh.
check_formats() {
  local name args rc
  write_format_fixtures
  for name in "${fixture_names[@]}"; do
    mapfile -t args <"$name.args"
    run -scp "${args[@]}" "$name" video.avi </dev/null >out 2>err; rc=$?
    check "screenplay of $name" "$name.expected" out 0 $rc
    check "nothing on standard error for $name" /dev/null err 0 0
  done
  # The recognised file without a cue fails the screenplay; the empty native
  # script does not.
  local expected_rc
  for name in empty.vtt empty.txt; do
    expected_rc=0
    [ "$name" = empty.vtt ] && expected_rc=1
    run -scp "$name" video.avi </dev/null >out 2>err; rc=$?
    check "$name: standard output stays empty" /dev/null out $expected_rc $rc
    printf 'No subtitles found in %s%s' "$name" "$1" >err.expected
    check "$name: said on standard error" err.expected err 0 0
  done
}
