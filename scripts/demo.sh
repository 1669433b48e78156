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

# The demo's own store: the connection settings that point quillon at corvane-sim.
export HIVEKIT_STORE=$demo/registry.db
key='HKLM\SOFTWARE\Corvane\Init'
setting() {  # setting NAME DATA
  "$bin/hivekit-reg" add "$key" /v "$1" /d "$2" /f >/dev/null
}
setting UpdateHost 127.0.0.1
setting SecureHost 127.0.0.1:14443
setting WebSite http://127.0.0.1:1400
setting TrustedCA "$certs/sim-cert.pem"
setting Port 1400

sim_log=$demo/corvane-sim.log
"$bin/corvane-sim" --db "$demo/corvane-sim.db" --http 127.0.0.1:1400 \
  --https 127.0.0.1:14443 --cert "$certs/sim-cert.pem" --key "$certs/sim-key.pem" \
  --seed-demo >"$sim_log" 2>&1 &
sim_pid=$!
xvfb_pid=""
cleanup() {
  kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT

for _ in $(seq 1 100); do
  grep -q "listening on https" "$sim_log" 2>/dev/null && break
  if ! kill -0 "$sim_pid" 2>/dev/null; then
    echo "corvane-sim did not start (is port 1400 or 14443 in use?):"
    cat "$sim_log"
    exit 1
  fi
  sleep 0.1
done
echo "corvane-sim is running (log: $sim_log)"

if [ -z "${DISPLAY:-}" ]; then
  display=99
  while [ -e "/tmp/.X${display}-lock" ]; do display=$((display + 1)); done
  Xvfb ":${display}" -screen 0 1024x768x24 -nolisten tcp >"$demo/xvfb.log" 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":${display}"
  for _ in $(seq 1 50); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
  done
  cat <<EOT
No display was set, so quillon runs on a virtual screen, DISPLAY=$DISPLAY. From another shell:
  look at it:    DISPLAY=$DISPLAY import -window root /tmp/quillon.png
  log in:        DISPLAY=$DISPLAY xdotool search --name '^Login' windowactivate --sync; \\
                 DISPLAY=$DISPLAY xdotool type demo; DISPLAY=$DISPLAY xdotool key Tab; \\
                 DISPLAY=$DISPLAY xdotool type demo; DISPLAY=$DISPLAY xdotool key Return
EOT
fi

echo "Starting quillon: log in with demo / demo"
status=0
"$bin/quillon" || status=$?
echo "quillon exited with status $status"
exit "$status"
