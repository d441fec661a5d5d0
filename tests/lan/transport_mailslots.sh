#!/bin/sh
# Two hosts in network namespaces joined by a bridge (in a third namespace, so nothing touches the
# machine's own network), each with its own host name. Host A sends with pelimo-send to host B by
# computer name, to the workgroup and to "*", then asks B for identification; B's receiver reads
# every datagram from its local mailslot and answers. tshark, capturing inside A, must decode the
# datagrams as NBDS type 16/17 mailslot writes to \MAILSLOT\pelimo with the right data.
# Needs root; exits 77 (skipped) otherwise.
set -u
BUILD=${1:?build directory}
SEND="$BUILD/pelimo-send"
READER="$BUILD/tests/transport/transport_lan_reader"

skip() { echo "SKIP: $*"; exit 77; }
[ "$(id -u)" -eq 0 ] || skip "needs root (network namespaces)"
for tool in ip unshare tshark hostname; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
done
[ -x "$SEND" ] && [ -x "$READER" ] || skip "pelimo-send or transport_lan_reader not built"

ID=$(( $$ % 100000 ))
NA="ptA$ID"; NB="ptB$ID"; NS="ptS$ID"
TMP=$(mktemp -d /tmp/pt-lan.XXXXXX)
PIDS=""
cleanup() {
    for pid in $PIDS; do kill "$pid" 2>/dev/null; done
    for pid in $PIDS; do wait "$pid" 2>/dev/null; done
    for ns in "$NA" "$NB" "$NS"; do ip netns del "$ns" 2>/dev/null; done
    rm -rf "$TMP"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP
fail() { echo "FAIL: $*"; for f in "$TMP"/*.log "$TMP"/*.out; do [ -f "$f" ] && { echo "--- $f"; cat "$f"; }; done; exit 1; }

# The network: A (10.99.0.1) and B (10.99.0.2) on one bridge.
ip netns add "$NS" && ip netns add "$NA" && ip netns add "$NB" || skip "cannot create network namespaces"
ip -n "$NS" link add br0 type bridge || fail "bridge"
ip -n "$NS" link set br0 up
for host in A B; do
    eval ns=\$N$host
    ip -n "$NS" link add "s$host" type veth peer name eth0 netns "$ns" || fail "veth $host"
    ip -n "$NS" link set "s$host" master br0 up
    ip -n "$ns" link set lo up
    ip -n "$ns" link set eth0 up
done
ip -n "$NA" addr add 10.99.0.1/24 brd + dev eth0
ip -n "$NB" addr add 10.99.0.2/24 brd + dev eth0

# Each host its own name, and its own Samba configuration when the machine has one to replace.
WORKGROUP=WORKGROUP
printf '[global]\n\tworkgroup = PTGROUP\n' > "$TMP/smb.conf"
[ -f /etc/samba/smb.conf ] && WORKGROUP=PTGROUP
host() {  # host NAMESPACE HOSTNAME COMMAND...
    ns=$1; name=$2; shift 2
    ip netns exec "$ns" unshare --uts --mount sh -c '
        hostname "$1"; shift
        [ -f /etc/samba/smb.conf ] && mount --bind "$0" /etc/samba/smb.conf
        exec "$@"' "$TMP/smb.conf" "$name" "$@"
}
wait_for() {  # wait_for FILE TEXT SECONDS
    i=0
    while ! grep -q "$2" "$1" 2>/dev/null; do
        i=$((i + 1)); [ "$i" -gt $(($3 * 10)) ] && return 1; sleep 0.1
    done
}

ip netns exec "$NA" tshark -i eth0 -f "udp port 137 or udp port 138" -w "$TMP/a.pcap" \
    > "$TMP/tshark.log" 2>&1 &
TSHARK=$!; PIDS="$PIDS $TSHARK"
wait_for "$TMP/tshark.log" "Capturing on" 15 || fail "tshark did not start"

host "$NB" hostb "$READER" --count 4 --timeout 30 --answer > "$TMP/b.out" 2> "$TMP/b.log" &
B=$!; PIDS="$PIDS $B"
wait_for "$TMP/b.out" "^ready" 15 || fail "host B's receiver did not start"

host "$NA" hosta "$SEND" hostb direct message || fail "pelimo-send to the computer"
host "$NA" hosta "$SEND" "$WORKGROUP" group message || fail "pelimo-send to the workgroup"
host "$NA" hosta "$SEND" '*' star message || fail "pelimo-send to *"
host "$NA" hosta "$READER" --request hostb --timeout 20 > "$TMP/a.out" 2> "$TMP/a.log" \
    || fail "no identification answer"
wait "$B" || fail "host B did not read four messages"
PIDS=$TSHARK
sleep 1
kill -INT "$TSHARK"; wait "$TSHARK" 2>/dev/null; PIDS=""

expect_line() {  # expect_line FILE LINE
    grep -qxF "$2" "$1" || fail "missing in $1: $2"
}
expect_line "$TMP/b.out" "HOSTA|hostb|1direct message"
expect_line "$TMP/b.out" "HOSTA|$WORKGROUP|1group message"
expect_line "$TMP/b.out" "HOSTA|*|1star message"
expect_line "$TMP/b.out" "HOSTA|hostb|3Pelimo : Identification Request"
expect_line "$TMP/a.out" "HOSTB|HOSTA|4Pelimo : Identification Answer"

# The independent decoder's view of the datagrams.
tshark -r "$TMP/a.pcap" -Y nbdgm -T fields -E separator='|' -e nbdgm.type -e nbdgm.source_name \
    -e nbdgm.destination_name -e smb.trans_name -e data.data > "$TMP/fields.out" 2>/dev/null
tshark -r "$TMP/a.pcap" -Y nbns -T fields -E separator='|' -e nbns.flags.response -e nbns.name \
    -e nbns.addr > "$TMP/names.out" 2>/dev/null
echo "tshark NBDS fields (type|source|destination|mailslot|data):"; cat "$TMP/fields.out"
echo "tshark NBNS fields (response|name|address):"; cat "$TMP/names.out"
hex() { printf '%s' "$1" | od -An -v -tx1 | tr -d ' \n' | sed 's/3c4e55303e/00/g'; }
expect_datagram() {  # expect_datagram TYPE SOURCE DESTINATION FIELD1 FIELD2 FIELD3
    data="$(hex "$4<NU0>$5<NU0>$6<NU0>")"
    expect_line "$TMP/fields.out" "$1|$2<00>|$3<00>|\\MAILSLOT\\pelimo|$data"
}
expect_datagram 16 HOSTA HOSTB HOSTA hostb "1direct message"
expect_datagram 17 HOSTA "$WORKGROUP" HOSTA "$WORKGROUP" "1group message"
expect_datagram 17 HOSTA "$WORKGROUP" HOSTA '*' "1star message"
expect_datagram 16 HOSTA HOSTB HOSTA hostb "3Pelimo : Identification Request"
expect_datagram 16 HOSTB HOSTA HOSTB HOSTA "4Pelimo : Identification Answer"
grep -q "^1|HOSTB<00>.*|10.99.0.2$" "$TMP/names.out" || fail "no name query answer from B"
echo "PASS"
