#!/usr/bin/env bash
# End to end: corvane-sim and the real quillon program on a virtual X screen. A user types
# demo / demo into the login window (xdotool); corvane-sim must receive the login request and
# quillon must report the login and exit with 0.
#   login_e2e.sh BIN-DIR
set -uo pipefail
bin=$1

for tool in Xvfb xdotool xdpyinfo curl; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool is not installed (scripts/install-deps.sh installs it)"
    exit 77
  fi
done

# Requests to corvane-sim never go through a proxy named in the environment.
no_proxy="127.0.0.1,localhost${no_proxy:+,$no_proxy}"
NO_PROXY=$no_proxy
export no_proxy NO_PROXY

work=$(mktemp -d)
sim_pid="" xvfb_pid="" quillon_pid=""
cleanup() {
  for pid in $quillon_pid $sim_pid $xvfb_pid; do
    kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  done
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*"
  for f in "$work"/*.log; do echo "--- $f"; cat "$f"; done
  exit 1
}
# wait_for SECONDS COMMAND...: polls the condition every tenth of a second.
wait_for() {
  local tries=$(($1 * 10))
  shift
  for _ in $(seq 1 "$tries"); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

# corvane-sim on an ephemeral loopback port.
"$bin/corvane-sim" --db "$work/sim.db" --http 127.0.0.1:0 --seed-demo >"$work/sim.log" 2>&1 &
sim_pid=$!
wait_for 20 grep -q "listening on http://" "$work/sim.log" || fail "corvane-sim did not start"
hostport=$(sed -n 's|^corvane-sim: listening on http://\([0-9.]*:[0-9]*\)$|\1|p' "$work/sim.log" | head -n 1)
[ -n "$hostport" ] || fail "no address in corvane-sim's output"

# A store of the test's own that points quillon at corvane-sim.
export HIVEKIT_STORE=$work/registry.db
"$bin/hivekit-reg" add 'HKLM\SOFTWARE\Corvane\Init' /v UpdateHost /d "$hostport" /f >/dev/null ||
  fail "hivekit-reg could not write the store"

# A virtual screen on a display number Xvfb chooses itself.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
wait_for 20 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n 1 "$work/display")"
wait_for 20 xdpyinfo >/dev/null 2>&1 || fail "the virtual screen does not answer"

unset QT_QPA_PLATFORM
"$bin/quillon" >"$work/quillon.log" 2>"$work/quillon-err.log" &
quillon_pid=$!

wid=$(timeout 20 xdotool search --sync --onlyvisible --name '^Login  version ' | head -n 1)
[ -n "$wid" ] || fail "the login window did not appear"
xdotool windowfocus --sync "$wid" || fail "could not focus the login window"
# The user-name box has the focus when the window opens.
xdotool type --delay 20 demo
xdotool key Tab
xdotool type --delay 20 demo
xdotool key Return

# quillon reports the login and ends.
wait_for 30 bash -c "! kill -0 $quillon_pid 2>/dev/null" || fail "quillon did not exit after the login"
wait "$quillon_pid"
status=$?
quillon_pid=""
[ "$status" -eq 0 ] || fail "quillon exited with status $status"
grep -qx "quillon: logged in as demo" "$work/quillon.log" || fail "quillon did not report the login"

log=$(curl -s --noproxy '*' "http://$hostport/_sim/log")
echo "$log" | grep -qxF "/dnslogin3.asp?fxn=login&usr=demo&pwd=demo" ||
  fail "corvane-sim did not receive the login request; its log: $log"
echo "PASSED: quillon logged in as demo through corvane-sim at $hostport"
