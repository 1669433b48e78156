#!/usr/bin/env bash
# End to end: a saved login starts quillon straight into its main window; corvane-sim is then
# told a new public address for the account, and within one refresh period the records marked
# for automatic IP follow it (a port relay keeping its port and path) while the others stay.
# Exit writes the settings. This is the one test that waits out a real refresh period.
#   main_e2e.sh BIN-DIR
set -uo pipefail
bin=$1
. "$(dirname "$0")/e2e_lib.sh"

start_sim
saved_login demo
setting "$init" RefreshRate 60
setting 'HKLM\SOFTWARE\Corvane\demo' AutoIPs \
  'DEMO-HOME.EXAMPLE;;A;;WWW;;192.0.2.10~~DEMO-LAB.EXAMPLE;;PORT RELAY;;CAM;;HTTP://192.0.2.11:8080/CAM~~'
sim '/_sim/address?user=demo&ip=203.0.113.7' >/dev/null || fail "could not set the address"

start_screen
start_quillon
main=$(main_window)
[ -n "$main" ] || fail "the main window did not appear from the saved login"
if sim /_sim/log | grep -q "fxn=login" && [ "$(sim /_sim/log | grep -c fxn=login)" -ne 1 ]; then
  fail "more than one login was sent"
fi
started=$(date +%s)

repointed() {
  local r
  r=$(records demo demo)
  [[ "$r" == *"demo-home.example;;A;;www;;203.0.113.7"* ]] &&
    [[ "$r" == *"demo-lab.example;;PORT RELAY;;cam;;"*"203.0.113.7:8080/cam"* ]]
}
wait_for 80 repointed || fail "the marked records did not follow the new address: $(records demo demo)"
elapsed=$(($(date +%s) - started))
r=$(records demo demo)
[[ "$r" == *"demo-home.example;;A;;@;;192.0.2.10"* ]] || fail "an unmarked record changed: $r"
[[ "$r" == *"demo-lab.example;;A;;bench;;192.0.2.11"* ]] || fail "an unmarked record changed: $r"

menu_exit "$main"
wait_exit
[ "$(stored 'HKLM\SOFTWARE\Corvane\demo' WindowState)" = 0 ] || fail "WindowState was not saved"
autoips=$(stored 'HKLM\SOFTWARE\Corvane\demo' AutoIps)
[[ "$autoips" == *"WWW;;203.0.113.7"* ]] || fail "the saved AutoIP list lacks the re-pointed record: $autoips"
echo "PASSED: marked records followed 203.0.113.7 after ${elapsed}s; unmarked ones stayed; settings saved"
