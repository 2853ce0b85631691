#!/usr/bin/env bash
# Live playback of the Windows program under Wine: the test COM server plays a
# real-time clock, the console typist types keys into the program's console.
# Checks: the fatal error without any control, subtitles in order, a pause and
# a seek back through the control, "q" ending with 0, the fresh console's
# title, size and hidden cursor, and a script translated for a Czech console.
set -uo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
build=${CUESTRIP_BUILD:?set CUESTRIP_BUILD to the Windows build folder}
: "${WINEPREFIX:?set WINEPREFIX to a Wine prefix}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY

tmp=$(mktemp -d)
server=$root/tests/win32/testserver.sh
cleanup() {
  "$server" unregister "$build" >/dev/null 2>&1
  wineserver -w
  rm -rf "$tmp"
}
trap cleanup EXIT
failures=0
fail() { echo "playback.sh: FAILED: $*"; failures=$((failures + 1)); }
pass() { echo "playback.sh: ok: $*"; }

exe=$build/cuestrip.exe
typist=$build/cuestrip_console_typist.exe
[ -f "$exe" ] || { echo "playback.sh: $exe not found"; exit 1; }
if [ ! -f "$typist" ]; then # a build without the tests/win32 helpers
  typist=$tmp/console_typist.exe
  x86_64-w64-mingw32-g++-posix -std=c++20 -O1 -static -static-libgcc -static-libstdc++ \
    -o "$typist" "$root/tests/win32/typist/ConsoleTypist.cpp" || exit 1
fi

# Frames at 25 per second: 1 s, 2 s, 4 s, 6 s.
cd "$tmp"
printf '%s\r\n' '{HEAD' 'TITLE=Wine playback' 'FPS=25' '}' \
  '{T;25' 'First subtitle' '}' '{T;50' 'Second subtitle' '}' \
  '{T;100' 'Third subtitle' '}' '{T;150' 'Fourth subtitle' '}' >script.txt
echo "not really a video: the test control does not read it" >video.avi

# run_typist NAME OUTPUT ARGS...: the actions are in NAME.actions; the
# program's environment gets $typist_env too.
run_typist() {
  local name=$1 output=$2; shift 2
  env ${typist_env:-} timeout 120 wine "$typist" "$name.actions" "$output" -- \
    "$(winepath -w "$exe")" "$@" >"$name.typist" 2>&1
}

# 1. No control registered.
"$server" unregister "$build" >/dev/null 2>&1
timeout 60 wine "$exe" -ndc script.txt video.avi </dev/null >nocontrol.out 2>&1
rc=$?
if [ $rc -eq 1 ] && grep -qx $'Fatal error: No supported video player available.\r' nocontrol.out; then
  pass "no control: fatal error, exit 1"
else
  fail "no control: exit $rc"; cat nocontrol.out
fi

# 2. The same in a fresh console of its own: the usage text ends on its
# six-line screen, and ENTER ends the program.
cat >fresh-fatal.actions <<'ACTIONS'
attach Wine playback
screen takes precedence.
screen Press ENTER to conitnue...
key enter
exit 1
ACTIONS
if run_typist fresh-fatal - script.txt video.avi; then
  pass "no control in a fresh console: message on screen, exit 1"
else
  fail "no control in a fresh console"; cat fresh-fatal.typist
fi

"$server" register "$build" >/dev/null || { echo "playback.sh: cannot register the test server"; exit 1; }

# 3. A fresh console as the program makes it by default: titled, a 123x6
# strip (the headless prefix's largest window is 128 wide), cursor hidden.
# Subtitles come in order; space pauses, "," seeks back, "p" plays again, so
# the first two come again; "q" ends with 0. The third is due 2 s after the
# second: it never shows, as the clock stays paused long enough for it to
# have shown had the pause failed, and "q" comes right after the second
# shows again.
cat >keys.actions <<'ACTIONS'
attach Wine playback
size 123 6
cursor hidden
wait First subtitle
wait Second subtitle
key space
sleep 2500
key ,
sleep 400
key p
wait First subtitle
wait Second subtitle
key q
exit 0
dump
ACTIONS
CUESTRIP_COM_LOG=$(winepath -w "$tmp/com.log") run_typist keys - -nd script.txt video.avi
rc=$?
screen=$(tr -d '\r' <keys.typist | sed '/^$/d')
expected=$'First subtitle\nSecond subtitle\nFirst subtitle\nSecond subtitle'
if [ $rc -eq 0 ] && [ "$screen" = "$expected" ]; then
  pass "fresh console strip; subtitles in order, again after pause and seek back; q exits 0"
else
  fail "keys: typist exit $rc"; cat keys.typist
fi
calls=$(tr -d '\r' <com.log 2>/dev/null | grep -E '^(call (Pause|Run)|put CurrentPosition)')
if grep -A2 '^call Pause' <<<"$calls" | grep -qE '^put CurrentPosition R8 0$' &&
  grep -A3 '^call Pause' <<<"$calls" | grep -q '^call Run'; then
  pass "the control was paused, sought back to 0 and run again"
else
  fail "control calls"; tr -d '\r' <com.log 2>/dev/null | grep -v '^get '
fi

# 4. With -ndc and stdout to a file, the program keeps its console for keys
# and writes to the file (in blocks, so it is read at the end). "q" comes
# about 3 s after the start: the first subtitle must be there, the fourth not.
cat >ndc.actions <<'ACTIONS'
sleep 3000
key q
exit 0
ACTIONS
run_typist ndc ndc.out -ndc script.txt video.avi
rc=$?
subtitles=$(tr -d '\r' <ndc.out | grep -o '^[A-Z][a-z]* subtitle')
case $subtitles in
  $'First subtitle' | $'First subtitle\nSecond subtitle' | $'First subtitle\nSecond subtitle\nThird subtitle') order=ok ;;
  *) order=wrong ;;
