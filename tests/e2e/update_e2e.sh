#!/usr/bin/env bash
# quillon-update, the real program, against corvane-sim: its exit statuses (a missing transfer
# module among them), --once, a service away at the start, a second updater, a window that keeps
# the account, a free account's host, and (the one wait of a real refresh period) marked records
# following a new address. The password never shows in its output.
set -uo pipefail
bin=$1
. "$(dirname "$0")/e2e_lib.sh"
command -v sqlite3 >/dev/null || { echo "SKIPPED: sqlite3 is not installed"; exit 77; }

secret='Xq7-n0t-for-the-journal'
updater_pid=""
trap 'kill $updater_pid 2>/dev/null; cleanup' EXIT
# expect_status STATUS NAME ARGS...: runs quillon-update, its output in $work/u-NAME.log.
expect_status() {
  local want=$1 name=$2
  shift 2
  "$bin/quillon-update" "$@" 2>"$work/u-$name.log"
  local got=$?
  [ "$got" -eq "$want" ] || fail "quillon-update ($name) exited with $got, not $want"
}
lines() { grep -c "$1" "$work/u-run.log"; }

start_sim
# A copy without the transfer module beside it (nor installed) says so, and does not take the
# missing module for a service out of reach.
mkdir "$work/alone" && cp "$bin/quillon-update" "$bin/libhivekit.so" "$work/alone/" ||
  fail "could not copy quillon-update"
"$work/alone/quillon-update" --once 2>"$work/u-alone.log"
[ $? -eq 2 ] || fail "quillon-update without its transfer module did not exit with 2"
grep -q "transfer module libquillon-curl.so is missing" "$work/u-alone.log" ||
  fail "no word of the missing transfer module: $(cat "$work/u-alone.log")"

expect_status 2 nologin --once
grep -q "no saved login" "$work/u-nologin.log" || fail "no word of the missing saved login"

sqlite3 "$work/sim.db" "UPDATE accounts SET password='$secret' WHERE username='demo'" ||
  fail "could not set the account's password"
setting "$init" bSaveLogin 1 REG_DWORD
setting "$init" Username demo
setting "$init" Password wrong
expect_status 2 refused --once
saved_login expired
expect_status 2 expired --once
grep -q "has expired" "$work/u-expired.log" || fail "no word of the expired account"

# --once re-points the marked record only.
setting "$init" Username demo
setting "$init" Password "$secret"
setting 'HKLM\SOFTWARE\Corvane\demo' AutoIPs 'DEMO-LAB.EXAMPLE;;A;;BENCH;;192.0.2.11~~'
sim "/_sim/address?user=demo&ip=198.51.100.7" >/dev/null
expect_status 0 once --once
records demo "$secret" | grep -q 'demo-lab.example;;A;;bench;;198.51.100.7' ||
  fail "--once did not re-point the marked record: $(records demo "$secret")"

# Killed between a re-point's delete and its add (corvane-sim holds the add): the record waits
# in the store, and the next run adds it back before the held add is ever answered.
sim "/_sim/address?user=demo&ip=198.51.100.8" >/dev/null
sim "/_sim/log/clear" >/dev/null
sim "/_sim/fault?kind=delay&count=3&param=0" >/dev/null
sim "/_sim/fault?kind=delay&count=1&param=120000" >/dev/null
"$bin/quillon-update" --once 2>"$work/u-killed.log" &
killed_pid=$!
wait_for 20 bash -c "curl -s --noproxy '*' 'http://$hostport/_sim/log' | grep -q 'DNSCommand=RECORDADD'" ||
  fail "the re-point's add did not arrive"
kill -KILL "$killed_pid"
wait "$killed_pid" 2>/dev/null
[ "$(stored 'HKLM\SOFTWARE\Corvane\demo' PendingReAdds)" = 'demo-lab.example;;A;;bench;;198.51.100.8~~' ] ||
  fail "the record removed before the kill is not pending: $(stored 'HKLM\SOFTWARE\Corvane\demo' PendingReAdds)"
