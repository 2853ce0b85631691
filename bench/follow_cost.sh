#!/usr/bin/env bash
# CPU cost of following (printed, not asserted): for each follower this
# machine can run, two like players loop the same 640x360 25 fps film side by
# side, one followed by cuestrip and one alone, and the CPU time each process
# uses over the same stretch is read from /proc/PID/stat. Prints, per minute,
# the followed player's CPU, the lone one's, the difference (what following
# costs the player) and cuestrip's own.
# Usage: bench/follow_cost.sh [BUILD-DIR] [SECONDS] [FOLLOWER...]
# (default build/native, 30 s, every follower: mpris ipc vlc-mpris vlc-http)
set -uo pipefail
if [ "${1:-}" != inner ]; then
  build=$(readlink -f "${1:-build/native}")
  seconds=${2:-30}
  modes=("${@:3}")
  [ ${#modes[@]} -gt 0 ] || modes=(mpris ipc vlc-mpris vlc-http)
  work=$(mktemp -d)
  cleanup() { touch "$work/done"; wait; chown -R root "$work" 2>/dev/null; rm -rf "$work"; }
  trap cleanup EXIT
  . "$(dirname "$0")/../tests/e2e/lib.sh"
  cp "$0" "$work/cost.sh" && cp "$build/cuestrip" "$work/" || exit 1
  follow_fixtures "$work" 30 Cost 640x360 || exit 1
  hz=$(getconf CLK_TCK)
  cpu() { awk -v hz="$hz" '{ sub(/^.*\) /, ""); print ($12 + $13) / hz }' "/proc/$1/stat" 2>/dev/null || echo 0; }
  waitfor() { for _ in $(seq 100); do [ -s "$1" ] && return 0; sleep 0.1; done; return 1; }

  pair() { # pair MODE RUNNER...: MODE's followed and lone player side by side
    local mode=$1 ids=() start=() role
    shift
    rm -f "$work/done" "$work/$mode".*.pid
    for role in followed alone; do
      "$@" bash "$work/cost.sh" inner "$mode" "$work" "$role" </dev/null >/dev/null 2>&1 &
    done
    if waitfor "$work/$mode.followed.pid" && waitfor "$work/$mode.alone.pid" && waitfor "$work/$mode.cuestrip.pid"; then
      sleep 3 # past start-up, into steady following
      ids=("$(cat "$work/$mode.followed.pid")" "$(cat "$work/$mode.alone.pid")" "$(cat "$work/$mode.cuestrip.pid")")
      for id in "${ids[@]}"; do start+=("$(cpu "$id")"); done
      sleep "$seconds"
      local i end=()
      for i in 0 1 2; do end+=("$(cpu "${ids[$i]}")"); done
      kill -0 "${ids[2]}" 2>/dev/null || echo "($mode: cuestrip was no longer running at the end)"
      awk -v m="$mode" -v s="$seconds" -v f0="${start[0]}" -v f1="${end[0]}" -v a0="${start[1]}" \
        -v a1="${end[1]}" -v c0="${start[2]}" -v c1="${end[2]}" 'BEGIN {
          k = 60 / s; f = (f1 - f0) * k; a = (a1 - a0) * k; c = (c1 - c0) * k
          printf "| %-9s | %6.2f s | %6.2f s | %+6.2f s | %6.2f s |\n", m, f, a, f - a, c }'
    else
      echo "| $mode | could not start |"
    fi
    touch "$work/done"
    wait
  }

  echo "CPU a minute, ${seconds} s measured per follower (the machine's other load adds noise):"
  echo "| follower  | followed  | alone     | following | cuestrip |"
  echo "|-----------|-----------|-----------|-----------|----------|"
  for mode in "${modes[@]}"; do
    case $mode in
    mpris) pair mpris dbus-run-session -- ;;
    ipc) pair ipc ;;
    vlc-mpris) pair vlc-mpris as_nobody "$work" dbus-run-session -- ;;
    vlc-http) pair vlc-http as_nobody "$work" ;;
    *) echo "| $mode | unknown follower |" ;;
    esac
  done
  exit 0
fi

# One player of a pair, and cuestrip beside the followed one, until WORK/done.
mode=$2 work=$3 role=$4
cd "$work"
port=$((18100 + $$ % 800))
case $mode in
mpris | ipc)
  plugin=()
  [ "$mode" = mpris ] && plugin=(--script=/usr/lib/mpv-mpris/mpris.so)
  mpv --no-config --vo=null --ao=null --loop-file=inf "${plugin[@]}" \
    --input-ipc-server="$work/$mode.$role.sock" video.mp4 &
  code=mpris
  [ "$mode" = ipc ] && code="mpv:$work/$mode.$role.sock"
  ;;
vlc-mpris)
  cvlc --loop --vout dummy --aout dummy video.mp4 &
  code=mpris:vlc
  ;;
vlc-http)
  cvlc --loop --vout dummy --aout dummy --extraintf http --http-host 127.0.0.1 \
    --http-port "$port" --http-password cost video.mp4 &
  code="vlc://:cost@127.0.0.1:$port"
  ;;
esac
player=$!
echo $player >"$mode.$role.pid.tmp" && mv "$mode.$role.pid.tmp" "$mode.$role.pid"
if [ "$role" = followed ]; then
  # The player's channel up before cuestrip looks for it (bounded).
  for _ in $(seq 50); do
    case $mode in
    ipc) [ -S "$work/$mode.$role.sock" ] && break ;;
    vlc-http) curl -s -o /dev/null -u :cost "http://127.0.0.1:$port/requests/status.json" && break ;;
    *) sleep 1 && break ;;
    esac
    sleep 0.1
  done
  tmux -L "cost-$$" new-session -d -x 100 -y 20 "exec ./cuestrip -ns -p '$code' script.txt"
  tmux -L "cost-$$" list-panes -F '#{pane_pid}' >"$mode.cuestrip.pid.tmp" && mv "$mode.cuestrip.pid.tmp" "$mode.cuestrip.pid"
fi
for _ in $(seq 1200); do [ -e done ] && break; sleep 0.1; done
tmux -L "cost-$$" kill-server 2>/dev/null
kill $player 2>/dev/null
wait