esac
# The resize calls fail on a file handle; the width stays positive.
resize=$(tr -d '\r' <ndc.out | head -n 3)
if [ $rc -eq 0 ] && [ $order = ok ] && [ "$resize" = $'Failed: 6\nRepos failed: 6\nResize failed: 6' ]; then
  pass "-ndc: resize fails on the file, subtitles to the file, q exits 0"
else
  fail "-ndc: typist exit $rc"; cat ndc.typist; echo "--- output:"; cat ndc.out
fi

# 5. A Czech system (OEM 852, ANSI 1250): the console reports its code page,
# and a script in 1250 reaches the console translated to 852 ("Po\xe8\xedtadlo"
# is "Po\x9f\xa1tadlo" there).
printf '%s\r\n' '{HEAD' 'TITLE=Wine playback' 'CODEPAGE=1250' '}' '{T;5' $'Po\xe8\xedtadlo' '}' >script-cz.txt
printf '%s\n' 'attach Wine playback' 'screen Code page is 852' $'screen Po\x9f\xa1tadlo' 'key q' \
  'exit 0' >czech.actions
typist_env=LC_ALL=cs_CZ.UTF-8 run_typist czech - script-cz.txt video.avi
rc=$?
if [ $rc -eq 0 ]; then
  pass "Czech console: code page 852, a 1250 script shown in 852"
else
  fail "Czech console: typist exit $rc"; cat czech.typist
fi

# 6. Subtitles on their frames. The control notes its clock at every position
# read; the first read that reaches a subtitle's frame is the one that wrote
# it, so its clock less the frame's time is how late the subtitle came. With
# the wake between ticks that is within one tick and one frame (Wine's timers
# are coarse); the figures of both modes are printed. The screen shows the
# same subtitles in the same order either way.
lag_frames=(13 27 44 58 71 89 102 118)
{
  printf '%s\r\n' '{HEAD' 'TITLE=Wine playback' 'FPS=25' '}'
  for f in "${lag_frames[@]}"; do printf '%s\r\n' "{T;$f" "At frame $f" '}'; done
} >lag.txt
printf '%s\n' 'attach Wine playback' 'wait At frame 118' 'sleep 300' 'key q' 'exit 0' 'dump' >lag.actions
expected=$(printf 'At frame %s\n' "${lag_frames[@]}")
for mode in wake tick-only; do
  rm -f "$tmp/positions.txt"
  opts=(-nd -ns) # the whole console buffer, so every subtitle stays on screen
  [ $mode = tick-only ] && opts+=(--tick-only)
  typist_env=CUESTRIP_COM_POSITIONS=$(winepath -w "$tmp/positions.txt") \
    run_typist lag - "${opts[@]}" lag.txt video.avi
  rc=$?
  screen=$(tr -d '\r' <lag.typist | sed '/^$/d' | sed 's/ *$//')
  figures=$(tr -d '\r' <positions.txt 2>/dev/null | awk -v frames="${lag_frames[*]}" '
    BEGIN { n = split(frames, f, " "); i = 1 }
    i <= n && int($1 * 25) >= f[i] { while (i <= n && int($1 * 25) >= f[i]) { lag[i] = ($1 - f[i] / 25) * 1000; i++ } }
    END {
      if (i <= n) { print "missing"; exit }
      for (j = 1; j <= n; j++) { sum += lag[j]; if (lag[j] > max) max = lag[j] }
      printf "mean %.0f ms, max %.0f ms\n", sum / n, max
    }')
  max=$(sed -n 's/.*max \([0-9]*\) ms/\1/p' <<<"$figures")
  echo "playback.sh: lag with $mode: $figures"
  if [ $rc -eq 0 ] && [ "$screen" = "$expected" ] &&
    { [ $mode = tick-only ] || { [ -n "$max" ] && [ "$max" -le 220 ]; }; }; then
    pass "$mode: subtitles in order; lag $figures"
  else
    fail "$mode: typist exit $rc, lag $figures"; cat lag.typist
  fi
done

# 7. Only the Windows Media Player control, as on Windows 10 and 11: the
# other two classes cannot be created. The same keys as in 3, through its
# `controls` object; auto-start is off before the URL is set.
rm -f "$tmp/com.log"
typist_env="CUESTRIP_COM_DISABLE=MCI,AMovie CUESTRIP_COM_LOG=$(winepath -w "$tmp/com.log")" \
  run_typist keys - -nd script.txt video.avi
rc=$?
screen=$(tr -d '\r' <keys.typist | sed '/^$/d')
expected=$'First subtitle\nSecond subtitle\nFirst subtitle\nSecond subtitle'
calls=$(tr -d '\r' <com.log 2>/dev/null | grep -vE '^get ')
opening=$(head -n 3 <<<"$calls" | cut -d ' ' -f 1-2)
if [ $rc -eq 0 ] && [ "$screen" = "$expected" ] &&
  [ "$opening" = $'put settings.autoStart\nput uiMode\nput URL' ]; then
  pass "Windows Media Player control alone: subtitles in order, pause, seek back, play, q"
else
  fail "Windows Media Player control: typist exit $rc"; cat keys.typist; echo "--- calls:"; echo "$calls"
fi
if grep -A2 '^call controls.pause' <<<"$calls" | grep -qE '^put controls.currentPosition R8 0$' &&
  grep -A3 '^call controls.pause' <<<"$calls" | grep -q '^call controls.play'; then
  pass "the Windows Media Player control was paused, sought back to 0 and played again"
else
  fail "Windows Media Player control calls"; echo "$calls"
fi

[ $failures -eq 0 ] || { echo "playback.sh: $failures failed"; exit 1; }
echo "playback.sh: passed"
