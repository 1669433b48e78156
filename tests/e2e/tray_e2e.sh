#!/usr/bin/env bash
# End to end: closing the real program. As `demo`, File > Exit closes at once, asking nothing.
# As `free`, Exit asks the removal question: No (Escape) keeps the window and the host's record;
# Yes (Enter, the default button) removes the record and closes. A termination signal closes in
# order, without a question.
#   tray_e2e.sh BIN-DIR
set -uo pipefail
bin=$1
. "$(dirname "$0")/e2e_lib.sh"

start_sim
saved_login demo
start_screen
start_quillon
main=$(main_window)
[ -n "$main" ] || fail "the main window did not appear for demo"
menu_exit "$main"
wait_exit
[ -n "$(stored 'HKLM\SOFTWARE\Corvane\demo' MainLeft)" ] || fail "Exit did not save demo's settings"

# question_box: the id of the "Corvane" question once it shows and has the keyboard.
question_box() { question '^Corvane$'; }
has() { [[ "$(records "$1" "$1")" == *"$2"* ]]; }

saved_login free
sim '/_sim/address?user=free&ip=10.9.8.7' >/dev/null || fail "could not set the address"
start_quillon
main=$(main_window)
[ -n "$main" ] || fail "the main window did not appear for free"
wait_for 10 has free "free.corvane.example;;A;;free;;10.9.8.7" || fail "the login did not point the host: $(records free free)"

menu_exit "$main"
box=$(question_box)
[ -n "$box" ] || fail "Exit as free asked no question"
xdotool key Escape
wait_for 10 gone "$box" || fail "No (Escape) did not close the question"
kill -0 "$quillon_pid" 2>/dev/null || fail "No closed the program"
gone "$main" && fail "No hid the main window"

# The second Exit's question shows only once the program has done all it does for the No: the
# host must still be there then.
menu_exit "$main"
box=$(question_box)
[ -n "$box" ] || fail "the second Exit asked no question"
has free "free.corvane.example;;A;;free;;10.9.8.7" || fail "No removed the host: $(records free free)"
xdotool key Return
wait_exit
has free "free.corvane.example;;A;;free;;198.51.100.1" || fail "Yes did not remove the host: $(records free free)"

# The system's close (a termination signal) asks nothing and closes as a Yes would.
start_quillon
main=$(main_window)
[ -n "$main" ] || fail "the main window did not appear for free the second time"
wait_for 10 has free "free.corvane.example;;A;;free;;10.9.8.7" || fail "the second login did not point the host"
kill -TERM "$quillon_pid"
wait_exit
has free "free.corvane.example;;A;;free;;198.51.100.1" || fail "the termination signal did not remove the host: $(records free free)"
echo "PASSED: demo's Exit asked nothing; free's Exit asked, No kept the window and the host, Yes" \
  "removed it; a termination signal closed in order without a question"
