#!/usr/bin/env bash
# The real program ended by SIGTERM, SIGINT or SIGHUP runs its shutdown without asking: it exits
# normally and Histo.dat is rewritten whole (a state changed in memory reaches the file).
# Runs in a private network namespace with only loopback (needs root; skipped otherwise), so the
# program's network intake never meets a real network.
set -euo pipefail

build="${1:?usage: $0 BUILD-DIRECTORY}"
source "$(dirname "$0")/lan_kit.sh"
need_root "for a private network namespace"
need_tools unshare
need_files "$build/pelimo"
lan_begin pmterm

# One unread message, arrived a moment ago, in a file written by hand (LF line ends): the shutdown
# writes it back in the program's own form, CR LF ends and the message still unread.
entry='1\n"PC7"\n"ME"\n"hello"\n"01/02/2024"\n"10:00:00"\n""\n2\n'
expected="$(printf '1\r\n"PC7"\r\n"ME"\r\n"hello"\r\n"01/02/2024"\r\n"10:00:00"\r\n""\r\n2\r\n' | od -An -c)"

for signal in TERM INT HUP; do
    rm -rf "$work/app" && mkdir "$work/app"
    cp "$build/pelimo" "$build/pelimo-router" "$work/app/"
    cp "$build/orglng.lng" "$work/app/" 2>/dev/null || true
    printf '[Setting]\r\nMessageChannel=pmterm%s\r\n' "$$" >"$work/app/Settings.ini"
    printf "$entry" >"$work/app/Histo.dat"
    unshare --net --uts sh -c "ip link set lo up; hostname pmterm; exec env QT_QPA_PLATFORM=offscreen '$work/app/pelimo'" \
        >"$work/out.log" 2>&1 &
    pid=$!
    pids+=("$pid")
    sleep 2  # the program is up and idle: nothing to wait for but time
    kill -0 "$pid" || fail "pelimo ended by itself"
    kill -"$signal" "$pid"
    status=0
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$pid" 2>/dev/null && fail "SIG$signal did not end pelimo"
    wait "$pid" || status=$?
    [ "$status" -eq 0 ] || fail "SIG$signal: exit status $status"
    [ "$(od -An -c "$work/app/Histo.dat")" = "$expected" ] ||
        fail "SIG$signal: Histo.dat was not rewritten: $(od -c "$work/app/Histo.dat")"
    echo "ok: SIG$signal ran the shutdown"
done
echo "PASS"
