# Shared by the end-to-end scripts: corvane-sim on an ephemeral loopback port, a store of the
# test's own pointing quillon at it, a virtual X screen, and small helpers. Source it after
# setting `bin` (the build's bin folder).

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
# No session bus: the tests need none. Without an address, libdbus would try to start one for the
# screen from Qt's D-Bus thread (it forks `dbus-launch --autolaunch`), a child process and a
# leak inside libdbus that come and go with that thread's timing.
DBUS_SESSION_BUS_ADDRESS=disabled:
export DBUS_SESSION_BUS_ADDRESS

work=$(mktemp -d)
sim_pid="" xvfb_pid="" quillon_pid=""
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
# stop PID: ends a process of the test's. A termination signal first; a process still there after
# 20 s is killed: quillon, for one, waits for a question that is up (a failed test may leave one)
# before it closes on the signal, and the test must end all the same.
stop() {
  kill "$1" 2>/dev/null || return 0
  if ! wait_for 20 bash -c "! kill -0 $1 2>/dev/null"; then
    echo "process $1 did not end on SIGTERM: killed"
    kill -KILL "$1" 2>/dev/null
  fi
  wait "$1" 2>/dev/null
}
cleanup() {
  for pid in $quillon_pid $sim_pid $xvfb_pid; do
    stop "$pid"
  done
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*"
  for f in "$work"/*.log; do echo "--- $f"; cat "$f"; done
  exit 1
}

# start_sim: corvane-sim with its demo accounts; sets `hostport`.
start_sim() {
  "$bin/corvane-sim" --db "$work/sim.db" --http 127.0.0.1:0 --seed-demo >"$work/sim.log" 2>&1 &
  sim_pid=$!
  wait_for 20 grep -q "listening on http://" "$work/sim.log" || fail "corvane-sim did not start"
  hostport=$(sed -n 's|^corvane-sim: listening on http://\([0-9.]*:[0-9]*\)$|\1|p' "$work/sim.log" | head -n 1)
  [ -n "$hostport" ] || fail "no address in corvane-sim's output"
  export HIVEKIT_STORE=$work/registry.db
  setting 'HKLM\SOFTWARE\Corvane\Init' UpdateHost "$hostport"
  # corvane-sim serves plain HTTP here: with nothing stored the client would use the secure address.
  setting 'HKLM\SOFTWARE\Corvane\Init' bSSL 0 REG_DWORD
}

# setting KEY NAME DATA [TYPE]: writes a value into the test's store.
setting() {
  "$bin/hivekit-reg" add "$1" /v "$2" /t "${4:-REG_SZ}" /d "$3" /f >/dev/null ||
    fail "hivekit-reg could not write $2"
}
# saved_login USER: the next quillon logs in as USER (whose password is USER too) at its start.
init='HKLM\SOFTWARE\Corvane\Init'
saved_login() {
  setting "$init" bSaveLogin 1 REG_DWORD
  setting "$init" Username "$1"
  setting "$init" Password "$1"
}
# stored KEY NAME: the value's data as hivekit-reg shows it, a DWORD in decimal (empty when
# absent).
stored() {
  local data
  data=$("$bin/hivekit-reg" query "$1" /v "$2" 2>/dev/null |
    sed -n "s|^ *$2 *REG_[A-Z_]* *||Ip" | head -n 1)
  case "$data" in
    0x*) printf '%d\n' "$data" ;;
    *) printf '%s\n' "$data" ;;
  esac
}
# sim PATH: a control or service request to corvane-sim.
sim() {
  curl -s --noproxy '*' "http://$hostport$1"
}
# records USER PASSWORD: the account's record list as corvane-sim holds it now.
records() {
  sim "/dnslogin3.asp?fxn=login&usr=$1&pwd=$2" | sed -n 's|.*DomainUserRecords:\([^<]*\)</p.*|\1|p'
}

# start_screen: a virtual screen on a display number Xvfb chooses itself. It does not reset when
# its last client leaves (-noreset): a test starts quillon again after one has ended, and a
# start that meets the server in its reset may find no server to connect to.
start_screen() {
  exec 3>"$work/display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  exec 3>&-
  wait_for 20 test -s "$work/display" || fail "Xvfb did not start"
  export DISPLAY=":$(head -n 1 "$work/display")"
  wait_for 20 xdpyinfo >/dev/null 2>&1 || fail "the virtual screen does not answer"
  unset QT_QPA_PLATFORM
}

start_quillon() {
  "$bin/quillon" >"$work/quillon.log" 2>"$work/quillon-err.log" &
  quillon_pid=$!
}

# The windows are looked for one search at a time, never with xdotool's --sync: a window that
# goes away while xdotool reads it (a menu closing as a question opens) ends xdotool with an X
# error, and a --sync search would give up there. A failed look is simply looked at again.

# shown_window SECONDS PATTERN: waits for a visible window whose title matches PATTERN and
# prints its id.
shown_window() {
  local id="" deadline=$((SECONDS + $1))
  while [ -z "$id" ]; do
    [ "$SECONDS" -le "$deadline" ] || return 1
    id=$(xdotool search --onlyvisible --name "$2" 2>/dev/null | head -n 1)
    [ -n "$id" ] || sleep 0.1
  done
  echo "$id"
}
# quillon_popup: prints the id of a visible popup of quillon's (a menu, a list's drop-down: a
# window that the window manager leaves alone); fails when there is none.
quillon_popup() {
  local id
  for id in $(xdotool search --onlyvisible --pid "$quillon_pid" 2>/dev/null); do
    if xwininfo -id "$id" 2>/dev/null | grep -q 'Override Redirect State: yes'; then
      echo "$id"
      return 0
    fi
  done
  return 1
}
no_popup() { ! quillon_popup >/dev/null; }
# focused WINDOW: the window has the keyboard focus (it is mapped and its program took the focus),
# so that keys typed now reach it.
focused() {
  [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]
}
# box_in_front MAIN: prints the id of the window in front when it is a window of quillon's other
# than MAIN that has the keyboard focus (a message box or a question); fails otherwise.
box_in_front() {
  local id
  id=$(xdotool getwindowfocus 2>/dev/null) || return 1
  [ -n "$id" ] && [ "$id" != "$1" ] || return 1
  xdotool search --onlyvisible --pid "$quillon_pid" 2>/dev/null | grep -qx "$id" || return 1
  echo "$id"
}
# gone WINDOW: the window is no longer shown (closed or hidden).
gone() {
  ! xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'
}

# main_window: waits for the main window and prints its id.
main_window() {
  shown_window 30 '^Corvane Dynamic DNS version '
}

# menu_exit WINDOW: File > Exit from the menu bar, with the mouse and the item's access key, typed
# once the menu shows.
menu_exit() {
  xdotool mousemove --window "$1" 20 10 click 1
  wait_for 10 quillon_popup >/dev/null || fail "File did not open its menu"
  xdotool key x
}

# question WINDOW-TITLE-PATTERN: waits for a message box of quillon's with that title to show and
# take the keyboard focus, and prints its id; nothing when none comes within 10 s.
question() {
  local box
  box=$(shown_window 10 "$1") || return 1
  wait_for 10 focused "$box" || return 1
  echo "$box"
}

# wait_exit: waits for quillon to end and checks that it ended well.
wait_exit() {
  wait_for 30 bash -c "! kill -0 $quillon_pid 2>/dev/null" || fail "quillon did not exit"
  wait "$quillon_pid"
  local status=$?
  quillon_pid=""
  [ "$status" -eq 0 ] || fail "quillon exited with status $status"
}
