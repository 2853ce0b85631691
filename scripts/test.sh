#!/usr/bin/env bash
# Runs every test of the project: installs what is missing, builds and runs
# the native unit tests and end-to-end tests, the Debian package, the
# benchmarks (figures printed, never judged), the sanitizer build, the Windows
# build and zip under Wine, and a bounded fuzz run. Exits non-zero on any
# failure.
# With a stage name (native, nompv, asan, windows, fuzz) only that stage runs:
#   bash scripts/test.sh native
set -uo pipefail
cd "$(dirname "$0")/.."
exec </dev/null # nothing here waits for a person at the keyboard
root=$(pwd)
jobs=$(nproc 2>/dev/null || echo 2)
fuzz_seconds=${CUESTRIP_FUZZ_SECONDS:-60}
only=${1:-}
case "$only" in
  "" | native | nompv | asan | windows | fuzz) ;;
  *) echo "Unknown stage: $only (expected native, nompv, asan, windows or fuzz)" >&2; exit 2 ;;
esac
wanted() { [ -z "$only" ] || [ "$only" = "$1" ]; } # wanted STAGE-GROUP

scripts/install-deps.sh test || exit 1

passed=0
failed=0
failures=()
stage() { # stage NAME COMMAND...
  local name=$1; shift
  echo "=== $name"
  if "$@"; then
    passed=$((passed + 1)); echo "=== $name: passed"
  else
    failed=$((failed + 1)); failures+=("$name"); echo "=== $name: FAILED"
  fi
}

build() { # build DIR TARGET CMAKE-ARGS... (TARGET "all" builds everything)
  local dir=$1 target=$2; shift 2
  cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >"$dir.configure.log" 2>&1 \
    || { cat "$dir.configure.log"; return 1; }
  cmake --build "$dir" --target "$target" -j "$jobs" >"$dir.build.log" 2>&1 \
    || { tail -n 60 "$dir.build.log"; return 1; }
}

run_e2e() { # run_e2e FOLDER BUILD-DIR: every *.sh in the folder
  local folder=$1 dir=$2 ok=0 t
  for t in "$folder"/*.sh; do
    [ -e "$t" ] || continue
    echo "--- $t"
    CUESTRIP_BUILD="$dir" bash "$t" || { echo "--- $t FAILED"; ok=1; }
  done
  return $ok
}

# The benchmarks print their figures; a figure never fails the run, only a
# benchmark that cannot run at all does. The latency runs are shortened.
run_benchmarks() {
  build/native/bench_script \
    && CUESTRIP_BENCH_SECONDS=${CUESTRIP_BENCH_SECONDS:-20} bench/latency.sh build/native \
    && bench/follow_lag.sh build/native
}

mkdir -p build
if wanted native; then
  stage "native build" build build/native all
  stage "native unit tests" build/native/cuestrip_tests --gtest_brief=1
  stage "native end-to-end" run_e2e tests/e2e/posix "$root/build/native"
  stage "debian package" tests/package/deb.sh build/native
  stage "benchmarks (figures only)" run_benchmarks
fi

if wanted nompv; then
  stage "build without libmpv" build build/nompv cuestrip -DCMAKE_DISABLE_FIND_PACKAGE_PkgConfig=ON
  stage "without libmpv end-to-end" run_e2e tests/nompv "$root/build/nompv"
fi

if wanted asan; then
  stage "sanitizer build" build build/asan cuestrip_tests -DCUESTRIP_SANITIZE=ON
  stage "sanitizer unit tests" env ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    build/asan/cuestrip_tests --gtest_brief=1
fi

if wanted windows; then
  stage "windows build" build build/win all -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake"
  export WINEPREFIX="$root/build/wineprefix"
  stage "wine prefix" scripts/wine-prefix.sh "$WINEPREFIX"
  stage "windows unit tests under wine" scripts/wine-run.sh build/win/cuestrip_tests.exe --gtest_brief=1
  stage "windows end-to-end under wine" run_e2e tests/e2e/wine "$root/build/win"
  stage "windows zip under wine" tests/package/zip.sh build/win
  stage "windows follow lag (figures only)" bench/follow_lag_mpv_pipe.sh build/win
fi

if wanted fuzz; then
  stage "fuzz build" build build/fuzz cuestrip_fuzzers -DCMAKE_CXX_COMPILER=clang++ -DCUESTRIP_FUZZ=ON -DCUESTRIP_SANITIZE=ON
  stage "fuzz run (${fuzz_seconds}s)" scripts/fuzz.sh build/fuzz "$fuzz_seconds"
fi

wineserver -k >/dev/null 2>&1 || true
echo
[ $failed -eq 0 ] || echo "Failed stages: ${failures[*]}"
echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
