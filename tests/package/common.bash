# Shared by the package checks: a scratch folder, ok/fail counting, and the
# package built with CPack from a build folder. Sourced with the build folder
# as $1.
build=$(readlink -f "${1:?usage: $(basename "$0") BUILD-DIR}")
. "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh" # failures, finish
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ok() { echo "ok   $1"; }
fail() { echo "FAIL $1"; failures=$((failures + 1)); }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

# make_package GENERATOR FILE-NAME: builds the program and packs it into
# $work/out; prints the package's path, or fails with the log.
make_package() {
  cmake --build "$build" --target cuestrip >"$work/build.log" 2>&1 || { tail -n 40 "$work/build.log" >&2; return 1; }
  (cd "$build" && cpack -G "$1" -B "$work/out") >"$work/cpack.log" 2>&1 || { tail -n 40 "$work/cpack.log" >&2; return 1; }
  [ -f "$work/out/$2" ] || { echo "FAIL no $2 among: $(ls "$work/out")" >&2; return 1; }
  ok "package $2" >&2
  echo "$work/out/$2"
}
