#!/usr/bin/env bash
# quillon-update under the restrictions of its systemd unit, on a machine that runs no user
# manager: a mount namespace gives the file system the unit's shape (everything read-only but the
# store's and the state folder, a private /tmp, a /dev of pseudo-devices only, /proc without other
# processes or system files) and sandbox_exec the process's (no new privileges, no capabilities,
# no writable executable memory, sockets of AF_UNIX, AF_INET and AF_INET6 only, no namespaces,
# umask 0077). There `--once` logs in over TLS, trusting the store's TrustedCA file in the home
# folder, and re-points a marked record. Every system call of such a run is one the unit's filter
# lets through.
#   sandbox_test.sh BIN-DIR SANDBOX-EXEC UNIT-TEMPLATE plain|sanitized
set -uo pipefail
bin=$1 sandbox_exec=$2 unit=$3 build=$4

if ! unshare -m true 2>/dev/null; then
  echo "SKIPPED: no mount namespace can be made here (it needs CAP_SYS_ADMIN)"
  exit 77
fi
for tool in strace systemd-analyze; do
  command -v "$tool" >/dev/null || {
    echo "SKIPPED: $tool is not installed (scripts/install-deps.sh installs it)"
    exit 77
  }
done

# Not in /tmp: the sandbox's /tmp is private. Beside the build, or, for a build that is itself
# in /tmp or /var/tmp (a clean clone made there), in the user's cache folder.
case "$(cd "$bin" && pwd -P)/" in
  /tmp/* | /var/tmp/*) base=${XDG_CACHE_HOME:-$HOME/.cache} && mkdir -p "$base" ;;
  *) base=$bin/.. ;;
esac
work=$(mktemp -d "$base/sandbox-test.XXXXXX") && work=$(cd "$work" && pwd -P)
sim_pid=""
cleanup() {
  [ -z "$sim_pid" ] || { kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null; }
  [ -n "${KEEP_WORK:-}" ] || rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*"
  for f in "$work"/*.log; do [ -f "$f" ] && { echo "--- $f"; cat "$f"; }; done
  exit 1
}
no_proxy="127.0.0.1,localhost"
NO_PROXY=$no_proxy
DBUS_SESSION_BUS_ADDRESS=disabled:
export no_proxy NO_PROXY DBUS_SESSION_BUS_ADDRESS

certs=$bin/../certs
"$bin/corvane-sim" --db "$work/sim.db" --https 127.0.0.1:0 --cert "$certs/sim-cert.pem" \
  --key "$certs/sim-key.pem" --seed-demo >"$work/sim.log" 2>&1 &
sim_pid=$!
for _ in $(seq 1 200); do
  grep -q "listening on https://" "$work/sim.log" && break
  sleep 0.1
done
hostport=$(sed -n 's|^corvane-sim: listening on https://\([0-9.]*:[0-9]*\)$|\1|p' "$work/sim.log")
[ -n "$hostport" ] || fail "corvane-sim did not start"
sim() { curl -s --noproxy '*' --cacert "$certs/sim-cert.pem" "https://$hostport$1"; }
records() {
  sim "/dnslogin3.asp?fxn=login&usr=demo&pwd=demo" |
    sed -n 's|.*DomainUserRecords:\([^<]*\)</p.*|\1|p'
}
port=${hostport##*:}

# A home of the test's own: the store where the unit lets the program write, the authority file
# it only reads.
home=$work/home
mkdir -p "$home/.config/hivekit" "$home/.local/state/quillon" "$home/ca"
chmod 0700 "$home/.config/hivekit"
cp "$certs/sim-cert.pem" "$home/ca/corvane.pem"
export HOME=$home XDG_CONFIG_HOME=$home/.config XDG_STATE_HOME=$home/.local/state
unset HIVEKIT_STORE XDG_RUNTIME_DIR
init='HKLM\SOFTWARE\Corvane\Init'
setting() {
  "$bin/hivekit-reg" add "$1" /v "$2" /t "${4:-REG_SZ}" /d "$3" /f >/dev/null ||
    fail "hivekit-reg could not write $2"
}
# By name: the run resolves "localhost" through the system's resolver files.
setting "$init" SecureHost "localhost:$port"
setting "$init" UpdateHost "localhost:$port"
setting "$init" TrustedCA "$home/ca/corvane.pem"
setting "$init" bSSL 1
setting "$init" bSaveLogin 1 REG_DWORD
setting "$init" Username demo
setting "$init" Password demo
setting 'HKLM\SOFTWARE\Corvane\demo' AutoIPs 'DEMO-LAB.EXAMPLE;;A;;BENCH;;192.0.2.11~~'

# The unit names the two folders the program may write; the namespace uses the same ones.
grep -qx 'ReadWritePaths=-%h/.config/hivekit -%h/.local/state/quillon' "$unit" ||
  fail "the unit's writable folders are not the ones this test gives: $(grep ReadWritePaths "$unit")"

cat >"$work/inside.sh" <<'EOF'
set -eu
home=$1 sandbox_exec=$2
shift 2
mount --make-rprivate /
# The writable folders keep a mount of their own before everything turns read-only.
for d in "$home/.config/hivekit" "$home/.local/state/quillon"; do mount --bind "$d" "$d"; done
for mp in $(awk '{print $5}' /proc/self/mountinfo | sort -u); do
  case "$mp" in
    /proc* | /sys* | /dev* | "$home/.config/hivekit" | "$home/.local/state/quillon") ;;
    *) mount -o remount,bind,ro "$mp" 2>/dev/null || true ;;
  esac
done
mount -t tmpfs -o mode=1777 tmpfs /tmp
mount -t tmpfs -o mode=1777 tmpfs /var/tmp
devices=$(mktemp -d /tmp/dev.XXXXXX)
for n in null zero full random urandom; do touch "$devices/$n"; mount --bind "/dev/$n" "$devices/$n"; done
mount --bind "$devices" /dev
mount -t proc -o hidepid=invisible,subset=pid proc /proc
# The shape holds: nothing else is writable, nor seen.
if touch "$home/elsewhere" 2>/dev/null || touch /etc/quillon-test 2>/dev/null; then
  echo "the file system is not read-only"; exit 90
fi
[ ! -e /proc/sys ] && [ ! -e /dev/sda ] || { echo "/proc or /dev not restricted"; exit 90; }
"$sandbox_exec" "$@"
EOF
# What runs inside, copied where the sandbox sees it: the program, the component and the transfer
# module it loads from beside itself, and the helper that restricts the process.
mkdir "$work/bin" && cp "$bin/quillon-update" "$bin/libhivekit.so" "$bin/libquillon-curl.so" \
  "$sandbox_exec" "$work/bin/" ||
  fail "could not copy the programs the sandbox runs"
sim "/_sim/address?user=demo&ip=198.51.100.7" >/dev/null || fail "could not set the address"
unshare -m --propagation private bash "$work/inside.sh" "$home" "$work/bin/sandbox_exec" \
  "$work/bin/quillon-update" --once >"$work/once.log" 2>&1
status=$?
[ "$status" -eq 0 ] || fail "quillon-update in the sandbox exited with $status"
records | grep -q 'demo-lab.example;;A;;bench;;198.51.100.7' ||
  fail "the marked record was not re-pointed from the sandbox: $(records)"

if [ "$build" = sanitized ]; then
  echo "PASSED: --once logged in over TLS and re-pointed the record under the unit's restrictions" \
    "(a sanitizer build: its system calls are not the program's alone, and are not checked)"
  exit 0
fi

# Every system call of the same run passes the unit's filter: @system-service, less the
# privileged and resource calls it takes away.
# allowed GROUP: the system calls of a filter group, the groups it names expanded.
allowed() {
  local entry
  systemd-analyze syscall-filter "$1" | sed -n 's/^    \([@a-z0-9_-]*\)$/\1/p' |
    while read -r entry; do
      case "$entry" in
        @*) allowed "$entry" ;;
        *) echo "$entry" ;;
      esac
    done
}
allowed @system-service | sort -u >"$work/allowed"
{ allowed @privileged; allowed @resources; } | sort -u >"$work/denied"
[ -s "$work/allowed" ] && [ -s "$work/denied" ] || fail "systemd-analyze listed no system calls"
sim "/_sim/address?user=demo&ip=198.51.100.8" >/dev/null || fail "could not set the address"
strace -f -qq -o "$work/strace.out" "$bin/quillon-update" --once >"$work/traced.log" 2>&1 ||
  fail "quillon-update under strace failed"
records | grep -q 'demo-lab.example;;A;;bench;;198.51.100.8' ||
  fail "the traced run did not re-point the record: $(records)"
sed -n 's/^[0-9]* *\([a-z0-9_]*\)(.*/\1/p' "$work/strace.out" | grep -v '^execve$' | sort -u \
  >"$work/used"
[ "$(wc -l <"$work/used")" -gt 20 ] || fail "strace saw too few system calls to judge"
outside=$(comm -23 "$work/used" "$work/allowed")
taken=$(comm -12 "$work/used" "$work/denied")
# Run by root (this test's usual case), SQLite hands each new journal file to the store's owner
# with fchown; as the user a user unit runs as, it makes no such call.
if [ "$(id -u)" -eq 0 ]; then
  taken=$(echo "$taken" | grep -vx 'fchown')
fi
[ -z "$outside" ] || fail "system calls outside @system-service: $outside"
[ -z "$taken" ] || fail "system calls the unit's filter takes away: $taken"
echo "PASSED: --once logged in over TLS and re-pointed the record under the unit's restrictions;" \
  "its $(wc -l <"$work/used") system calls all pass the unit's filter"
