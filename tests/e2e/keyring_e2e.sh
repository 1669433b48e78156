#!/usr/bin/env bash
# The saved password in a real Secret Service: gnome-keyring on a private session bus, the real
# quillon-update and the window's keyring tests against corvane-sim. --save-login puts the
# password in the keyring and nowhere else (no store value, no trace in the database's files, no
# command line, environment, output line or log of a run); --once logs in with it; a stored
# Password moves to the keyring; a locked or silent keyring fails the login within the time-out;
# without a bus the store serves; systemd's credential comes first.
set -uo pipefail
bin=$1
. "$(dirname "$0")/e2e_lib.sh"
# The silent Secret Service is the system's Python with its D-Bus module (python3-dbus).
python=/usr/bin/python3
"$python" -c 'import dbus' 2>/dev/null ||
  { echo "SKIPPED: $python has no dbus module (python3-dbus)"; exit 77; }
for tool in dbus-run-session gnome-keyring-daemon sqlite3; do
  command -v "$tool" >/dev/null ||
    { echo "SKIPPED: $tool is not installed (scripts/install-deps.sh installs it)"; exit 77; }
done

secret='Wv3-keyring-only-secret'
export HOME=$work/home XDG_DATA_HOME=$work/home/data XDG_CONFIG_HOME=$work/home/config
mkdir -p "$HOME"
unset XDG_RUNTIME_DIR
start_sim
sqlite3 "$work/sim.db" "UPDATE accounts SET password='$secret' WHERE username='demo'" ||
  fail "could not set the account's password"

# no_trace WHAT: the secret is in no store value and in none of the store's files.
no_trace() {
  "$bin/hivekit-reg" query 'HKLM\SOFTWARE\Corvane' /s 2>/dev/null | grep -q "$secret" &&
    fail "$1: the password is a store value"
  for f in "$HIVEKIT_STORE" "$HIVEKIT_STORE-wal" "$HIVEKIT_STORE-journal"; do
    [ -e "$f" ] && grep -aq "$secret" "$f" && fail "$1: the password is in $f"
  done
  return 0
}
# in_bus MODE SCRIPT: runs SCRIPT (bash) in a private session bus; MODE "unlocked" starts
# gnome-keyring unlocked, "locked" starts it without unlocking the keyring the first run made,
# "silent" gives the Secret Service's name to a process that never answers.
in_bus() {
  local mode=$1 script=$2
  dbus-run-session -- bash -c "
    set -uo pipefail
    case $mode in
      unlocked) printf kring-pw | gnome-keyring-daemon --unlock --components=secrets >/dev/null ;;
      locked) gnome-keyring-daemon --start --components=secrets >/dev/null ;;
      silent)
        $python -c 'import dbus, sys, time
