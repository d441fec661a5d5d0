#!/usr/bin/env bash
# Runs desktop_bus_test on a private session bus with the stand-in desktop of
# desktop_bus_stub.py (a notification server that reads markup and shows actions, and a
# StatusNotifierWatcher started on request). Skipped (exit 77) where dbus-daemon or python3-dbus
# is missing.
set -euo pipefail

build="${1:?usage: $0 BUILD-DIRECTORY}"
here="$(cd "$(dirname "$0")" && pwd)"
skip() { echo "SKIP: $*"; exit 77; }
command -v dbus-daemon >/dev/null || skip "dbus-daemon is missing"
python=/usr/bin/python3
"$python" -c 'import dbus, gi; from gi.repository import GLib' 2>/dev/null ||
    skip "python3-dbus or python3-gi is missing"
test_program="$build/tests/desktop/desktop_bus_test"
[ -x "$test_program" ] || skip "desktop_bus_test is not built"

work="$(mktemp -d /tmp/pm-desktop-bus.XXXXXX)"
stub_pid=""
source "$here/private_bus.sh"
cleanup() {
    [ -n "$stub_pid" ] && kill "$stub_pid" 2>/dev/null || true
    private_bus_stop
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

private_bus_start "$work"
"$python" "$here/desktop_bus_stub.py" "$work/stub.ready" --caps body,actions,body-markup \
    >"$work/stub.log" 2>&1 &
stub_pid=$!
for _ in $(seq 100); do [ -s "$work/stub.ready" ] && break; sleep 0.05; done
[ -s "$work/stub.ready" ] || { cat "$work/stub.log"; echo "FAIL: the stand-in desktop did not start"; exit 1; }

status=0
PELIMO_PRIVATE_SESSION_BUS=1 QT_QPA_PLATFORM=offscreen "$test_program" || status=$?
[ "$status" -eq 0 ] || cat "$work/stub.log"
exit "$status"
