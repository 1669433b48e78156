#!/usr/bin/env bash
# Installs the build into a staging prefix and checks what lands there: quillon, quillon-update
# and hivekit-reg on the command path, quillon-update's systemd user unit, the component and
# corvane-sim in the program's own folder, the desktop entry and its AppStream metadata, the icon
# at every size, a manual page for every program, the copyright file and the changelog, and
# nothing else; then runs the staged programs and the examples of hivekit-reg's page.
#   install_test.sh CMAKE BUILD-DIR BINDIR PRIVATE-LIBDIR DATADIR MANDIR APPSTREAM-ID VERSION SIZE...
set -uo pipefail
cmake=$1 build=$2 bindir=$3 libdir=$4 datadir=$5 mandir=$6 appstream_id=$7 version=$8
shift 8
sizes=("$@")

work=$(mktemp -d)
quillon_pid=""
sim_pid=""
cleanup() {
  for pid in $quillon_pid $sim_pid; do
    kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  done
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*"
  for f in "$work"/*.log; do [ -f "$f" ] && { echo "--- $f"; cat "$f"; }; done
  exit 1
}
need() {  # need TOOL: the checks below use it
  command -v "$1" >/dev/null || fail "$1 is not installed (scripts/install-deps.sh installs it)"
}

prefix=$work/stage/usr
"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
  fail "cmake --install failed"

# The layout, exactly: anything more (a test program, a helper) is a fault.
programs=(quillon quillon-update hivekit-reg)
private_programs=(corvane-sim)
entry=$datadir/applications/quillon.desktop
metainfo=$datadir/metainfo/$appstream_id.metainfo.xml
unit=lib/systemd/user/quillon-update.service
expected=("$libdir/libhivekit.so" "$libdir/libquillon-keyring.so" "$libdir/libquillon-curl.so" "$entry" "$metainfo" "$datadir/doc/quillon/copyright" "$unit"
          "$datadir/doc/quillon/changelog.gz")
for p in "${programs[@]}"; do expected+=("$bindir/$p"); done
for p in "${private_programs[@]}"; do expected+=("$libdir/$p"); done
for p in "${programs[@]}" "${private_programs[@]}"; do expected+=("$mandir/man1/$p.1.gz"); done
for n in "${sizes[@]}"; do
  expected+=("$datadir/icons/hicolor/${n}x${n}/apps/quillon.png")
done
listed() { (cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | sort); }
want=$(printf '%s\n' "${expected[@]}" | sort)
[ "$(listed)" = "$want" ] ||
  fail "the staged files differ from the layout:"$'\n'"$(diff <(echo "$want") <(listed))"
for program in "${programs[@]}"; do
  [ -x "$prefix/$bindir/$program" ] || fail "$bindir/$program is not executable"
done
for program in "${private_programs[@]}"; do
  [ -x "$prefix/$libdir/$program" ] || fail "$libdir/$program is not executable"
done

# Each icon is a PNG of its stated size (the width and height of the IHDR chunk).
for n in "${sizes[@]}"; do
  png=$prefix/$datadir/icons/hicolor/${n}x${n}/apps/quillon.png
  [ "$(od -An -tx1 -N8 "$png" | tr -d ' \n')" = "89504e470d0a1a0a" ] || fail "$png is no PNG"
  read -r w h < <(od -An -tu4 --endian=big -j16 -N8 "$png")
  [ "$w" = "$n" ] && [ "$h" = "$n" ] || fail "$png is ${w}x${h}, not ${n}x${n}"
done

need desktop-file-validate
report=$(desktop-file-validate "$prefix/$entry" 2>&1) && [ -z "$report" ] ||
  fail "desktop-file-validate: $report"

# quillon-update's user unit passes systemd's own check and starts the staged program.
need systemd-analyze
report=$(systemd-analyze verify --man=no "$prefix/$unit" 2>&1) && [ -z "$report" ] ||
  fail "systemd-analyze verify: $report"
grep -qx "ExecStart=$prefix/$bindir/quillon-update" "$prefix/$unit" ||
  fail "the unit does not start the staged quillon-update: $(grep ExecStart "$prefix/$unit")"
grep -qx "RestartPreventExitStatus=2 3" "$prefix/$unit" || fail "the unit restarts after status 2 or 3"
# Its sandbox: systemd's own rating of what the service is exposed to, as a user manager would run
# it, is at most 2.0 ("OK"); the threshold counts in tenths. The offline rating wants a runtime
# folder: the test's own serves.
mkdir -m 0700 "$work/runtime"
report=$(XDG_RUNTIME_DIR=$work/runtime systemd-analyze security --offline=true --user \
  --threshold=20 "$prefix/$unit" 2>&1) ||
  fail "the unit's exposure is above 2.0:"$'\n'"$report"
echo "$report" | grep -Eq 'Overall exposure level for quillon-update.service: ([01]\.[0-9]|2\.0) ' ||
  fail "no exposure figure of at most 2.0 in systemd-analyze's report:"$'\n'"$report"

# The AppStream metadata passes the validator, launches the staged desktop entry, and names
# this version and the licence.
need appstreamcli
report=$(appstreamcli validate --no-net "$prefix/$metainfo" 2>&1) ||
  fail "appstreamcli validate: $report"
grep -qF "<id>$appstream_id</id>" "$prefix/$metainfo" || fail "the metadata names another id"
launched=$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$prefix/$metainfo")
[ "$launched" = "$(basename "$entry")" ] ||
  fail "the metadata launches '$launched', not the staged $(basename "$entry")"
grep -q "<release version=\"$version\" date=\"[0-9-]*\"" "$prefix/$metainfo" ||
  fail "the metadata's release is not $version"
grep -q "<project_license>MIT</project_license>" "$prefix/$metainfo" ||
  fail "the metadata does not name the MIT licence"

# The copyright file is in Debian's machine-readable form under the MIT (Expat) licence, and
# the changelog's newest entry is this version.
copyright=$prefix/$datadir/doc/quillon/copyright
head -n 1 "$copyright" | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/$' ||
  fail "the copyright file is not in the machine-readable format"
grep -q '^License: Expat$' "$copyright" || fail "the copyright file names no Expat licence"
gzip -t "$prefix/$datadir/doc/quillon/changelog.gz" || fail "the changelog is no gzip file"
zcat "$prefix/$datadir/doc/quillon/changelog.gz" | head -n 1 |
  grep -q "^quillon ($version) " || fail "the changelog's newest entry is not $version"

# Every program has a manual page: gzip without a name or a time stamp (so that a rebuild makes
# the same bytes), that man renders without a warning and whose NAME line names the program.
need man
for program in "${programs[@]}" "${private_programs[@]}"; do
  page=$prefix/$mandir/man1/$program.1.gz
  [ "$(od -An -tx1 -N9 "$page" | tr -d ' \n')" = "1f8b08000000000002" ] ||
    fail "$program.1.gz is not made with gzip -9n"
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man warns about $program.1.gz: $warnings"
  MANWIDTH=200 man -l "$page" 2>/dev/null >"$work/$program.txt"
  grep -A1 '^NAME' "$work/$program.txt" | grep -q "^ *$program - " ||
    fail "the NAME line of $program.1.gz does not name $program"
  grep -q "Quillon $version" "$work/$program.txt" || fail "$program.1.gz is not of version $version"
done

# The staged programs run from the prefix, with nothing of the build tree on their path.
unset LD_LIBRARY_PATH
export HIVEKIT_STORE=$work/registry.db XDG_STATE_HOME=$work/state XDG_CONFIG_HOME=$work/config
"$prefix/$bindir/hivekit-reg" add 'HKLM\SOFTWARE\Corvane\Init' /v UpdateHost \
  /d 127.0.0.1:9 /f >"$work/reg.log" 2>&1 || fail "the staged hivekit-reg could not write"
"$prefix/$bindir/hivekit-reg" query 'HKLM\SOFTWARE\Corvane\Init' /v UpdateHost \
  >>"$work/reg.log" 2>&1 && grep -q '127.0.0.1:9' "$work/reg.log" ||
  fail "the staged hivekit-reg could not read back what it wrote"

# hivekit-reg's page gives an example of every command its usage text lists, and each example
# runs as written: in the order of the page, against the test's store, with the value that the
# delete example removes put there first.
"$prefix/$bindir/hivekit-reg" >/dev/null 2>"$work/usage.log"
commands=$(sed -n 's/^  hivekit-reg \([a-z]*\) .*/\1/p' "$work/usage.log")
[ -n "$commands" ] || fail "hivekit-reg printed no usage"
examples=$(grep -A2 '^ *Example:$' "$work/hivekit-reg.txt" | sed -n 's/^ *\(hivekit-reg .*\)$/\1/p')
for command in $commands; do
  grep -q "^hivekit-reg $command " <<<"$examples" ||
    fail "the page of hivekit-reg has no example of $command"
done
"$prefix/$bindir/hivekit-reg" add 'HKLM\SOFTWARE\Corvane\demo' /v AutoIPs /d x /f \
  >>"$work/reg.log" 2>&1 || fail "the staged hivekit-reg could not write AutoIPs"
mkdir "$work/examples"
while read -r example; do
  (cd "$work/examples" && PATH="$prefix/$bindir:$PATH" bash -c "$example") >>"$work/examples.log" 2>&1 ||
    fail "the example '$example' of hivekit-reg's page failed"
done <<<"$examples"

# The staged corvane-sim runs from the program's folder and reports its listener.
"$prefix/$libdir/corvane-sim" --db "$work/sim.db" --http 127.0.0.1:0 >"$work/sim.log" 2>&1 &
sim_pid=$!
for _ in $(seq 1 100); do
  grep -q '^corvane-sim: listening on http://127.0.0.1:' "$work/sim.log" && break
  kill -0 "$sim_pid" 2>/dev/null || break
  sleep 0.1
done
grep -q '^corvane-sim: listening on http://127.0.0.1:' "$work/sim.log" ||
  fail "the staged corvane-sim did not start"
kill "$sim_pid" && wait "$sim_pid" 2>/dev/null
sim_pid=""

# The staged client loads the staged component (it reads its settings before the first
# window) and stays up at its login window. It unloads the component again before it waits, so
# the loader's own record of what it opened (LD_DEBUG=files) tells which copy that was.
component=$(realpath "$prefix/$libdir/libhivekit.so")
LD_DEBUG=files LD_DEBUG_OUTPUT="$work/ld" QT_QPA_PLATFORM=offscreen "$prefix/$bindir/quillon" \
  >"$work/quillon.log" 2>&1 &
quillon_pid=$!
components_opened() {
  sed -n 's/.*file=\([^ ]*libhivekit\.so\) .*dynamically loaded.*/\1/p' "$work"/ld.* 2>/dev/null |
    xargs -r realpath | sort -u
}
for _ in $(seq 1 300); do
  kill -0 "$quillon_pid" 2>/dev/null || fail "the staged quillon ended early"
  [ -n "$(components_opened)" ] && break
  sleep 0.1
done
[ -n "$(components_opened)" ] || fail "the staged quillon did not load $component"
sleep 1
kill -0 "$quillon_pid" 2>/dev/null || fail "the staged quillon ended after loading its component"
[ "$(components_opened)" = "$component" ] ||
  fail "the staged quillon loaded another copy of the component: $(components_opened)"
kill "$quillon_pid" && wait "$quillon_pid" 2>/dev/null
quillon_pid=""

# The staged quillon-update finds the staged keyring module: in a private session bus with
# gnome-keyring, --save-login puts the password there.
if command -v dbus-run-session >/dev/null && command -v gnome-keyring-daemon >/dev/null; then
  mkdir -p "$work/home"
  HOME=$work/home dbus-run-session -- bash -c "
    printf pw | gnome-keyring-daemon --unlock --components=secrets >/dev/null
    printf 'Pw-9\\n' | '$prefix/$bindir/quillon-update' --save-login jdoe" >"$work/keyring.log" 2>&1 ||
    fail "the staged quillon-update --save-login failed: $(cat "$work/keyring.log")"
  grep -q "desktop's keyring" "$work/keyring.log" ||
    fail "the staged quillon-update did not use the keyring: $(cat "$work/keyring.log")"
fi

# Running wrote nothing below the prefix.
[ "$(listed)" = "$want" ] || fail "running the staged programs wrote below the prefix"
echo "install layout, icons, desktop entry, AppStream metadata, manual pages and staged programs: all good"
