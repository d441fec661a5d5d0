#!/usr/bin/env bash
# Two copies of the main window on two hosts (network namespaces joined by a bridge, each with its
# own hostname) exchange messages end to end:
#   - starting a copy sends nothing on the network;
#   - a message typed into A's send panel for B's contact user name and for B's computer name
#     arrives twice in B's read panel and in B's Histo.dat;
#   - B's reply reaches A;
#   - a plain three-field datagram written by another program (no kind digit) is shown on A;
#   - presence: an identification request from B marks B connected and ready on A and is answered;
#   - the time from clicking send on A to the message shown on B, median of 50 messages.
# Needs root; skipped (exit 77) otherwise. Everything runs inside namespaces this script creates.
set -euo pipefail

build="${1:?usage: $0 BUILD-DIRECTORY}"
source "$(dirname "$0")/lan_kit.sh"
need_root
need_tools ip unshare tshark
peer="$build/tests/mainwindow/pelimo-lan-peer"
python=/usr/bin/python3
need_files "$peer" "$python"

lan_begin pm
lan_hosts 10.77.5 A B

# Each host's program folder: the program, its language file, a contact list.
app_folder "$work/A" "$peer"
app_folder "$work/B" "$peer"
printf '[UserSetting]\r\nUserNumber=1\r\nUserName001=bob\r\nUserComputerName001=PMHOSTB\r\n' >"$work/A/User.dat"

start_peer() {  # side hostname
    start_on_host --io "$1" "$1" "$2" env QT_QPA_PLATFORM=offscreen "$work/$1/pelimo"
}

# A starts while its interface is watched: nothing may leave it.
ip netns exec "$nsA" tshark -i eth0 -f udp -w "$work/start.pcapng" -q >"$work/tshark.log" 2>&1 &
capture=$!
pids+=("$capture")
wait_for "$work/tshark.log" "Capturing on" 10 >/dev/null
start_peer A PMHOSTA
exec 3>"$work/A.in"
wait_for A '^ready	PMHOSTA$' >/dev/null
sleep 2
kill -INT "$capture"
wait "$capture" 2>/dev/null || true
started="$(tshark -r "$work/start.pcapng" 2>/dev/null | wc -l)"
[ "$started" -eq 0 ] || fail "starting A sent $started packets"
echo "ok: starting sends nothing"

start_peer B PMHOSTB
exec 4>"$work/B.in"
wait_for B '^ready	PMHOSTB$' >/dev/null

# A message for B's contact user name and for B's computer name: two datagrams, two messages.
printf 'send\tBOB; pmhostb\tHello B, two lines\\nsecond\n' >&3
wait_for B '^shown	[0-9]+	PMHOSTA	PMHOSTB	Hello B, two lines\\r\\nsecond' >/dev/null
wait_for B '^shown	[0-9]+	PMHOSTA	pmhostb	Hello B' >/dev/null
grep -q '"Hello B, two lines' "$work/B/Histo.dat" || fail "B's Histo.dat lacks the message"
[ "$(grep -c '"PMHOSTA"' "$work/B/Histo.dat")" -eq 2 ] || fail "B's Histo.dat should hold two entries"
echo "ok: A's message reached B twice, shown and stored"

# B replies to the message shown.
printf 'reply\tHi A, got it\n' >&4
wait_for A '^shown	[0-9]+	PMHOSTB	PMHOSTA	Hi A, got it' >/dev/null
echo "ok: B's reply reached A"

# Another program's plain three-field datagram, encoded independently of the program.
ip netns exec "$nsB" "$python" -B "$lan_here/nbds_flood.py" "$ipB" "$ipA" PMHOSTA 1 0 \
    "Plain text from another program" WINBOX >/dev/null || fail "WINBOX's datagram could not be sent"
wait_for A '^shown	[0-9]+	WINBOX	PMHOSTA	Plain text from another program	$' >/dev/null
echo "ok: a plain three-field datagram is shown as a message"

# Presence: B asks A; A marks its contact bob (PMHOSTB) connected and ready and answers, so B,
# which had no contacts, gets A as a ready contact.
printf 'request\tPMHOSTA\n' >&4
sleep 1
printf 'contacts\n' >&3
wait_for A '^contact	1	bob	PMHOSTB	1	1$' >/dev/null
printf 'contacts\n' >&4
wait_for B '^contact	1	PMHOSTA	PMHOSTA	1	1$' >/dev/null
echo "ok: presence marked on both sides"

# Delivery time: click on A to message shown on B, 50 messages.
before="$(count_lines B '^shown')"
: >"$work/sent.times"
for i in $(seq 1 50); do
    printf 'send\tpmhostb\ttimed %d\n' "$i" >&3
    wait_for B "^shown	[0-9]+	PMHOSTA	pmhostb	timed $i	\$" >/dev/null
    sleep 0.0$((RANDOM % 10))
done
grep -E '^sent' "$work/A.out" | tail -n 50 | cut -f2 >"$work/sent.times"
grep -E '^shown	[0-9]+	PMHOSTA	pmhostb	timed ' "$work/B.out" | cut -f2 >"$work/shown.times"
[ "$(count_lines B '^shown')" -eq $((before + 50)) ] || fail "B did not show exactly the 50 timed messages"
paste "$work/sent.times" "$work/shown.times" |
    awk '{ print ($2 - $1) / 1000.0 }' | sort -n |
    awk '{ d[NR] = $1 } END { printf "delivery click-to-shown over %d messages: median %.1f ms, min %.1f ms, max %.1f ms\n", NR, (d[25] + d[26]) / 2, d[1], d[NR] }'

# Orderly shutdown on both sides: the history is rewritten whole.
printf 'quit\n' >&3
printf 'quit\n' >&4
wait_for A '^bye$' >/dev/null
wait_for B '^bye$' >/dev/null
[ "$(grep -c '"PMHOSTA"' "$work/B/Histo.dat")" -eq 52 ] || fail "B's Histo.dat should hold 52 entries"
if grep -E '^dialog' "$work/A.out" "$work/B.out"; then fail "unexpected message boxes"; fi
# Each of A's 51 sends confirmed by the flash window.
[ "$(count_lines A '^window	frmSearchComputer$')" -eq 51 ] || fail "A should have shown 51 flash messages"
echo "PASS"
