#!/usr/bin/env bash
# A hostile host of the LAN against the real program (A 10.77.6.1, hostile B 10.77.6.2, A's
# default route pointing at B and its DNS server off the LAN, at 198.51.100.53):
#   - identification requests from the "computers" 198.51.100.7 and evil.example.com, from
#     PMSPOOF with the IP source 198.51.100.7, and from PMGOOD claiming 198.51.100.7 in its NBDS
#     header: A sends nothing off the LAN subnet and no DNS or mDNS query (tshark inside A), and
#     PMGOOD alone is answered, at the address its request came from;
#   - 6000 identification answers of 60 KB: the resident memory of A's program and router grows
#     by at most 64 MB, and an ordinary message sent afterwards is stored.
# Needs root; skipped (exit 77) otherwise. Everything runs inside namespaces this script creates.
set -euo pipefail

build="${1:?usage: $0 BUILD-DIRECTORY}"
source "$(dirname "$0")/lan_kit.sh"
need_root
need_tools ip unshare ss tshark
need_files /usr/bin/python3 "$build/pelimo"
source "$(dirname "$0")/intake_hosts.sh"
hostile() { ip netns exec "$nsB" /usr/bin/python3 -B "$lan_here/transport_hostile.py" "$@"; }
lan_at_exit rm -rf "/etc/netns/$nsA"

# Whatever leaves A for another network goes to B; a DNS query would go to 198.51.100.53.
ip -n "$nsA" route add default via "$ipB"
mkdir -p "/etc/netns/$nsA"
echo "nameserver 198.51.100.53" >"/etc/netns/$nsA/resolv.conf"

start_program
ip netns exec "$nsA" tshark -i eth0 -w "$work/a.pcap" >"$work/tshark.log" 2>&1 &
tpid=$!
pids+=("$tpid")
wait_for "$work/tshark.log" "Capturing on" 15 >/dev/null
hostile listen "$ipB" 30 >"$work/B.out" &
lpid=$!
pids+=("$lpid")
wait_for B '^ready' 5 >/dev/null

hostile request "$ipB" "$ipA" PMHOSTA 198.51.100.7
hostile request "$ipB" "$ipA" PMHOSTA evil.example.com
hostile request "$ipB" "$ipA" PMHOSTA PMSPOOF spoof 198.51.100.7
hostile request "$ipB" "$ipA" PMHOSTA PMGOOD header 198.51.100.7
for _ in $(seq 100); do grep -q '|PMGOOD|' "$work/B.out" && break; sleep 0.05; done
sleep 1
kill -INT "$tpid"; wait "$tpid" 2>/dev/null || true
kill "$lpid" 2>/dev/null || true; wait "$lpid" 2>/dev/null || true
echo "datagrams B received:"; grep -v '^ready' "$work/B.out" || true
grep -qxF "$ipA|PMHOSTA|PMGOOD|PMHOSTA|PMGOOD|4Pelimo : Identification Answer" "$work/B.out" ||
    fail "PMGOOD's request was not answered at its address"
[ "$(grep -vc '^ready' "$work/B.out")" -eq 1 ] || fail "A answered more than PMGOOD"
offlan="$(tshark -r "$work/a.pcap" -Y "ip.src == $ipA && !(ip.dst == 10.77.6.0/24)" 2>/dev/null)"
lookups="$(tshark -r "$work/a.pcap" -Y "dns || mdns || llmnr" 2>/dev/null)"
[ -z "$offlan" ] || fail "A sent off the LAN subnet: $offlan"
[ -z "$lookups" ] || fail "A looked names up: $lookups"
sent="$(tshark -r "$work/a.pcap" -Y "ip.src == $ipA" 2>/dev/null | wc -l)"
echo "ok: $sent packets from A, none off the LAN subnet, no DNS query; PMGOOD answered at $ipB"

# The memory of the program and of the router it started, which holds the port.
router="$(ip netns exec "$nsA" ss -Hulnp 'sport = :138' | grep -o 'pid=[0-9]*' | head -n1 | cut -d= -f2)"
[ -n "$router" ] || fail "no router holds UDP port 138 on A"
rss() { awk -v key="$1:" '$1 == key { sum += $2 } END { print sum }' "/proc/$apid/status" "/proc/$router/status"; }
cpu() { awk '{ sum += $14 + $15 } END { print sum }' "/proc/$apid/stat" "/proc/$router/stat"; }
before="$(rss VmRSS)"
flood 6000 0 "4{n} $(head -c 60000 /dev/zero | tr '\0' x)" >/dev/null
# Digested once the program and the router have used no processor time for a second.
last=-1
for _ in $(seq 120); do
    now="$(cpu)"
    [ "$now" = "$last" ] && break
    last="$now"
    sleep 1
done
after="$(rss VmRSS)"
peak="$(rss VmHWM)"
echo "figure: resident memory of program and router ${before} kB before 6000 datagrams of 60 KB," \
    "${after} kB after, peaks summed ${peak} kB: grown by $(((after - before) / 1024)) MB" \
    "(peaks $(((peak - before) / 1024)) MB)"
[ $((after - before)) -le $((64 * 1024)) ] || fail "resident memory grew by more than 64 MB"
[ $((peak - before)) -le $((64 * 1024)) ] || fail "resident memory peaked more than 64 MB higher"
flood 1 0 '1after the flood' >/dev/null
for _ in $(seq 100); do [ "$(stored_count 'after the flood')" -eq 1 ] && break; sleep 0.1; done
[ "$(stored_count 'after the flood')" -eq 1 ] || fail "the message after the flood was not stored"
echo "ok: the message sent after the flood was stored"
stop_a
echo "PASS"
