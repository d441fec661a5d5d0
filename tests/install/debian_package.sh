#!/usr/bin/env bash
# Builds the Debian package, checks it with lintian, installs it with apt, checks the capability
# the maintainer script grants, starts the program as an unprivileged user in a private network
# namespace where it must bind the datagram port, and removes the package, also
# when a step fails. Needs root (it installs into the machine); skipped otherwise.
set -euo pipefail

build="${1:?usage: $0 BUILD-DIRECTORY SANITIZED}"
skip() { echo "SKIP: $*"; exit 77; }
[ "$(id -u)" -eq 0 ] || skip "needs root to install a package"
[ "${2:-OFF}" = "OFF" ] || skip "a sanitizer build is not packaged"
for tool in cpack dpkg apt-get lintian getcap setpriv nsenter ip flock; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done
id nobody >/dev/null 2>&1 || skip "there is no user nobody"

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
cleanup() {
    [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null || true
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
caps="$(getcap /usr/bin/pelimo)"
[[ "$caps" == *cap_net_bind_service*ep* ]] || fail "getcap: $caps"

# nobody, in a namespace with only loopback, must be able to bind the datagram port.
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
bound=""
for _ in $(seq 300); do
    ip netns exec "$ns" ss -Huln 'sport = :138' | grep -q . && { bound=1; break; }
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
[ -n "$bound" ] || fail "pelimo, started by nobody, does not listen on UDP port 138"
kill -TERM "$pid"
for _ in $(seq 300); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "SIGTERM did not end pelimo"
wait "$pid" || fail "pelimo exited with status $?"
pid=""
[ -e "$home/.local/share/pelimo/orglng.lng" ] || fail "nobody's data folder was not seeded"

dpkg --purge pelimo >"$work/purge.log" 2>&1 || fail "dpkg --purge"
rm -f "$marker"
[ -e /usr/bin/pelimo ] && fail "/usr/bin/pelimo is left after the purge"
echo "PASS"
