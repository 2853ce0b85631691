#!/usr/bin/env bash
# Runs the fuzz targets of a fuzz build for a bounded time each:
#   scripts/fuzz.sh BUILD-DIR SECONDS [TARGET...]   (default: every fuzz_* target)
# A target fuzz_x starts from fuzz/seeds/fuzz_x and the corpus kept in
# BUILD-DIR/corpus/fuzz_x, uses fuzz/fuzz_x.dict, and merges what it finds
# into that corpus. It fails when its final coverage is below fuzz/fuzz_x.floor,
# or when it crashes; the crash's input is then minimised into
# fuzz/regressions/fuzz_x/ (never committed automatically).
# CUESTRIP_FUZZ_JOBS=N runs N fuzzing processes in parallel per target.
set -uo pipefail
dir=$(cd "$1" && pwd) seconds=$2
shift 2
src=$(cd "$(dirname "$0")/.." && pwd)
jobs=${CUESTRIP_FUZZ_JOBS:-1}
ok=0

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in "$dir"/fuzz_*; do
    [ -f "$f" ] && [ -x "$f" ] && targets+=("$(basename "$f")")
  done
fi
[ ${#targets[@]} -gt 0 ] || { echo "no fuzz targets in $dir"; exit 1; }

# Prints "cov ft" of the best status line in the logs given: the final one
# of a single run, the best job's of parallel ones.
coverage() {
  grep -ho 'cov: [0-9]* ft: [0-9]*' "$@" 2>/dev/null | awk '
    $2 > cov || ($2 == cov && $4 > ft) { cov = $2; ft = $4 }
    END { print cov + 0, ft + 0 }'
}

# Keeps a crash's input, minimised when the fuzzer manages it.
keep_crash() { # keep_crash TARGET ARTIFACT-DIR
  local target=$1 artifacts=$2 found kept
  mkdir -p "$src/fuzz/regressions/$target"
  for found in "$artifacts"/{crash,leak,timeout,oom}-*; do
    [ -f "$found" ] || continue
    kept="$src/fuzz/regressions/$target/$(basename "$found")"
    # The steps of the minimisation leave their own artifacts beside it.
    "$dir/$target" -minimize_crash=1 -max_total_time=60 -timeout=10 \
      -artifact_prefix="$artifacts/minimized-" -exact_artifact_path="$kept" "$found" \
      >"$artifacts/minimize.log" 2>&1
    [ -s "$kept" ] || cp "$found" "$kept"
    echo "$target: crash input kept as ${kept#"$src"/} (fix the fault, then commit it)"
  done
}

for target in "${targets[@]}"; do
  bin="$dir/$target" floor_file="$src/fuzz/$target.floor"
  corpus="$dir/corpus/$target" new="$dir/fuzz-new/$target"
  artifacts="$dir/fuzz-artifacts/$target" logs="$dir/fuzz-logs/$target"
  [ -x "$bin" ] || { echo "$target: not built in $dir"; ok=1; continue; }
  rm -rf "$new" "$artifacts" "$logs"
  mkdir -p "$corpus" "$new" "$artifacts" "$logs"
  flags=(-max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048
    -artifact_prefix="$artifacts/" -print_final_stats=1)
  [ -f "$src/fuzz/$target.dict" ] && flags+=(-dict="$src/fuzz/$target.dict")
  [ "$jobs" -gt 1 ] && flags+=(-jobs="$jobs" -workers="$jobs")
  dirs=("$new" "$corpus")
  [ -d "$src/fuzz/seeds/$target" ] && dirs+=("$src/fuzz/seeds/$target")

  # New finds go to the first folder; parallel jobs write fuzz-N.log into the
  # current one.
  (cd "$logs" && "$bin" "${flags[@]}" "${dirs[@]}" >main.log 2>&1)
  status=$?
  "$bin" -merge=1 -artifact_prefix="$artifacts/merge-" "$corpus" "$new" >"$logs/merge.log" 2>&1 \
    || echo "$target: merge failed (see $logs/merge.log)"
  rm -rf "$new"

  read -r cov ft < <(coverage "$logs"/main.log "$logs"/fuzz-*.log)
  execs=$(grep -ho 'stat::number_of_executed_units: [0-9]*' "$logs"/*.log | awk '{ n += $2 } END { print n + 0 }')
  floor=$(cat "$floor_file" 2>/dev/null) || { echo "$target: FAILED: no floor in ${floor_file#"$src"/}"; ok=1; continue; }
  echo "$target: cov: $cov ft: $ft execs: $execs (floor $floor, corpus $(ls "$corpus" | wc -l) inputs)"
  if [ "$status" -ne 0 ]; then
    tail -n 40 "$logs/main.log"
    keep_crash "$target" "$artifacts"
    echo "$target: FAILED (exit $status)"
    ok=1
  elif [ "$cov" -lt "$floor" ]; then
    echo "$target: FAILED: coverage $cov is below its floor of $floor (is the library instrumented?)"
    ok=1
  fi
done
exit $ok
