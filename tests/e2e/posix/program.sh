#!/usr/bin/env bash
# End-to-end tests of the native program outside playback: the usage text,
# warnings, fatal errors, the screenplay byte for byte, the failure report and
# broken standard output. Needs CUESTRIP_BUILD (the build folder).
set -uo pipefail
. "$(dirname "$0")/../lib.sh"
exe=$(readlink -f "${CUESTRIP_BUILD:?}/cuestrip")
work=$(mktemp -d)
chmod 755 "$work"
trap 'cd /; rm -rf "$work"' EXIT
cd "$work"
run() { timeout 20 "$exe" "$@"; } # bounded: a hang is a failure


write_screenplay_fixtures

# No arguments: the usage text, a wait for ENTER (end of input here), exit 1.
usage "$exe" >usage.expected
run </dev/null >out; rc=$?
check "no arguments: usage text" usage.expected out 1 $rc

# ENTER ends the wait.
echo | run >out; rc=$?
check "usage waits for one line" usage.expected out 1 $rc

# The screenplay, byte for byte.
run -scp script.txt </dev/null >out; rc=$?
check "screenplay" screenplay.expected out 0 $rc

# An absolute path is a file, not an option.
run --screenplay "$work/script.txt" </dev/null >out; rc=$?
check "absolute script path" screenplay.expected out 0 $rc

# Warnings come first and the run goes on.
{ printf 'Unknown parameter: X\r\n'; printf 'Unknown parameter: debug\r\n'
  printf 'Ignoring non-existant file specified at command line: missing.txt\r\n'
  printf 'Ignoring non-existant file specified at command line: %s\r\n' "$work"
  cat screenplay.expected; } >warn.expected
run -X -debug missing.txt script.txt "$work" -c -scp </dev/null >out; rc=$?
check "warnings for unknown options and missing files" warn.expected out 0 $rc

# A directory as the only argument: the warning, then the usage text.
{ printf 'Ignoring non-existant file specified at command line: .\r\n'; usage "$exe"; } >dir.expected
run . </dev/null >out; rc=$?
check "directory as the script" dir.expected out 1 $rc

# Screenplay mode too needs a video file.
write_novideo_fixture "$exe"
run -scp novideo.txt </dev/null >out; rc=$?
check "video file not specified" novideo.expected out 1 $rc

# A video on the command line wins over the script's missing one.
{ printf 'Hi \r\n'; } >cmdvideo.expected
run -scp novideo.txt video.avi </dev/null >out; rc=$?
check "video from the command line" cmdvideo.expected out 0 $rc

# Options without their value, and very long or non-ASCII arguments.
run -p -scp </dev/null >out; rc=$?
check "-p takes the next argument, whatever it is" usage.expected out 1 $rc
run -mdt </dev/null >out; rc=$?
check "-mdt without a value" usage.expected out 1 $rc
long=$(head -c 100000 /dev/zero | tr '\0' 'y')
{ printf 'Ignoring non-existant file specified at command line: %s\r\n' "$long"
  printf 'Unknown parameter: %s\r\n' "$long"; usage "$exe"; } >long.expected
run "$long" "-$long" </dev/null >out; rc=$?
check "very long arguments" long.expected out 1 $rc
cp script.txt "$(printf 'sc\xe9n\xe9 \xc5\xa1.txt')"
run -scp "$(printf 'sc\xe9n\xe9 \xc5\xa1.txt')" </dev/null >out; rc=$?
check "non-ASCII script name" screenplay.expected out 0 $rc
run "" "  " -scp script.txt </dev/null >out; rc=$?
{ printf 'Ignoring non-existant file specified at command line: \r\n'
  printf 'Ignoring non-existant file specified at command line: \r\n'
  cat screenplay.expected; } >empty.expected
check "empty arguments" empty.expected out 0 $rc

# A script that cannot be read: the report and exit 1. Root reads anything,
# so the run drops to an unprivileged user when it can.
cp script.txt locked.txt
chmod 000 locked.txt
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  if command -v setpriv >/dev/null; then
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  else
    as_user=(skip)
  fi
fi
if [ "${as_user[0]:-}" = skip ]; then
  echo "skip unreadable script (running as root without setpriv)"
else
  timeout 20 "${as_user[@]}" "$exe" -scp locked.txt </dev/null >out; rc=$?
  if [ $rc -eq 1 ] && grep -qaE '^Exception EInOutError in module cuestrip at [0-9A-F]{16}\.$' out \
    && [ "$(tail -c 21 out | od -An -c | tr -s ' ')" = "$(printf 'File access denied.\r\n' | od -An -c | tr -s ' ')" ] \
    && [ "$(wc -l <out)" -eq 2 ]; then
    echo "ok   unreadable script: the report"
  else
    echo "FAIL unreadable script (exit $rc)"; od -c out | head; failures=$((failures + 1))
  fi
fi

# Broken standard output: never reported as success, never a crash.
check_broken_stdout
if [ -w /dev/full ]; then
  run </dev/null >/dev/full; rc=$?
  check_rc "usage to a full disk" 1 $rc
fi
{ printf '{HEAD\r\nFILE=video.avi\r\n}\r\n'
  for i in $(seq 1 3000); do printf '{T;%d\r\nA:\tline %d of a long script that fills a pipe\r\n}\r\n' "$i" "$i"; done
} >big.txt
run -scp big.txt </dev/null | head -c 10 >/dev/null; rc=${PIPESTATUS[0]}
check_rc "reader gone: a failed write, not a dead process" 1 $rc

finish "program"
