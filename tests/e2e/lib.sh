# Shared by the end-to-end scripts: the checks that count failures, the usage
# text, the fixtures of the program tests and the closing summary. Sourced,
# never run; the caller sets `run` and works in its own scratch folder.
failures=0

check() { # check NAME EXPECTED-FILE ACTUAL-FILE EXPECTED-RC ACTUAL-RC
  if cmp -s "$2" "$3" && [ "$4" = "$5" ]; then
    echo "ok   $1"
  else
    echo "FAIL $1 (exit $5, expected $4)"
    diff <(od -c "$2") <(od -c "$3") | head -n 20
    failures=$((failures + 1))
  fi
}
pass() { echo "ok   $1"; }
fail() { echo "FAIL $1"; failures=$((failures + 1)); }
check_that() { if eval "$2"; then pass "$1"; else fail "$1"; fi; } # check_that NAME CONDITION
check_rc() { # check_rc NAME EXPECTED-RC ACTUAL-RC
  if [ "$2" = "$3" ]; then echo "ok   $1"; else echo "FAIL $1 (exit $3, expected $2)"; failures=$((failures + 1)); fi
}

usage() { # usage PROGRAM-PATH: the usage text as the program writes it
  printf 'Usage: %s <subtitlefile> [<videofile>]\r\n' "$1"
  printf '<file> is a subtitle-definiton file with full path.\r\n'
  printf '<movie file> may be omitted, if the subtitle-definition file contains\r\n\tthis information.\r\n'
  printf ' If movie-file is specified both places, then the cmd-line argument\r\n\ttakes precedence.\r\n'
  printf '\r\n'
  printf 'Press ENTER to conitnue...\r\n'
}

# Writes video.avi, script.txt and screenplay.expected (what -scp prints for
# script.txt) into the current folder.
write_screenplay_fixtures() {
  : >video.avi
  printf '{HEAD\r\nFILE=video.avi\r\n}\r\n{T;10\r\nAnna:\tWhere have you been all this time? I waited at the station until the last train had gone.\r\n}\r\n{T;20\r\nNo  answer.\r\n}\r\n{T;30\r\nBob:\t%s and more\r\n}\r\n{T;4x\r\nThe End\r\n}\r\n' \
    "$(printf 'x%.0s' $(seq 70))" >script.txt
  {
    printf 'Bad frame number: 4x\r\n'
    printf 'Anna:        Where have you been all this time? I waited at the station until \r\n'
    printf '             the last train had gone. \r\n'
    printf '             No  answer. \r\n'
    printf 'Bob:         %s\r\n' "$(printf 'x%.0s' $(seq 66))"
    printf '             xxxx and more \r\n'
    printf '             The End \r\n'
  } >screenplay.expected
}

# Writes novideo.txt (a script whose video is missing) and the fatal error
# with the usage text it gives for PROGRAM-PATH.
write_novideo_fixture() { # write_novideo_fixture PROGRAM-PATH
  printf '{HEAD\r\nFILE=gone.avi\r\n}\r\n{T;1\r\nHi\r\n}\r\n' >novideo.txt
  { printf 'Fatal error: video file not specified\r\n'; usage "$1"; } >novideo.expected
}

check_broken_stdout() { # a screenplay to a closed stdout and to a full disk
  run -scp script.txt </dev/null >&-; rc=$?
  check_rc "stdout closed" 1 $rc
  [ -w /dev/full ] || return 0
  run -scp script.txt </dev/null >/dev/full; rc=$?
  check_rc "stdout to a full disk" 1 $rc
}

finish() { # finish NAME: the summary line and the exit status
  [ $failures -eq 0 ] && echo "$1: all passed" || echo "$1: $failures failed"
  [ $failures -eq 0 ]
}

wine_setup() { # the Windows program under Wine, run in a throw-away folder
  exe=$(readlink -f "${CUESTRIP_BUILD:?}/cuestrip.exe")
  : "${WINEPREFIX:?}"
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  unset DISPLAY
  work=$(mktemp -d)
  trap 'cd /; rm -rf "$work"; wineserver -w' EXIT
  cd "$work" || exit 1
  run() { timeout 60 wine "$exe" "$@"; } # bounded: a hang is a failure
}

# For following players (tests and benchmark): into WORK, made readable to an
# unprivileged user, video.mp4 (a video-only 25 fps test picture of SECONDS
# seconds, 320x240 unless SIZE is given) and script.txt with the subtitle "L<s> at frame <25 s>" at every
# whole second.
follow_fixtures() { # follow_fixtures WORK SECONDS TITLE [SIZE]
  chmod 755 "$1"
  ffmpeg -loglevel error -y -f lavfi -i "testsrc=size=${4:-320x240}:rate=25:duration=$2" \
    -c:v libx264 -preset ultrafast -pix_fmt yuv420p -g 25 "$1/video.mp4" || return 1
  {
    printf '{HEAD\r\nTITLE=%s\r\nFPS=25\r\n}\r\n' "$3"
    for s in $(seq 1 $(($2 - 1))); do
      printf '{T;%d\r\nL%d at frame %d\r\n}\r\n' $((s * 25)) "$s" $((s * 25))
    done
  } >"$1/script.txt"
}

# COMMAND run as nobody (VLC refuses to run as root), with WORK handed to it
# as its home. nobody's login shell refuses to run anything, and tmux falls
# back on it when SHELL is unset (as under CI): a real one is named.
as_nobody() { # as_nobody WORK COMMAND...
  local work=$1
  shift
  chown -R nobody:nogroup "$work"
  setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME="$work" SHELL=/bin/sh "$@"
}

tmux_work() { # tmux_work NAME: a fresh folder to work in (the current one) and a tmux server of the test's own, both gone at exit
  work=$(mktemp -d)
  sock="cuestrip-$1-$$"
  trap 'tmux -L "$sock" kill-server 2>/dev/null; rm -rf "$work"' EXIT
  cd "$work" || exit 1
  # A session that outlives the others, so the server never shuts down between
  # runs (a new session racing a server on its way out fails).
  tmux -L "$sock" new-session -d -s keep -x 20 -y 5 'sleep 3600'
}