records demo "$secret" | grep -q ';;bench;;' && fail "the held add was answered already"
expect_status 0 after-kill --once
records demo "$secret" | grep -q 'demo-lab.example;;A;;bench;;198.51.100.8' ||
  fail "the next run did not add the record back: $(records demo "$secret")"
[ -z "$(stored 'HKLM\SOFTWARE\Corvane\demo' PendingReAdds)" ] || fail "the record stays pending"
[ "$(stored 'HKLM\SOFTWARE\Corvane\demo' AutoIPs)" = 'DEMO-LAB.EXAMPLE;;A;;BENCH;;198.51.100.8~~' ] ||
  fail "the mark did not move with the record: $(stored 'HKLM\SOFTWARE\Corvane\demo' AutoIPs)"

# --once with the service away: nothing could be checked.
sim "/_sim/fault?kind=drop&count=2" >/dev/null
expect_status 1 away --once
sim "/_sim/faults/clear" >/dev/null

# The service answers its first request with an error: the login is tried again at the next tick.
sim "/_sim/fault?kind=status&count=1&param=503" >/dev/null
"$bin/quillon-update" 2>"$work/u-run.log" &
updater_pid=$!
wait_for 10 grep -q "cannot be reached" "$work/u-run.log" || fail "no word of the service away"
wait_for 25 grep -q "answers again" "$work/u-run.log" || fail "no word of the service back"
wait_for 5 grep -q "updating the records of demo (1 marked)" "$work/u-run.log" ||
  fail "it did not log in once the service was back"
expect_status 3 second --once
grep -q "another quillon-update (process $updater_pid)" "$work/u-second.log" ||
  fail "the second updater did not name the one that runs"

# Within one refresh period the marked record follows a new address; the others stay.
sim "/_sim/address?user=demo&ip=203.0.113.9" >/dev/null
wait_for 75 bash -c "curl -s --noproxy '*' 'http://$hostport/dnslogin3.asp?fxn=login&usr=demo&pwd=$secret' |
  grep -q 'demo-lab.example;;A;;bench;;203.0.113.9'" ||
  fail "the marked record did not follow the new address: $(records demo "$secret")"
records demo "$secret" | grep -q 'demo-home.example;;A;;www;;192.0.2.10' ||
  fail "an unmarked record moved: $(records demo "$secret")"
grep -q "re-pointed bench.demo-lab.example (A)" "$work/u-run.log" || fail "no word of the re-point"

# A window logged in to the account holds the updater off; after the window closes it goes on.
QT_QPA_PLATFORM=offscreen "$bin/quillon" >"$work/quillon.log" 2>"$work/quillon-err.log" &
quillon_pid=$!
wait_for 25 grep -q "a Quillon window is logged in to demo" "$work/u-run.log" ||
  fail "the updater did not wait for the window"
kill -TERM "$quillon_pid"
wait_exit
wait_for 25 bash -c "[ \$(grep -c 'updating the records of demo' '$work/u-run.log') -ge 2 ]" ||
  fail "the updater did not go on after the window closed"
kill -TERM "$updater_pid"
wait "$updater_pid"
status=$?
updater_pid=""
[ "$status" -eq 0 ] || fail "quillon-update exited with $status after SIGTERM"

# A free account's host is added at the start (the service reports 192.0.2.1 for it) and removed
# at SIGTERM.
saved_login free
"$bin/quillon-update" 2>"$work/u-free.log" &
updater_pid=$!
wait_for 15 grep -q "updating the host free.free.corvane.example" "$work/u-free.log" ||
  fail "the free account did not start"
records free free | grep -q ';;free;;192.0.2.1' || fail "the free host was not added"
kill -TERM "$updater_pid"
wait "$updater_pid"
status=$?
updater_pid=""
[ "$status" -eq 0 ] || fail "quillon-update (free) exited with $status after SIGTERM"
# The service parks a removed free host at its own default address.
[ "$(records free free)" = 'free.corvane.example;;A;;free;;198.51.100.1' ] ||
  fail "the free host was not removed: $(records free free)"

if grep -l -- "$secret" "$work"/u-*.log; then
  fail "the password shows in quillon-update's output"
fi
echo "PASSED"
