#!/usr/bin/env bash
# End to end: the record editor of the real program against corvane-sim. As `demo`, an A record
# is added, changed into a port relay with a port, and deleted, each step checked in
# corvane-sim's records. As `free`, the host is pointed at a typed address and the www alias is
# added and removed. The controls are reached with the mouse at their places in the window.
#   editor_e2e.sh BIN-DIR
set -uo pipefail
bin=$1
. "$(dirname "$0")/e2e_lib.sh"

start_sim
saved_login demo
start_screen
start_quillon
main=$(main_window)
[ -n "$main" ] || fail "the main window did not appear for demo"

# The program takes the clicks and keys in the order they are sent, so a step waits only where
# the X server would send input elsewhere: to a list's drop-down while it is open, and to a
# message box only once it has the keyboard.
at() { xdotool mousemove --window "$main" "$1" "$2" click 1; }
# pick X Y TEXT: opens the list at X,Y and picks the first item that begins with TEXT; returns
# once the drop-down has closed, so that the next click reaches the window again.
pick() {
  at "$1" "$2"
  wait_for 10 quillon_popup >/dev/null || fail "the list at $1,$2 did not open"
  xdotool type "$3"
  xdotool key Return
  wait_for 10 no_popup || fail "the list at $1,$2 did not close"
}
# field X Y TEXT: replaces the text of the box at X,Y.
field() { at "$1" "$2"; xdotool key ctrl+a; xdotool type "$3"; }
# answer: dismisses the message box in front with its default button, once it has the keyboard,
# and waits for it to close.
answer() {
  local box
  box=$(wait_for 10 box_in_front "$main") || fail "no message box came"
  xdotool key Return
  wait_for 10 gone "$box" || fail "the message box did not close"
}
has() { [[ "$(records "$1" "$1")" == *"$2"* ]]; }

# Add: demo-lab.example, A, e2e -> 10.20.30.40; Enter in the address box sends it.
at 68 396
pick 216 158 demo-lab
pick 216 182 A
field 216 208 e2e
field 216 240 10.20.30.40
xdotool key Return
wait_for 10 has demo "demo-lab.example;;A;;e2e;;10.20.30.40" || fail "the A record was not added: $(records demo demo)"
answer

# Edit the new (last) row into a port relay with port 8081.
at 100 174
xdotool key End
at 292 396
pick 216 182 Port
field 216 240 http://10.20.30.40/e2e
field 400 240 8081
at 420 181
wait_for 10 has demo "demo-lab.example;;PORT RELAY;;e2e;;http://10.20.30.40:8081/e2e" ||
  fail "the record did not become a port relay: $(records demo demo)"
has demo ";;A;;e2e;;" && fail "the old A record is still there: $(records demo demo)"
answer

# Delete it: the question's default button is Yes.
at 100 174
xdotool key End
at 180 396
answer
wait_for 10 bash -c "! [[ \"\$(curl -s --noproxy '*' 'http://$hostport/dnslogin3.asp?fxn=login&usr=demo&pwd=demo')\" == *';;e2e;;'* ]]" ||
  fail "the record was not deleted: $(records demo demo)"
has demo "demo-lab.example;;A;;bench;;192.0.2.11" || fail "another record went: $(records demo demo)"
answer
menu_exit "$main"
wait_exit

# As free: the panel's address, then the www alias on and off from the advanced frame.
saved_login free
start_quillon
main=$(main_window)
[ -n "$main" ] || fail "the main window did not appear for free"
field 192 184 10.9.8.7
xdotool key Return
wait_for 10 has free "free.corvane.example;;A;;free;;10.9.8.7" || fail "the host was not pointed: $(records free free)"
answer
at 421 200
at 255 237
wait_for 10 has free "CNAME;;WWW.free;;free.free.corvane.example" || fail "the www alias was not added: $(records free free)"
answer
at 255 237
wait_for 10 bash -c "! [[ \"\$(curl -s --noproxy '*' 'http://$hostport/dnslogin3.asp?fxn=login&usr=free&pwd=free')\" == *WWW.free* ]]" ||
  fail "the www alias was not removed: $(records free free)"
answer
# Closing asks the removal question (Enter answers Yes) and removes the host's record: the
# service parks the host at its default address.
menu_exit "$main"
answer
wait_exit
wait_for 10 has free "free.corvane.example;;A;;free;;198.51.100.1" || fail "the host was not removed at close: $(records free free)"
[ "$(stored 'HKLM\SOFTWARE\Corvane\free' IPAddress)" = 10.9.8.7 ] || fail "the host's address was not saved"
echo "PASSED: demo added an A record, turned it into a port relay on port 8081 and deleted it;" \
  "free pointed its host at 10.9.8.7, added and removed the www alias, and closing removed the host"
