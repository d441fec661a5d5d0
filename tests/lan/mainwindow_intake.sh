#!/usr/bin/env bash
# The intake keeps up with the network and loses nothing it accepted (another host floods A):
#   - 2000 messages at 200 a second: all in A's Histo.dat within 2 s after the last was sent;
#   - 2000 more and SIGTERM right after the last: all 4000 in Histo.dat after the shutdown;
#   - a burst of 5000 sent while A is stopped is held by the socket buffer: all stored, none lost;
#   - an overflow of 80000 while A is stopped (about twice what the router's queue for a program
#     and the sockets hold): the datagrams lost are counted, each once (never more than were sent
#     with those stored), and told in the count line;
#   - 300 identification answers at once, one message right behind them: shown within 200 ms.
# Needs root; skipped (exit 77) otherwise. Everything runs inside namespaces this script creates.
set -euo pipefail

build="${1:?usage: $0 BUILD-DIRECTORY}"
source "$(dirname "$0")/lan_kit.sh"
need_root
need_tools ip unshare ss
need_files /usr/bin/python3 "$build/pelimo" "$build/tests/mainwindow/pelimo-lan-peer"
source "$(dirname "$0")/intake_hosts.sh"

start_program
last="$(flood 2000 200 '1burst {n}' | awk '/^last/ { print $2 }')"
deadline=$((last + 2000000))
while [ "$(stored_count 'burst ')" -lt 2000 ] && [ "$(now_us)" -lt "$deadline" ]; do sleep 0.02; done
stored="$(stored_count 'burst ')"
[ "$stored" -eq 2000 ] || fail "$stored of 2000 stored 2 s after the last was sent"
echo "ok: 2000 at 200/s stored $((($(now_us) - last) / 1000)) ms after the last was sent"

flood 2000 200 '1second {n}' >/dev/null
stop_a
stored="$(stored_count 'second ')"
[ "$stored" -eq 2000 ] || fail "SIGTERM right after the last: $stored of 2000 stored"
[ "$(grep -a -c -E '^"(burst|second) [0-9]+"' "$work/A/Histo.dat")" -eq 4000 ] ||
    fail "Histo.dat should hold 4000 messages"
[ "$(grep -a -E '^"(burst|second) [0-9]+"' "$work/A/Histo.dat" | sort -u | wc -l)" -eq 4000 ] ||
    fail "Histo.dat holds duplicates"
echo "ok: SIGTERM right after the last: all 4000 in Histo.dat"

start_peer
kill -STOP "$apid"
flood 5000 0 '1held {n}' >/dev/null
kill -CONT "$apid"
wait_for A '^shown	[0-9]+	PMFLOOD	PMHOSTA	held 5000	' 20 >/dev/null
printf 'stats\n' >&3
IFS=$'\t' read -r _ tick lost buffer _ < <(wait_for A '^stats	')
[ "$(count_lines A '^shown	[0-9]+	PMFLOOD	PMHOSTA	held ')" -eq 5000 ] ||
    fail "not every datagram of the burst was stored"
[ "$lost" -eq 0 ] || fail "$lost datagrams counted lost"
echo "ok: a burst of 5000 held while A was stopped (receive buffer $buffer bytes)"

# An overflow while A is stopped: what the buffer could not hold is counted and told.
kill -STOP "$apid"
flood 80000 0 '1over {n}' >/dev/null
kill -CONT "$apid"
# Stored once the count stops growing.
stored=-1
for _ in $(seq 100); do
    now="$(count_lines A '^shown	[0-9]+	PMFLOOD	PMHOSTA	over ')"
    [ "$now" -eq "$stored" ] && break
    stored="$now"
    sleep 0.3
done
printf 'stats\n' >&3
sleep 0.3
IFS=$'\t' read -r _ tick lost buffer line < <(grep '^stats	' "$work/A.out" | tail -n1)
[ "$lost" -gt 0 ] || fail "an overflow of 80000 counted nothing lost ($stored stored)"
# The bridge may drop some before they reach the host's socket: those the host never took.
[ $((stored + lost)) -le 80000 ] || fail "80000 sent: $stored stored and $lost counted lost"
[[ "$line" == *" - $lost "* ]] || fail "the count line does not tell of $lost lost: $line"
echo "ok: an overflow of 80000: $stored stored, $lost counted lost and told in the count line"

out="$(flood 300 0 '4Pelimo : Identification Answer' 'PMPEER{n}' '1behind the answers')"
last="$(awk '/^last/ { print $2 }' <<<"$out")"
shown="$(wait_for A '^shown	[0-9]+	PMFLOOD	PMHOSTA	behind the answers	' | cut -f2)"
delay=$(((shown - last) / 1000))
[ "$delay" -le 200 ] || fail "the message behind 300 answers was shown after $delay ms"
echo "ok: the message behind 300 answers shown after $delay ms"
printf 'quit\n' >&3
wait_for A '^bye$' >/dev/null
echo "PASS"
