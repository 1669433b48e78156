#!/usr/bin/env bash
# End to end: corvane-sim and the real quillon program on a virtual X screen. A user types
# demo / demo into the login window (xdotool); the main window opens, and File > Exit closes
# the program, which writes its settings.
#   login_e2e.sh BIN-DIR
set -uo pipefail
bin=$1
. "$(dirname "$0")/e2e_lib.sh"

start_sim
start_screen
start_quillon

wid=$(shown_window 20 '^Login  version ')
[ -n "$wid" ] || fail "the login window did not appear"
xdotool windowfocus --sync "$wid" || fail "could not focus the login window"
# The user-name box has the focus when the window opens.
xdotool type --delay 20 demo
xdotool key Tab
xdotool type --delay 20 demo
xdotool key Return

main=$(main_window)
[ -n "$main" ] || fail "the main window did not appear after the login"
sim /_sim/log | grep -qxF "/dnslogin3.asp?fxn=login&usr=demo&pwd=demo" ||
  fail "corvane-sim did not receive the login request"

menu_exit "$main"
wait_exit
width=$(stored 'HKLM\SOFTWARE\Corvane\demo' MainWidth)
[ "$width" = 8895 ] || fail "the window's width was not saved on exit (got '$width')"
[ "$(stored 'HKLM\SOFTWARE\Corvane\Init' bSaveLogin)" = 0 ] || fail "bSaveLogin was not saved as 0"
echo "PASSED: logged in as demo through corvane-sim at $hostport, main window shown, settings saved"
