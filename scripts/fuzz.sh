#!/usr/bin/env bash
# Runs every fuzzer of a fuzz build for a bounded time each.
set -uo pipefail
dir=$1 seconds=$2 ok=0
for f in "$dir"/fuzz_*; do
  [ -x "$f" ] || continue
  corpus="$dir/corpus-$(basename "$f")"
  mkdir -p "$corpus"
  "$f" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 "$corpus" \
    "$(dirname "$0")/../fuzz/seeds" >"$f.log" 2>&1 || { tail -n 40 "$f.log"; ok=1; }
  tail -n 2 "$f.log"
done
exit $ok
