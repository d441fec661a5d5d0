#!/usr/bin/env bash
# A screen reader's view of the running program over AT-SPI, on a private session bus and an X
# server of the test: every command of the send panel and the panel bar is a push button named by
# its caption with a press action; pressing the history entry through AT-SPI opens the history
# panel, whose commands and grid are then named too.
# The program binds the NetBIOS ports at start-up, so it runs in a network namespace of its own:
# needs root, skipped (exit 77) otherwise or where AT-SPI, Xvfb or PyGObject are missing.
set -euo pipefail

build="${1:?usage: $0 BUILD-DIRECTORY}"
here="$(cd "$(dirname "$0")" && pwd)"
skip() { echo "SKIP: $*"; exit 77; }
[ "$(id -u)" -eq 0 ] || skip "needs root for a network namespace of its own"
for tool in unshare Xvfb dbus-daemon setsid; do
    command -v "$tool" >/dev/null || skip "$tool is missing"
done
launcher=/usr/libexec/at-spi-bus-launcher
[ -x "$launcher" ] || skip "at-spi2-core is missing ($launcher)"
python=/usr/bin/python3
"$python" -c 'import gi; gi.require_version("Atspi", "2.0")' 2>/dev/null ||
    skip "python3-gi or gir1.2-atspi-2.0 is missing"
[ -x "$build/pelimo" ] || skip "pelimo is not built"

# Everything below runs in a fresh network namespace: nothing reaches a network.
if [ -z "${PELIMO_ATSPI_NAMESPACE:-}" ]; then
    exec env PELIMO_ATSPI_NAMESPACE=1 unshare --net -- "$0" "$@"
fi

work="$(mktemp -d /tmp/pm-atspi.XXXXXX)"
xvfb_pid="" launcher_pid="" program_pid=""
source "$here/private_bus.sh"

cleanup() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
    # The launcher's bus and registry live in the session it leads.
    if [ -n "$launcher_pid" ]; then
        for pid in $(ps -o pid= -s "$launcher_pid" 2>/dev/null); do kill "$pid" 2>/dev/null || true; done
    fi
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    private_bus_stop
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    cat "$work/program.err" >&2 2>/dev/null || true
    exit 1
}

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.err" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(head -1 "$work/display")"

private_bus_start "$work"
setsid "$launcher" --launch-immediately --a11y=1 >"$work/launcher.log" 2>&1 &
launcher_pid=$!
for _ in $(seq 100); do
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
        >/dev/null 2>&1 && break
    sleep 0.05
done

mkdir -p "$work/app"
cp "$build/pelimo" "$build/pelimo-router" "$build/orglng.lng" "$work/app/"
printf '[Setting]\r\nOpenWindows=0\r\nPlaySound=0\r\nMinimizedWindows=0\r\n' >"$work/app/Settings.ini"
QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$work/app/pelimo" \
    >"$work/program.out" 2>"$work/program.err" &
program_pid=$!

# The captions the language file gives the commands.
text() { grep -a "^$(printf '%05d' "$1")=" "$build/orglng.lng" | cut -d= -f2- | tr -d '\r'; }
"$python" "$here/atspi_walk.py" "$program_pid" \
    --before "$(text 4)" "$(text 5)" "$(text 6)" "$(text 7)" "$(text 8)" "$(text 3)" \
    "$(text 46)" "$(text 47)" "$(text 48)" "$(text 49)" \
    --press "$(text 48)" \
    --after "$(text 24)" "$(text 25)" "$(text 7)" "$(text 8)" \
    --table "$(text 48)" || fail "the AT-SPI view is not as expected"