bus = dbus.SessionBus(); bus.request_name(\"org.freedesktop.secrets\")
print(\"owned\", flush=True); time.sleep(600)' >'$work/silent.out' 2>&1 &
        silent_pid=\$!
        for _ in \$(seq 1 100); do grep -q owned '$work/silent.out' && break; sleep 0.1; done
        grep -q owned '$work/silent.out' || { cat '$work/silent.out'; exit 1; } ;;
    esac
    $script
    [ -z \"\${silent_pid:-}\" ] || kill \$silent_pid" 2>&1 | grep -v 'Failed to set fd limit'
}
init='HKLM\SOFTWARE\Corvane\Init'

# 1. --save-login with the keyring unlocked, then --once logs in with it; the process's command
#    line and environment, its output and the logs hold no password.
in_bus unlocked "
  printf '%s\n' '$secret' | '$bin/quillon-update' --save-login demo 2>'$work/save.log'
  echo \"save=\$?\" >'$work/save.status'
  '$bin/quillon-update' --once 2>'$work/once.log'; echo \"once=\$?\" >'$work/once.status'
  '$bin/quillon-update' 2>'$work/run.log' & pid=\$!
  for _ in \$(seq 1 100); do grep -q 'updating the records' '$work/run.log' && break; sleep 0.1; done
  tr '\0' '\n' </proc/\$pid/cmdline >'$work/run.cmdline'
  tr '\0' '\n' </proc/\$pid/environ >'$work/run.environ'
  kill \$pid; wait \$pid
  secret-tool lookup user demo >'$work/lookup.out' 2>&1 || secret-tool search --all user demo >>'$work/lookup.out' 2>&1
"
[ "$(cat "$work/save.status")" = save=0 ] || fail "--save-login: $(cat "$work/save.status")"
grep -q "keyring" "$work/save.log" || fail "--save-login did not say the keyring: $(cat "$work/save.log")"
[ "$(stored "$init" bSaveLogin)" = 1 ] || fail "bSaveLogin is not 1"
[ "$(stored "$init" Username)" = demo ] || fail "Username is not demo"
[ -z "$(stored "$init" Password)" ] || fail "the store holds a Password"
grep -q "$secret" "$work/lookup.out" || fail "the keyring has no entry for demo: $(cat "$work/lookup.out")"
[ "$(cat "$work/once.status")" = once=0 ] || fail "--once with the keyring: $(cat "$work/once.status") $(cat "$work/once.log")"
grep -q 'updating the records of demo' "$work/run.log" || fail "the long run did not log in: $(cat "$work/run.log")"
for f in save.log once.log run.log run.cmdline run.environ; do
  grep -q "$secret" "$work/$f" && fail "the password is in $f"
done
[ -s "$work/run.cmdline" ] && [ -s "$work/run.environ" ] || fail "the run's command line was not read"
no_trace "after --save-login"

# 2. A Password value stored by an earlier version moves to the keyring at the next run.
"$bin/hivekit-reg" delete "$init" /v Password /f >/dev/null 2>&1
setting "$init" Password "$secret"
in_bus unlocked "'$bin/quillon-update' --once 2>'$work/migrate.log'; echo \"rc=\$?\" >'$work/migrate.status'"
[ "$(cat "$work/migrate.status")" = rc=0 ] || fail "--once with a stored Password: $(cat "$work/migrate.log")"
[ -z "$(stored "$init" Password)" ] || fail "the stored Password was not moved"
no_trace "after the move"

# 3. The window: its login saved, the automatic login, the move of a stored Password, clearing
#    Save Login (the test program's own stores, in the same private bus).
in_bus unlocked "QUILLON_KEYRING_TEST=unlocked QT_QPA_PLATFORM=offscreen QUILLON_BIN_DIR='$bin' \
  '$bin/keyring_window_tests' --gtest_filter='*Unlocked*:*SaveLogin*:*Moves*' >'$work/window.log' 2>&1; \
  echo \"rc=\$?\" >'$work/window.status'"
[ "$(cat "$work/window.status")" = rc=0 ] || fail "the window's keyring tests: $(tail -30 "$work/window.log")"

# 4. A locked keyring and a silent one: --once fails as a refused login would, within the time-out,
#    and the window shows its login window.
for mode in locked silent; do
  in_bus "$mode" "
    start=\$(date +%s)
    '$bin/quillon-update' --once 2>'$work/$mode.log'; status=\"rc=\$? after=\$((\$(date +%s) - start))\"
    QUILLON_KEYRING_TEST=unanswered QT_QPA_PLATFORM=offscreen QUILLON_BIN_DIR='$bin' \
      '$bin/keyring_window_tests' --gtest_filter='*NotAnswer*' >'$work/$mode-window.log' 2>&1
    echo \"\$status window=\$?\" >'$work/$mode.status'"
  read -r rc after window <"$work/$mode.status"
  [ "$rc" = rc=2 ] || fail "--once with a $mode keyring: $rc ($(cat "$work/$mode.log"))"
  [ "${after#after=}" -lt 15 ] || fail "--once with a $mode keyring took ${after#after=} s"
  # The line names the keyring as the cause; a silent one is told from a password never saved
  # (a locked one hides its entries, so it cannot be).
  want=keyring
  [ "$mode" = locked ] || want="keyring did not give the saved password of demo"
  grep -q "$want" "$work/$mode.log" ||
    fail "--once with a $mode keyring did not say why: $(cat "$work/$mode.log")"
  [ "$window" = window=0 ] || fail "the window with a $mode keyring: $(tail -30 "$work/$mode-window.log")"
done

# 5. systemd's credential comes first: the keyring is not asked (here: not even there).
mkdir -p "$work/creds"
printf '%s\n' "$secret" >"$work/creds/quillon-password"
CREDENTIALS_DIRECTORY=$work/creds "$bin/quillon-update" --once 2>"$work/creds.log" ||
  fail "--once with the credential: $(cat "$work/creds.log")"

# 6. Without a session bus the store serves, as before. The password is typed at a terminal
#    (a pseudo-terminal here), which does not echo it.
(unset DBUS_SESSION_BUS_ADDRESS; "$python" - "$bin/quillon-update" >"$work/nobus.log" 2>&1 <<'PY'
import os, pty, select, signal, sys
pid, fd = pty.fork()
if pid == 0:
    os.execv(sys.argv[1], [sys.argv[1], "--save-login", "demo"])
out, sent = b"", False
while True:
    if not select.select([fd], [], [], 20)[0]:
        os.kill(pid, signal.SIGKILL)  # a prompt that never came, or input that was lost
        break
    try:
        data = os.read(fd, 1024)
    except OSError:
        break
    if not data:
        break
    out += data
    if not sent and b"Password: " in out:
        os.write(fd, b"nobus-pw\n")
        sent = True
sys.stdout.write(out.decode(errors="replace"))
sys.exit(os.waitstatus_to_exitcode(os.waitpid(pid, 0)[1]))
PY
) || fail "--save-login at a terminal without a bus: $(cat "$work/nobus.log")"
grep -q "settings store" "$work/nobus.log" || fail "--save-login did not say the store: $(cat "$work/nobus.log")"
grep -q "nobus-pw" "$work/nobus.log" && fail "the terminal echoed the password: $(cat "$work/nobus.log")"
[ "$(stored "$init" Password)" = nobus-pw ] || fail "without a bus the store holds no Password"
: | "$bin/quillon-update" --save-login demo 2>/dev/null
[ $? -eq 2 ] || fail "--save-login with nothing read did not exit 2"
echo "keyring_e2e: passed"
