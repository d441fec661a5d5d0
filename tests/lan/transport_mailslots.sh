#!/usr/bin/env bash
# Two hosts in network namespaces joined by a bridge (in a third namespace, so nothing touches the
# machine's own network), each with its own host name. Host A sends with pelimo-send to host B by
# computer name, to the workgroup and to "*", then asks B for identification; B's receiver reads
# every datagram from its local mailslot and answers. tshark, capturing inside A, must decode the
# datagrams as NBDS type 16/17 mailslot writes to \MAILSLOT\pelimo with the right data.
# Needs root; exits 77 (skipped) otherwise.
set -euo pipefail
build="${1:?usage: $0 BUILD-DIRECTORY}"
source "$(dirname "$0")/lan_kit.sh"
need_root
need_tools ip unshare tshark hostname
sender="$build/pelimo-send"
reader="$build/tests/transport/transport_lan_reader"
need_files "$sender" "$reader"

# The network: A (10.99.0.1) and B (10.99.0.2) on one bridge.
lan_begin pt
lan_hosts 10.99.0 A B

# Each host its own name, and its own Samba configuration when the machine has one to replace.
WORKGROUP=WORKGROUP
printf '[global]\n\tworkgroup = PTGROUP\n' >"$work/smb.conf"
binds=()
if [ -f /etc/samba/smb.conf ]; then
    WORKGROUP=PTGROUP
    binds=(--bind "$work/smb.conf" /etc/samba/smb.conf)
fi

ip netns exec "$nsA" tshark -i eth0 -f "udp port 137 or udp port 138" -w "$work/a.pcap" \
    >"$work/tshark.log" 2>&1 &
capture=$!
pids+=("$capture")
wait_for "$work/tshark.log" "Capturing on" 15 >/dev/null

start_on_host "${binds[@]}" B hostb "$reader" --count 4 --timeout 30 --answer >"$work/B.out" 2>"$work/B.log"
receiver=$started
wait_for B "^ready" 15 >/dev/null

on_host "${binds[@]}" A hosta "$sender" hostb direct message || fail "pelimo-send to the computer"
on_host "${binds[@]}" A hosta "$sender" "$WORKGROUP" group message || fail "pelimo-send to the workgroup"
on_host "${binds[@]}" A hosta "$sender" '*' star message || fail "pelimo-send to *"
on_host "${binds[@]}" A hosta "$reader" --request hostb --timeout 20 >"$work/A.out" 2>"$work/A.log" ||
    fail "no identification answer"
wait "$receiver" || fail "host B did not read four messages"
sleep 1  # the capture takes the last answer in
kill -INT "$capture"
wait "$capture" 2>/dev/null || true

expect_line() {  # expect_line FILE LINE
    grep -qxF "$2" "$1" || fail "missing in $1: $2"
}
expect_line "$work/B.out" "HOSTA|hostb|1direct message"
expect_line "$work/B.out" "HOSTA|$WORKGROUP|1group message"
expect_line "$work/B.out" "HOSTA|*|1star message"
expect_line "$work/B.out" "HOSTA|hostb|3Pelimo : Identification Request"
expect_line "$work/A.out" "HOSTB|HOSTA|4Pelimo : Identification Answer"

# The independent decoder's view of the datagrams.
tshark -r "$work/a.pcap" -Y nbdgm -T fields -E separator='|' -e nbdgm.type -e nbdgm.source_name \
    -e nbdgm.destination_name -e smb.trans_name -e data.data > "$work/fields.out" 2>/dev/null
tshark -r "$work/a.pcap" -Y nbns -T fields -E separator='|' -e nbns.flags.response -e nbns.name \
    -e nbns.addr > "$work/names.out" 2>/dev/null
echo "tshark NBDS fields (type|source|destination|mailslot|data):"; cat "$work/fields.out"
echo "tshark NBNS fields (response|name|address):"; cat "$work/names.out"
hex() { printf '%s' "$1" | od -An -v -tx1 | tr -d ' \n' | sed 's/3c4e55303e/00/g'; }
expect_datagram() {  # expect_datagram TYPE SOURCE DESTINATION FIELD1 FIELD2 FIELD3
    data="$(hex "$4<NU0>$5<NU0>$6<NU0>")"
    expect_line "$work/fields.out" "$1|$2<00>|$3<00>|\\MAILSLOT\\pelimo|$data"
}
expect_datagram 16 HOSTA HOSTB HOSTA hostb "1direct message"
expect_datagram 17 HOSTA "$WORKGROUP" HOSTA "$WORKGROUP" "1group message"
expect_datagram 17 HOSTA "$WORKGROUP" HOSTA '*' "1star message"
expect_datagram 16 HOSTA HOSTB HOSTA hostb "3Pelimo : Identification Request"
expect_datagram 16 HOSTB HOSTA HOSTB HOSTA "4Pelimo : Identification Answer"
grep -q "^1|HOSTB<00>.*|10.99.0.2$" "$work/names.out" || fail "no name query answer from B"
echo "PASS"
