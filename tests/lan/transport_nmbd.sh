#!/usr/bin/env bash
# Receiving on a host where Samba's nmbd holds the NetBIOS ports. Host B runs the real nmbd (its
# own smb.conf, socket, lock, state, cache and pid folders) and the program; host A sends with
# pelimo-send and with an independent encoder; host C has two interfaces on the same network.
#   - B reads nmbd's unexpected-packet socket: messages to B, to the workgroup and to "*" are shown
#     and stored once each (nmbd passes a group datagram on twice);
#   - a datagram of 560 bytes arrives, one of 600 bytes does not (nmbd drops it), and A's size line
#     warned of it;
#   - nmbd restarted in the middle: the next message still arrives;
#   - nmblookup -A from A still gets B's names while the program runs: Samba is unharmed;
#   - a "*" message from C, written on both of its interfaces, is shown once on C and once on B.
# Prints the figures: messages sent, shown on B, duplicates dropped on B and C.
# Needs root; skipped (exit 77) otherwise. Everything runs inside namespaces this script creates.
set -euo pipefail

build="${1:?usage: $0 BUILD-DIRECTORY}"
source "$(dirname "$0")/lan_kit.sh"
need_root
need_tools ip unshare nmbd nmblookup
[ -f /etc/samba/smb.conf ] || skip "no /etc/samba/smb.conf to replace with each host's own"
peer="$build/tests/mainwindow/pelimo-lan-peer"
sender="$build/pelimo-send"
python=/usr/bin/python3
need_files "$peer" "$sender" "$python"

# The network: one bridge; A and B with one interface, C with two.
lan_begin pn
lan_hosts 10.77.6 A B C
ipC2=10.77.6.4
lan_link C eth1 "$ipC2"
nmbd_pid=""

# Each host's program folder and Samba configuration; B's also runs nmbd in private folders.
samba="$work/samba"
mkdir -p "$samba"/{lock,state,cache,pid,private,nmbd,log}
for side in A B C; do
    app_folder "$work/$side" "$peer"
    printf '[global]\n\tnetbios name = PMHOST%s\n\tworkgroup = PMGROUP\n' "$side" >"$work/$side.conf"
done
cp "$sender" "$work/A/pelimo-send"
cat >>"$work/B.conf" <<EOF
	lock directory = $samba/lock
	state directory = $samba/state
	cache directory = $samba/cache
	pid directory = $samba/pid
	private dir = $samba/private
	ncalrpc dir = $samba/lock/ncalrpc
	nmbd:socket dir = $samba/nmbd
	log file = $samba/log/log.%m
	local master = no
	domain master = no
	preferred master = no
EOF

on_side() {  # side command...: runs with the side's host name and smb.conf
    on_host --bind "$work/$1.conf" /etc/samba/smb.conf "$1" "pmhost${1,,}" "${@:2}"
}

start_nmbd() {
    rm -f "$samba/nmbd/unexpected"
    ip netns exec "$nsB" nmbd --foreground --no-process-group --debug-stdout -d 1 \
        -s "$work/B.conf" >>"$work/nmbd.log" 2>&1 &
    nmbd_pid=$!
    pids+=("$nmbd_pid")
    for _ in $(seq 100); do [ -S "$samba/nmbd/unexpected" ] && return 0; sleep 0.1; done
    fail "nmbd did not open its unexpected-packet socket"
}

start_peer() {  # side
    start_on_host --bind "$work/$1.conf" /etc/samba/smb.conf --io "$1" "$1" "pmhost${1,,}" \
        env QT_QPA_PLATFORM=offscreen "$work/$1/pelimo"
}

# Asks a side for its intake figures until they match the pattern.
intake_until() {  # side fd pattern [seconds]
    local side="$1" fd="$2" pattern="$3" seconds="${4:-20}"
    local deadline=$((SECONDS + seconds))
    while [ "$SECONDS" -le "$deadline" ]; do
        printf 'intake\n' >&"$fd"
        sleep 0.2
        if grep -E '^intake' "$work/$side.out" | tail -n 1 | grep -q -E -- "$pattern"; then
            return 0
        fi
    done
    fail "$side's intake never matched /$pattern/"
}

sent=0
send_from_a() {  # target text
    on_side A "$work/A/pelimo-send" "$1" "$2" || fail "pelimo-send $1 failed"
    sent=$((sent + 1))
}

# An independent encoder: a plain three-field mailslot write of exactly `size` bytes to B.
encode_to_b() {  # size text
    ip netns exec "$nsA" "$python" -B - "$ipA" "$ipB" "$1" "$2" "$lan_here" <<'PY'
import socket, sys

sys.path.insert(0, sys.argv[5])
from nbds_flood import datagram

source, target, size, text = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]

def packet(data):
    return datagram(source, "WINBOX", "PMHOSTB", "pelimo", data)

data = b"WINBOX\0PMHOSTB\0" + b"1" + text.encode() + b"\0"
filler = size - len(packet(data))
data = b"WINBOX\0PMHOSTB\0" + b"1" + text.encode() + b"." * filler + b"\0"
assert len(packet(data)) == size
sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
sock.bind((source, 0))
sock.sendto(packet(data), (target, 138))
PY
    sent=$((sent + 1))
}

