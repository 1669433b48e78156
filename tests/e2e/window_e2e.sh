#!/usr/bin/env bash
# End to end: one window per store. With a saved login, a second quillon on the store of a running
# one brings that window forward and ends at once with status 0, opening no window of its own;
# the first goes on and closes in order on a termination signal. Then a quillon whose login waits
# for another program holding the account (as quillon-update does during a check) ends cleanly on
# a termination signal, having sent nothing, and the store's next window starts normally.
#   window_e2e.sh BIN-DIR
set -uo pipefail
bin=$1
. "$(dirname "$0")/e2e_lib.sh"

cover_pid="" holder=""
# The test's own helpers end with it too: the covering window, the lock holder's command.
trap '[ -z "$cover_pid" ] || kill "$cover_pid" 2>/dev/null
[ -z "$holder" ] || pkill -P "$holder" sleep
cleanup' EXIT

start_sim
saved_login demo
start_screen
start_quillon
main=$(main_window)
[ -n "$main" ] || fail "the main window did not appear"
first=$quillon_pid

# Another program's window covers it, so that only the bring-forward puts it in front again.
command -v xmessage >/dev/null || {
  echo "SKIPPED: xmessage is not installed (scripts/install-deps.sh installs x11-utils)"
  exit 77
}
xmessage -geometry 1000x700+0+0 cover >"$work/xmessage.log" 2>&1 &
cover_pid=$!
cover=$(shown_window 10 '^xmessage$')
[ -n "$cover" ] || fail "the covering window did not appear"
# in_front: of the two windows, the main window is the upper one (xwininfo lists the topmost first).
in_front() {
  xwininfo -root -children | grep -oE "$(printf '0x%x|0x%x' "$main" "$cover")" | head -n 1 |
    grep -qx "$(printf '0x%x' "$main")"
}
in_front && fail "the covering window is not in front of the main window"

"$bin/quillon" >"$work/second.log" 2>"$work/second-err.log" &
second=$!
wait_for 20 bash -c "! kill -0 $second 2>/dev/null" || {
  kill -KILL "$second" 2>/dev/null
  fail "the second quillon on the same store did not end"
}
wait "$second"
status=$?
[ "$status" -eq 0 ] || fail "the second quillon exited with status $status"
windows=$(xdotool search --onlyvisible --name '^Corvane Dynamic DNS version ' 2>/dev/null | wc -l)
[ "$windows" -eq 1 ] || fail "$windows main windows show, not 1"
wait_for 10 in_front || fail "the first window was not brought forward"
kill "$cover_pid"
wait "$cover_pid" 2>/dev/null
[ "$(sim /_sim/log | grep -c fxn=login)" -eq 1 ] || fail "the second quillon logged in"
kill -0 "$first" 2>/dev/null || fail "the first quillon ended"
kill -TERM "$first"
wait_exit

# The account held by another program: the login waits, sending nothing, until a signal ends it.
holder_lock=$work/registry.db.demo.cycle.lock
# flock keeps the lock itself (-o: its command does not inherit it) until its command ends.
flock -o "$holder_lock" sleep 600 &
holder=$!
wait_for 10 bash -c "ls -l /proc/$holder/fd 2>/dev/null | grep -q cycle.lock" ||
  fail "the test could not hold the account's lock"
logins_before=$(sim /_sim/log | grep -c fxn=login)
start_quillon
waiting() { ls -l "/proc/$quillon_pid/fd" 2>/dev/null | grep -q 'demo.cycle.lock'; }
wait_for 20 waiting || fail "quillon did not wait for the account"
kill -TERM "$quillon_pid"
wait_exit
[ "$(sim /_sim/log | grep -c fxn=login)" -eq "$logins_before" ] ||
  fail "quillon logged in while another program held the account"
pkill -P "$holder" sleep
wait "$holder" 2>/dev/null

# Nothing is left behind that stops the next window: it starts, logs in and closes as usual.
start_quillon
main=$(main_window)
[ -n "$main" ] || fail "the main window did not appear after the waiting one ended"
kill -TERM "$quillon_pid"
wait_exit
echo "PASSED: a second quillon brought the first window forward and exited 0; a login waiting" \
  "for the account ended cleanly on SIGTERM; the next start ran normally"
