#!/usr/bin/env bash
# Builds the Debian package, checks it with lintian, installs it with apt, checks that the
# maintainer script grants the port right to the router program alone and that the router links
# no Qt GUI library, starts the program as an unprivileged user in a private network namespace,
# where the router it starts must bind the datagram port and a datagram sent there must be
# stored while the program holds no capability, and removes the package, also when a step fails.
# Needs root (it installs into the machine); skipped otherwise.
set -euo pipefail

build="${1:?usage: $0 BUILD-DIRECTORY SANITIZED}"
skip() { echo "SKIP: $*"; exit 77; }
[ "$(id -u)" -eq 0 ] || skip "needs root to install a package"
[ "${2:-OFF}" = "OFF" ] || skip "a sanitizer build is not packaged"
for tool in cpack dpkg apt-get lintian getcap getpcaps setpriv nsenter ip flock ldd; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done
id nobody >/dev/null 2>&1 || skip "there is no user nobody"
[ -x /usr/bin/python3 ] || skip "/usr/bin/python3 is missing"
here="$(cd "$(dirname "$0")" && pwd)"

# One package test at a time on a machine; a marker tells a leftover of a killed run from a
# package somebody installed.
exec 9>/run/lock/pelimo-package-test.lock
flock -w 600 9 || { echo "FAIL: another package test holds the lock"; exit 1; }
marker=/run/pelimo-package-test.installed
installed() { dpkg-query -W -f='${Status}' pelimo 2>/dev/null | grep -q "ok installed"; }
if installed || dpkg-query -W pelimo >/dev/null 2>&1; then
    [ -e "$marker" ] || skip "a pelimo package is on this machine already; not replacing it"
    dpkg --purge pelimo >/dev/null
fi

work="$(mktemp -d /tmp/pelimo-deb.XXXXXX)"
ns="pdeb$$"
pid=""
router=""
cleanup() {
    [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null || true
    [ -n "$router" ] && kill -KILL "$router" 2>/dev/null || true
    ip netns del "$ns" 2>/dev/null || true
    if [ -e "$marker" ]; then
        dpkg --purge pelimo >/dev/null 2>&1 || echo "WARNING: dpkg --purge pelimo failed"
        dpkg-query -W pelimo >/dev/null 2>&1 || rm -f "$marker"
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP
fail() { echo "FAIL: $*"; for f in "$work"/*.log; do [ -s "$f" ] && { echo "--- $f"; cat "$f"; }; done; exit 1; }

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/pkg") >"$work/cpack.log" 2>&1 ||
    fail "cpack"
deb="$(ls "$work"/pkg/pelimo_*.deb)"
depends="$(dpkg-deb -f "$deb" Depends)"
[[ "$depends" == *libqt6core6* ]] || fail "the computed dependencies lack Qt"
lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 || fail "lintian reports errors"
cat "$work/lintian.log"

touch "$marker"
apt-get install -y -qq --no-install-recommends -o DPkg::Lock::Timeout=300 "$deb" >"$work/apt.log" 2>&1 ||
    fail "apt-get install"
rm -f "$work/apt.log"
caps="$(getcap /usr/libexec/pelimo/pelimo-router)"
[[ "$caps" == *cap_net_bind_service*ep* ]] || fail "getcap pelimo-router: $caps"
for program in /usr/bin/pelimo /usr/bin/pelimo-send; do
    [ -z "$(getcap "$program")" ] || fail "$program carries a capability: $(getcap "$program")"
done
if ldd /usr/libexec/pelimo/pelimo-router | grep -E 'libQt6(Gui|Widgets)'; then
    fail "the router links a Qt GUI library"
fi

# nobody, in a namespace with only loopback, starts the program: the router it starts binds the
# datagram port, and a datagram for this computer is stored without any step of nobody's.
chmod 755 "$work"
home="$work/home"
mkdir "$home" && chown nobody: "$home"
ip netns add "$ns" || fail "cannot create a network namespace"
ip -n "$ns" link set lo up
as_nobody() {
    # Each step execs the next (ip netns exec would fork): $! of "as_nobody ... &" is the program.
    exec nsenter --net="/run/netns/$ns" setpriv --reuid=nobody --regid=nogroup --clear-groups \
        env -i PATH=/usr/bin:/bin HOME="$home" QT_QPA_PLATFORM=offscreen "$@"
}
as_nobody /usr/bin/pelimo >"$work/pelimo.log" 2>&1 9>&- &
pid=$!
holder=""
for _ in $(seq 300); do
    holder="$(ip netns exec "$ns" ss -Hulnp 'sport = :138')"
    [ -n "$holder" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
[[ "$holder" == *'"pelimo-router"'* ]] || fail "the router, started for nobody, does not hold UDP port 138: $holder"
router="$(grep -o 'pid=[0-9]*' <<<"$holder" | head -n1 | cut -d= -f2)"
caps="$(getpcaps "$pid" 2>&1)"
[[ "$caps" != *cap_* ]] || fail "pelimo holds capabilities: $caps"
name="$(testparm -s --parameter-name='netbios name' 2>/dev/null | head -n1 || true)"
[ -n "$name" ] || name="$(hostname | cut -d. -f1)"
name="${name^^}"
ip netns exec "$ns" /usr/bin/python3 -B "$here/../lan/nbds_flood.py" 127.0.0.1 127.0.0.1 \
    "${name:0:15}" 1 0 "1from the network" >/dev/null || fail "the datagram could not be sent"
history="$home/.local/share/pelimo/Histo.dat"
for _ in $(seq 100); do grep -q "from the network" "$history" 2>/dev/null && break; sleep 0.1; done
grep -q "from the network" "$history" 2>/dev/null || fail "the datagram was not stored for nobody"
kill -TERM "$pid"
for _ in $(seq 300); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "SIGTERM did not end pelimo"
wait "$pid" || fail "pelimo exited with status $?"
pid=""
kill -TERM "$router" 2>/dev/null || true
router=""
[ -e "$home/.local/share/pelimo/orglng.lng" ] || fail "nobody's data folder was not seeded"

dpkg --purge pelimo >"$work/purge.log" 2>&1 || fail "dpkg --purge"
rm -f "$marker"
[ -e /usr/bin/pelimo ] && fail "/usr/bin/pelimo is left after the purge"
echo "PASS"
