#!/usr/bin/env bash
# Makes the Debian package of this build with cpack, into a folder of its own, and checks it:
# lintian finds nothing to report, the package runs no maintainer script, its Depends come from
# the libraries the programs link, and corvane-sim is off the command path.
#   package_test.sh CPACK BUILD-DIR
set -uo pipefail
cpack=$1 build=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAILED: $*"
  for f in "$work"/*.log; do [ -f "$f" ] && { echo "--- $f"; cat "$f"; }; done
  exit 1
}
command -v lintian >/dev/null || fail "lintian is not installed (scripts/install-deps.sh installs it)"

(cd "$build" && "$cpack" -G DEB -B "$work/out") >"$work/cpack.log" 2>&1 || fail "cpack failed"
debs=("$work"/out/quillon_*_amd64.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "cpack made no single quillon_*_amd64.deb"
deb=${debs[0]}

# Its findings go to the standard output (its notes about how it runs, to the standard error).
lintian "$deb" >"$work/lintian.log" 2>"$work/lintian-notes.log"
status=$?
[ -s "$work/lintian.log" ] && fail "lintian reports:"$'\n'"$(cat "$work/lintian.log")"
[ "$status" -eq 0 ] || fail "lintian failed with status $status"

dpkg-deb --ctrl-tarfile "$deb" | tar -t | sed 's|^\./||' | grep -v '^$' | sort >"$work/control.log"
[ "$(cat "$work/control.log")" = $'control\nmd5sums' ] ||
  fail "the package's control area holds more than control and md5sums"

depends=$(dpkg-deb -f "$deb" Depends)
for package in libc6 libqt6widgets6 libsqlite3-0 libcurl4 qt6-qpa-plugins; do
  grep -qE "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends lacks $package: $depends"
done

dpkg-deb -c "$deb" | awk '{print $6}' >"$work/files.log"
grep -qx './usr/lib/quillon/corvane-sim' "$work/files.log" || fail "corvane-sim is not in /usr/lib/quillon"
grep -q '^\./usr/bin/corvane-sim$' "$work/files.log" && fail "corvane-sim is on the command path"
echo "package: lintian-clean, no maintainer scripts, Depends from the linked libraries"
