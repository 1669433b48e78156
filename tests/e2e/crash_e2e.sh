#!/usr/bin/env bash
# quillon-update, the real program, against corvane-sim, killed at every point of a check and run
# with a store it cannot write at every point: the next run puts every marked record at the
# current address, loses none and publishes no older address than the last one.
#
# A check that re-points the two marked records sends four update requests after the login and
# the address check. corvane-sim holds the n-th service request; the updater is killed (SIGKILL,
# as systemd's stop time-out, the OOM killer or a power cut would) while it is held, before the
# service acted on it and after it acted but before its answer. Then the same points with another
# program holding the store's write lock while the request is answered.
set -uo pipefail
bin=$1
. "$(dirname "$0")/e2e_lib.sh"
command -v python3 >/dev/null || { echo "SKIPPED: python3 is not installed"; exit 77; }

# A write waits this long for the store's write lock before it counts as failed.
export HIVEKIT_BUSY_TIMEOUT_MS=100
user_key='HKLM\SOFTWARE\Corvane\demo'
victim="" holder=""
trap 'kill -KILL $victim $holder 2>/dev/null; cleanup' EXIT

# once NAME: one `quillon-update --once`, its output in $work/u-NAME.log; fails on a crash.
once() {
  "$bin/quillon-update" --once 2>"$work/u-$1.log"
  local got=$?
  [ "$got" -le 1 ] || fail "quillon-update --once ($1) exited with $got"
  return "$got"
}
# both_at ADDRESS WHEN: the service holds both marked records at ADDRESS.
both_at() {
  local list
  list=$(records demo demo)
  grep -q "demo-home.example;;A;;www;;$1~~" <<<"$list~~" &&
    grep -q "demo-lab.example;;A;;bench;;$1~~" <<<"$list~~" ||
    fail "$2: the records are not both at $1: $list"
}
# held_request N MODE: the next quillon-update's N-th service request is held (MODE 0: before the
# service acts on it, 1: after).
held_request() {
  sim "/_sim/faults/clear" >/dev/null
  [ "$1" -gt 1 ] && sim "/_sim/fault?kind=delay&count=$(($1 - 1))&param=0" >/dev/null
  sim "/_sim/fault?kind=hold&param=$2" >/dev/null
}
held() { [ "$(sim /_sim/held)" = "1" ]; }
# moved_on NAME ADDRESS: a further address change moves both records, and nothing stays pending.
moved_on() {
  sim "/_sim/address?user=demo&ip=$2" >/dev/null
  once "$1-further" || fail "$1: the run after the recovery left work: $(cat "$work/u-$1-further.log")"
  both_at "$2" "$1, after a further change"
  [ -z "$(stored "$user_key" PendingReAdds)" ] || fail "$1: records stay pending"
}

start_sim
saved_login demo
setting "$user_key" AutoIPs 'DEMO-HOME.EXAMPLE;;A;;WWW;;192.0.2.10~~DEMO-LAB.EXAMPLE;;A;;BENCH;;192.0.2.11~~'

# Requests: 1 login, 2 the address check, 3 and 4 www's delete and add, 5 and 6 bench's.
step=0
for request in 3 4 5 6; do
  for mode in 0 1; do
    step=$((step + 1))
    name="kill-$request-$mode"
    sim "/_sim/address?user=demo&ip=198.51.100.$step" >/dev/null
    held_request "$request" "$mode"
    "$bin/quillon-update" --once 2>"$work/u-$name.log" &
    victim=$!
    wait_for 20 held || fail "$name: request $request was not held"
    kill -KILL "$victim"
    wait "$victim" 2>/dev/null
    victim=""
    sim "/_sim/release?then=drop" >/dev/null
    sim "/_sim/faults/clear" >/dev/null
    once "$name-next" || fail "$name: the next run left work: $(cat "$work/u-$name-next.log")"
    both_at "198.51.100.$step" "$name, the next run"
    moved_on "$name" "203.0.113.$step"
  done
done

# The store held by another program from the n-th request on, until the run ended.
for request in 2 3 4 5 6; do
  step=$((step + 1))
  name="locked-$request"
  sim "/_sim/address?user=demo&ip=198.51.100.$step" >/dev/null
  held_request "$request" 0
  "$bin/quillon-update" --once 2>"$work/u-$name.log" &
  victim=$!
  wait_for 20 held || fail "$name: request $request was not held"
  python3 -c '
import signal, sqlite3, sys
db = sqlite3.connect(sys.argv[1], isolation_level=None)
db.execute("BEGIN IMMEDIATE")
print("held", flush=True)
signal.pause()' "$HIVEKIT_STORE" >"$work/$name-holder.out" 2>&1 &
  holder=$!
  # A file of its own: the shell may not have created it yet when the wait begins.
  wait_for 20 grep -q held "$work/$name-holder.out" ||
    fail "$name: the store's write lock was not taken"
  sim "/_sim/release?then=answer" >/dev/null
  wait "$victim"
  status=$?
  victim=""
  [ "$status" -le 1 ] || fail "$name: quillon-update exited with $status with the store held"
  grep -q "cannot save the settings" "$work/u-$name.log" || fail "$name: no word of the store"
  kill "$holder"
  wait "$holder" 2>/dev/null
  holder=""
  sim "/_sim/faults/clear" >/dev/null
  once "$name-next" || fail "$name: the run after the store came back left work"
  both_at "198.51.100.$step" "$name, the runs after the store came back"
  moved_on "$name" "203.0.113.$step"
done

# A free account's host: once published at an address, no later start points it elsewhere. The
# store holds the address of an earlier run's stop; a start points the host there, the check
# moves it on.
saved_login free
setting 'HKLM\SOFTWARE\Corvane\free' bAutoIP 1 REG_DWORD
setting 'HKLM\SOFTWARE\Corvane\free' IPAddress 198.51.100.199
sim "/_sim/address?user=free&ip=198.51.100.200" >/dev/null
once free-first || fail "the free account's first run left work"
records free free | grep -q ';;free;;198.51.100.200' || fail "the free host did not follow: $(records free free)"
sim "/_sim/log/clear" >/dev/null
once free-second || fail "the free account's second run left work"
sim "/_sim/log" | grep -q 'DNSCommand=RECORDADD.*198.51.100.200' || fail "no add in the second run"
if sim "/_sim/log" | grep 'DNSCommand=RECORDADD' | grep -v '198.51.100.200'; then
  fail "a later start published an older address for the free host"
fi
echo "PASSED"
