#!/usr/bin/env bash
# Installs the build into a staging prefix and checks what lands there: the three programs,
# the component where the client finds it, the desktop entry, the icon at every size, and
# nothing else; then runs the staged programs.
#   install_test.sh CMAKE BUILD-DIR BINDIR PRIVATE-LIBDIR DATADIR SIZE...
set -uo pipefail
cmake=$1 build=$2 bindir=$3 libdir=$4 datadir=$5
shift 5
sizes=("$@")

work=$(mktemp -d)
quillon_pid=""
cleanup() {
  [ -n "$quillon_pid" ] && kill "$quillon_pid" 2>/dev/null && wait "$quillon_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*"
  for f in "$work"/*.log; do [ -f "$f" ] && { echo "--- $f"; cat "$f"; }; done
  exit 1
}

prefix=$work/stage/usr
"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
  fail "cmake --install failed"

# The layout, exactly: anything more (a test program, a helper) is a fault.
entry=$datadir/applications/quillon.desktop
expected=("$bindir/quillon" "$bindir/hivekit-reg" "$bindir/corvane-sim" "$libdir/libhivekit.so"
          "$entry")
for n in "${sizes[@]}"; do
  expected+=("$datadir/icons/hicolor/${n}x${n}/apps/quillon.png")
done
listed() { (cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | sort); }
want=$(printf '%s\n' "${expected[@]}" | sort)
[ "$(listed)" = "$want" ] ||
  fail "the staged files differ from the layout:"$'\n'"$(diff <(echo "$want") <(listed))"
for program in quillon hivekit-reg corvane-sim; do
  [ -x "$prefix/$bindir/$program" ] || fail "$bindir/$program is not executable"
done

# Each icon is a PNG of its stated size (the width and height of the IHDR chunk).
for n in "${sizes[@]}"; do
  png=$prefix/$datadir/icons/hicolor/${n}x${n}/apps/quillon.png
  [ "$(od -An -tx1 -N8 "$png" | tr -d ' \n')" = "89504e470d0a1a0a" ] || fail "$png is no PNG"
  read -r w h < <(od -An -tu4 --endian=big -j16 -N8 "$png")
  [ "$w" = "$n" ] && [ "$h" = "$n" ] || fail "$png is ${w}x${h}, not ${n}x${n}"
done

command -v desktop-file-validate >/dev/null ||
  fail "desktop-file-validate is not installed (scripts/install-deps.sh installs it)"
report=$(desktop-file-validate "$prefix/$entry" 2>&1) && [ -z "$report" ] ||
  fail "desktop-file-validate: $report"

# The staged programs run from the prefix, with nothing of the build tree on their path.
unset LD_LIBRARY_PATH
export HIVEKIT_STORE=$work/registry.db XDG_STATE_HOME=$work/state XDG_CONFIG_HOME=$work/config
"$prefix/$bindir/hivekit-reg" add 'HKLM\SOFTWARE\Corvane\Init' /v UpdateHost \
  /d 127.0.0.1:9 /f >"$work/reg.log" 2>&1 || fail "the staged hivekit-reg could not write"
"$prefix/$bindir/hivekit-reg" query 'HKLM\SOFTWARE\Corvane\Init' /v UpdateHost \
  >>"$work/reg.log" 2>&1 && grep -q '127.0.0.1:9' "$work/reg.log" ||
  fail "the staged hivekit-reg could not read back what it wrote"

# The staged client loads the staged component (it reads its settings before the first
# window) and stays up at its login window.
component=$(realpath "$prefix/$libdir/libhivekit.so")
QT_QPA_PLATFORM=offscreen "$prefix/$bindir/quillon" >"$work/quillon.log" 2>&1 &
quillon_pid=$!
loaded=""
for _ in $(seq 1 300); do
  kill -0 "$quillon_pid" 2>/dev/null || fail "the staged quillon ended early"
  if grep -qF "$component" "/proc/$quillon_pid/maps" 2>/dev/null; then
    loaded=yes
    break
  fi
  sleep 0.1
done
[ -n "$loaded" ] || fail "the staged quillon did not load $component"
sleep 1
kill -0 "$quillon_pid" 2>/dev/null || fail "the staged quillon ended after loading its component"
grep -q 'libhivekit.so' "/proc/$quillon_pid/maps" &&
  [ "$(grep 'libhivekit.so' "/proc/$quillon_pid/maps" | awk '{print $6}' | sort -u)" = "$component" ] ||
  fail "the staged quillon loaded another copy of the component"
kill "$quillon_pid" && wait "$quillon_pid" 2>/dev/null
quillon_pid=""

# Running wrote nothing below the prefix.
[ "$(listed)" = "$want" ] || fail "running the staged programs wrote below the prefix"
echo "install layout, icons, desktop entry and staged programs: all good"