start_nmbd
start_peer B
exec 4>"$work/B.in"
wait_for B '^ready	PMHOSTB$' >/dev/null
intake_until B 4 '^intake	1	1	' 10
echo "ok: B reads nmbd's unexpected-packet socket"
start_peer A
exec 3>"$work/A.in"
wait_for A '^ready	PMHOSTA$' >/dev/null
start_peer C
exec 5>"$work/C.in"
wait_for C '^ready	PMHOSTC$' >/dev/null

# Samba keeps working beside the program.
ip netns exec "$nsA" nmblookup -s "$work/A.conf" -A "$ipB" >"$work/nmblookup.txt" 2>&1 || true
grep -q 'PMHOSTB' "$work/nmblookup.txt" || fail "nmblookup -A found no names on B: $(cat "$work/nmblookup.txt")"
echo "ok: nmblookup -A still answered by B's nmbd"

send_from_a pmhostb "to B by name"
wait_for B '^shown	[0-9]+	PMHOSTA	pmhostb	to B by name	' >/dev/null
send_from_a PMGROUP "to the workgroup"
wait_for B '^shown	[0-9]+	PMHOSTA	PMGROUP	to the workgroup	' >/dev/null
send_from_a '*' "to every computer"
wait_for B '^shown	[0-9]+	PMHOSTA	\*	to every computer	' >/dev/null
echo "ok: a message to B, to the workgroup and to * arrived"

# Sizes: 560 bytes pass nmbd, 600 do not; A's size line says so for a message of that size.
printf 'size\tpmhostb\t%s\n' "$(printf 'x%.0s' $(seq 372))" >&3
line="$(wait_for A '^size	.* 560/576 ')"
case "$line" in *" - "*) fail "560 bytes should not be warned of: $line" ;; esac
printf 'size\tpmhostb\t%s\n' "$(printf 'x%.0s' $(seq 412))" >&3
wait_for A '^size	.* 600/576 .* - .*hosts running Samba' >/dev/null
encode_to_b 560 "of 560 bytes"
wait_for B '^shown	[0-9]+	WINBOX	PMHOSTB	of 560 bytes\.*	' >/dev/null
encode_to_b 600 "of 600 bytes"
send_from_a pmhostb "after the long one"
wait_for B '^shown	[0-9]+	PMHOSTA	pmhostb	after the long one	' >/dev/null
[ "$(count_lines B 'of 600 bytes')" -eq 0 ] || fail "the 600-byte datagram should not arrive"
echo "ok: 560 bytes arrived, 600 bytes did not, and A's size line warned of it"

# nmbd restarts: the program reconnects and receives the next message.
kill "$nmbd_pid"
wait "$nmbd_pid" 2>/dev/null || true
nmbd_pid=""
intake_until B 4 '^intake	0	0	' 10
start_nmbd
intake_until B 4 '^intake	1	1	' 20
send_from_a pmhostb "after the restart"
wait_for B '^shown	[0-9]+	PMHOSTA	pmhostb	after the restart	' 20 >/dev/null
echo "ok: after nmbd restarted the next message arrived"

# C writes "*" on both its interfaces: one message on C and one on B.
printf 'send\t*\tstar from C\n' >&5
wait_for C '^shown	[0-9]+	PMHOSTC	\*	star from C	' >/dev/null
wait_for B '^shown	[0-9]+	PMHOSTC	\*	star from C	' >/dev/null
sent=$((sent + 1))
send_from_a '*' "marker"
wait_for B '^shown	[0-9]+	PMHOSTA	\*	marker	' >/dev/null
wait_for C '^shown	[0-9]+	PMHOSTA	\*	marker	' >/dev/null
[ "$(count_lines C 'star from C')" -eq 1 ] || fail "C showed its own broadcast more than once"
[ "$(count_lines B 'star from C')" -eq 1 ] || fail "B showed C's broadcast more than once"
echo "ok: C's broadcast on two interfaces shown once on C and once on B"

printf 'intake\n' >&4
printf 'intake\n' >&5
figuresB="$(wait_for B '^intake')"
figuresC="$(wait_for C '^intake')"

printf 'quit\n' >&3
printf 'quit\n' >&4
printf 'quit\n' >&5
for side in A B C; do wait_for "$side" '^bye$' >/dev/null; done
shownB="$(count_lines B '^shown')"
for text in "to B by name" "to the workgroup" "to every computer" "of 560 bytes" \
    "after the long one" "after the restart" "star from C" "marker"; do
    [ "$(grep -c -- "$text" "$work/B/Histo.dat")" -eq 1 ] || fail "B's Histo.dat should hold \"$text\" once"
done
[ "$shownB" -eq 8 ] || fail "B should have shown 8 messages, showed $shownB"
if grep -E '^dialog' "$work/B.out" "$work/C.out"; then fail "unexpected message boxes"; fi
echo "figures: sent $sent messages; B showed and stored $shownB (the 600-byte one dropped by nmbd);" \
    "duplicates dropped on B $(echo "$figuresB" | cut -f6), on C $(echo "$figuresC" | cut -f6)"
echo "PASS"
