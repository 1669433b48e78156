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

# start_sim: corvane-sim with its demo accounts; sets `hostport`.
start_sim() {
  "$bin/corvane-sim" --db "$work/sim.db" --http 127.0.0.1:0 --seed-demo >"$work/sim.log" 2>&1 &
  sim_pid=$!
  wait_for 20 grep -q "listening on http://" "$work/sim.log" || fail "corvane-sim did not start"
  hostport=$(sed -n 's|^corvane-sim: listening on http://\([0-9.]*:[0-9]*\)$|\1|p' "$work/sim.log" | head -n 1)
  [ -n "$hostport" ] || fail "no address in corvane-sim's output"
  export HIVEKIT_STORE=$work/registry.db
  setting 'HKLM\SOFTWARE\Corvane\Init' UpdateHost "$hostport"
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

# start_screen: a virtual screen on a display number Xvfb chooses itself.
start_screen() {
  exec 3>"$work/display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
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

# main_window: waits for the main window and prints its id.
main_window() {
  timeout 30 xdotool search --sync --onlyvisible --name '^Corvane Dynamic DNS version ' | head -n 1
}

# menu_exit WINDOW: File > Exit from the menu bar, with the mouse and the item's access key.
menu_exit() {
  xdotool mousemove --window "$1" 20 10 click 1
  sleep 0.5
  xdotool key x
}

# wait_exit: waits for quillon to end and checks that it ended well.
wait_exit() {
  wait_for 30 bash -c "! kill -0 $quillon_pid 2>/dev/null" || fail "quillon did not exit"
  wait "$quillon_pid"
  local status=$?
  quillon_pid=""
  [ "$status" -eq 0 ] || fail "quillon exited with status $status"
}
