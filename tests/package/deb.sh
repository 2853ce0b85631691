#!/usr/bin/env bash
# Builds the Debian package from a native build folder and checks it
# unpacked: the program runs, the manual page renders without warnings, the
# documentation is there, and the control file depends on the package of
# every library the program links.
set -uo pipefail
source "$(dirname "$0")/common.bash"

deb=$(make_package DEB "cuestrip_${version}_$(dpkg --print-architecture).deb") || exit 1
root="$work/root"
dpkg-deb -x "$deb" "$root"
dpkg-deb -I "$deb" >"$work/info"
exe="$root/usr/bin/cuestrip"

out=$("$exe" --version </dev/null); rc=$?
[ $rc -eq 0 ] && [ "$out" = "cuestrip $version"$'\r' ] && ok "--version: $out" || fail "--version (exit $rc): $out"

man_page="$root/usr/share/man/man1/cuestrip.1.gz"
if [ -f "$man_page" ]; then
  LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$man_page" >"$work/man.txt" 2>"$work/man.err"
  rc=$?
  if [ $rc -eq 0 ] && [ ! -s "$work/man.err" ] && grep -q '^NAME' "$work/man.txt"; then
    ok "manual page renders without warnings ($(wc -l <"$work/man.txt") lines)"
  else
    fail "manual page (exit $rc)"; cat "$work/man.err"
  fi
else
  fail "no manual page at usr/share/man/man1/cuestrip.1.gz"
fi

for doc in README.md examples/night-train.txt examples/README.md; do
  [ -s "$root/usr/share/doc/cuestrip/$doc" ] && ok "doc $doc" || fail "doc $doc missing"
done
grep -q '^ *Description: ' "$work/info" && ok "description" || fail "no description"

# Every library the program links comes from a package the control file names.
depends=$(sed -n 's/^ *Depends: //p' "$work/info")
echo "     Depends: $depends"
names=$(tr ',|' '\n\n' <<<"$depends" | awk '{ print $1 }')
for lib in $(objdump -p "$exe" | awk '$1 == "NEEDED" { print $2 }'); do
  packages=$(dpkg -S "$lib" 2>/dev/null | awk -v lib="/$lib" \
    'substr($0, length($0) - length(lib) + 1) == lib { sub(/:.*/, "", $1); print $1 }' | sort -u)
  found=""
  for p in $packages; do
    grep -qxF "$p" <<<"$names" && found=$p
  done
  [ -n "$found" ] && ok "links $lib: depends on $found" || fail "links $lib (from ${packages:-no package}) but does not depend on it"
done

finish deb
