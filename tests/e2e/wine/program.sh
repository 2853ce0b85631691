#!/usr/bin/env bash
# End-to-end tests of cuestrip.exe under Wine outside playback: the usage
# text, warnings, fatal errors, "/" options, the screenplay byte for byte, the
# failure report and broken standard output. Needs CUESTRIP_BUILD and
# WINEPREFIX (a prepared headless prefix).
set -uo pipefail
. "$(dirname "$0")/../lib.sh"
wine_setup

winexe=$(winepath -w "$exe" 2>/dev/null)

write_screenplay_fixtures

usage "$winexe" >usage.expected
run </dev/null >out; rc=$?
check "no arguments: usage text" usage.expected out 1 $rc

run -scp script.txt </dev/null >out; rc=$?
check "screenplay" screenplay.expected out 0 $rc

# On Windows "/" begins an option too, in both word forms.
run /-screenplay script.txt </dev/null >out; rc=$?
check "screenplay with /-screenplay" screenplay.expected out 0 $rc

{ printf 'Unknown parameter: X\r\n'; printf 'Unknown parameter: debug\r\n'
  printf 'Ignoring non-existant file specified at command line: missing.txt\r\n'
  printf 'Ignoring non-existant file specified at command line: Z:\\\r\n'
  cat screenplay.expected; } >warn.expected
run /X -debug missing.txt script.txt 'Z:\' /c /scp </dev/null >out; rc=$?
check "warnings for unknown options and missing files" warn.expected out 0 $rc

# Wine quotes arguments with blanks; the splitter keeps the blanks and the
# arguments are trimmed before they are tested.
run ' -scp ' ' script.txt ' </dev/null >out; rc=$?
check "quoted arguments" screenplay.expected out 0 $rc

write_novideo_fixture "$winexe"
run -scp novideo.txt </dev/null >out; rc=$?
check "video file not specified" novideo.expected out 1 $rc

run -p /scp </dev/null >out; rc=$?
check "-p takes the next argument, whatever it is" usage.expected out 1 $rc

long=$(head -c 20000 /dev/zero | tr '\0' 'y')
{ printf 'Unknown parameter: %s\r\n' "$long"; usage "$winexe"; } >long.expected
run "/$long" </dev/null >out; rc=$?
check "very long argument" long.expected out 1 $rc

# A script whose read fails: the report and exit 1. (Permission denied cannot
# be staged here: Wine runs as root and reads anything.)
run -scp 'Z:\proc\self\mem' video.avi </dev/null >out; rc=$?
if [ $rc -eq 1 ] && grep -qaE '^Exception EInOutError in module cuestrip\.exe at [0-9A-F]{16}\.$' out \
  && grep -qaE $'^(I/O error [0-9]+|File access denied|File not found)\\.\r$' out \
  && [ "$(wc -l <out)" -eq 2 ]; then
  echo "ok   unreadable script: the report"
else
  echo "FAIL unreadable script (exit $rc)"; od -c out | head; failures=$((failures + 1))
fi

check_broken_stdout

finish "program (wine)"
