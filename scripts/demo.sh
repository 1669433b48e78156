#!/usr/bin/env bash
# The demo: installs what is missing, builds, starts corvane-sim (the stand-in service) on
# loopback with its demo accounts, points quillon at it through a settings store of the demo's
# own (a user's settings are never touched), and starts quillon. corvane-sim stops when quillon
# exits. Log in with demo / demo (or free / free, expired / expired).
#
#   bash scripts/demo.sh [BUILD-DIR]     (default: build)
# With DEMO_SKIP_BUILD=1 an already built BUILD-DIR is used as it is.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/${1:-build}

if [ "${DEMO_SKIP_BUILD:-0}" != 1 ]; then
  bash scripts/install-deps.sh
  bash scripts/build.sh "$build"
fi

bin=$build/bin
certs=$build/certs
demo=$build/demo
mkdir -p "$demo"

# What this run starts is stopped, and its scratch folder removed, on every way out.
run_dir=$(mktemp -d "$demo/run.XXXXXX")
sim_pid=""
xvfb_pid=""
cleanup() {
  for pid in $sim_pid $xvfb_pid; do
    kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true
  done
  rm -rf "$run_dir"
}
trap cleanup EXIT

# Requests to corvane-sim never go through a proxy named in the environment.
no_proxy="127.0.0.1,localhost${no_proxy:+,$no_proxy}"
NO_PROXY=$no_proxy
export no_proxy NO_PROXY

# start_sim HTTP-ADDR HTTPS-ADDR: starts corvane-sim and succeeds once both listeners run.
sim_log=$run_dir/corvane-sim.log
start_sim() {
  "$bin/corvane-sim" --db "$demo/corvane-sim.db" --http "$1" --https "$2" \
    --cert "$certs/sim-cert.pem" --key "$certs/sim-key.pem" --seed-demo >"$sim_log" 2>&1 &
  sim_pid=$!
  for _ in $(seq 1 100); do
    grep -q "listening on https" "$sim_log" && return 0
    kill -0 "$sim_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null || true
  sim_pid=""
  return 1
}
# The demo's ports, or free ones when another run (or program) already holds them.
if ! start_sim 127.0.0.1:1400 127.0.0.1:14443; then
  echo "Port 1400 or 14443 is in use; corvane-sim takes free ports instead."
  if ! start_sim 127.0.0.1:0 127.0.0.1:0; then
    echo "corvane-sim did not start:"
    cat "$sim_log"
    exit 1
  fi
fi
http=$(sed -n 's|^corvane-sim: listening on http://||p' "$sim_log" | head -n 1)
https=$(sed -n 's|^corvane-sim: listening on https://||p' "$sim_log" | head -n 1)
echo "corvane-sim is running on http://$http and https://$https (log: $sim_log)"

# The demo's own store: the connection settings that point quillon at corvane-sim.
export HIVEKIT_STORE=$demo/registry.db
# The demo's own configuration folder: "Start with the desktop session" writes its autostart
# entry there, not into your desktop's.
export XDG_CONFIG_HOME=$demo/config
key='HKLM\SOFTWARE\Corvane\Init'
setting() {  # setting NAME DATA
  "$bin/hivekit-reg" add "$key" /v "$1" /d "$2" /f >/dev/null
}
if [ "${http##*:}" = 1400 ]; then
  # The port list's 1400 reaches corvane-sim.
  setting UpdateHost 127.0.0.1
  setting Port 1400
else
  # An update host with its own port is reached on that port whatever the port list says.
  setting UpdateHost "$http"
fi
setting SecureHost "$https"
setting WebSite "http://$http"
setting TrustedCA "$certs/sim-cert.pem"

# The demo account keeps two of its records on automatic IP (once; later changes are the
# user's), and corvane-sim reports a public address of the documentation range for it, so that
# within a minute of the login those two records follow it in the grid.
if ! "$bin/hivekit-reg" query 'HKLM\SOFTWARE\Corvane\demo' /v AutoIPs >/dev/null 2>&1; then
  "$bin/hivekit-reg" add 'HKLM\SOFTWARE\Corvane\demo' /v AutoIPs /f /d \
    'DEMO-HOME.EXAMPLE;;A;;WWW;;192.0.2.10~~DEMO-LAB.EXAMPLE;;PORT RELAY;;CAM;;HTTP://192.0.2.11:8080/CAM~~' \
    >/dev/null
fi
curl -s --noproxy '*' "http://$http/_sim/address?user=demo&ip=203.0.113.7" >/dev/null || true

if [ -z "${DISPLAY:-}" ]; then
  # A virtual screen on a display number Xvfb chooses itself.
  exec 3>"$run_dir/display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$run_dir/xvfb.log" 2>&1 &
  xvfb_pid=$!
  exec 3>&-
  for _ in $(seq 1 100); do
    [ -s "$run_dir/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ ! -s "$run_dir/display" ]; then
    echo "Xvfb did not start:"
    cat "$run_dir/xvfb.log"
    exit 1
  fi
  export DISPLAY=":$(head -n 1 "$run_dir/display")"
  cat <<EOT
No display was set, so quillon runs on a virtual screen, DISPLAY=$DISPLAY. From another shell:
  look at it:    DISPLAY=$DISPLAY import -window root /tmp/quillon.png
  log in:        DISPLAY=$DISPLAY xdotool search --name '^Login' windowfocus --sync; \\
                 DISPLAY=$DISPLAY xdotool type demo; DISPLAY=$DISPLAY xdotool key Tab; \\
                 DISPLAY=$DISPLAY xdotool type demo; DISPLAY=$DISPLAY xdotool key Return
EOT
fi

echo "Starting quillon: log in with demo / demo (or free / free); File > Exit ends the demo"
status=0
"$bin/quillon" || status=$?
echo "quillon exited with status $status"
exit "$status"
