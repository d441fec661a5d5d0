# Sourced by the intake test and its benchmark: two hosts on a bridge, each in its own network
# namespace tagged with the caller's $$. A (10.77.6.1, PMHOSTA) runs the program; B (10.77.6.2)
# floods it with datagrams encoded by nbds_flood.py. Needs root; the caller checks.
# Expects: $build (the build folder). Defines: $work, start_program, start_peer, stop_a, flood,
# stored_count, wait_for, fail; cleans up on exit.

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
tag="pmi$$"
nsA="${tag}a" nsB="${tag}b" nsBridge="${tag}br"
ipA=10.77.6.1 ipB=10.77.6.2
work="$(mktemp -d /tmp/pm-intake.XXXXXX)"
apid=""

cleanup() {
    [ -n "$apid" ] && { kill -CONT "$apid" 2>/dev/null; kill -KILL "$apid" 2>/dev/null; wait "$apid" 2>/dev/null; } || true
    for ns in "$nsA" "$nsB" "$nsBridge"; do ip netns del "$ns" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    { echo "FAIL: $*"; tail -n 20 "$work/A.out" "$work/A.err" 2>/dev/null || true; } >&2
    exit 1
}

for ns in "$nsA" "$nsB" "$nsBridge"; do
    ip netns add "$ns"
    ip -n "$ns" link set lo up
    ip netns exec "$ns" sysctl -qw net.ipv6.conf.all.disable_ipv6=1
    ip netns exec "$ns" sysctl -qw net.ipv6.conf.default.disable_ipv6=1
done
ip -n "$nsBridge" link add br0 type bridge
ip -n "$nsBridge" link set br0 up
for side in A B; do
    ns="$nsA" ip="$ipA"
    [ "$side" = B ] && { ns="$nsB"; ip="$ipB"; }
    ip link add "${tag}$side" type veth peer name "port$side" netns "$nsBridge"
    ip link set "${tag}$side" netns "$ns"
    ip -n "$ns" link set "${tag}$side" name eth0
    ip -n "$ns" addr add "$ip/24" broadcast 10.77.6.255 dev eth0
    ip -n "$ns" link set eth0 up
    ip -n "$nsBridge" link set "port$side" master br0
    ip -n "$nsBridge" link set "port$side" up
done

# A's program folder, fresh: $1 is the program to copy in.
prepare_a() {
    rm -rf "$work/A" && mkdir -p "$work/A"
    cp "$1" "$work/A/pelimo"
    cp "$build/pelimo-router" "$work/A/"
    cp "$build/orglng.lng" "$work/A/" 2>/dev/null || true
    printf '[Setting]\r\nOpenWindows=0\r\nPlaySound=0\r\nMinimizedWindows=0\r\n' >"$work/A/Settings.ini"
}

# The real program on A, waited for until it routes datagrams.
start_program() {
    prepare_a "$build/pelimo"
    ip netns exec "$nsA" unshare --uts sh -c \
        "hostname pmhosta; exec env QT_QPA_PLATFORM=offscreen '$work/A/pelimo' >'$work/A.out' 2>'$work/A.err'" &
    apid=$!
    for _ in $(seq 200); do
        ip netns exec "$nsA" ss -Hlun 'sport = :138' | grep -q . && return 0
        sleep 0.05
    done
    fail "the program on A never bound the datagram port"
}

# The program driven from standard input (tests/mainwindow/lan_peer.cpp) on A; fd 3 writes to it.
start_peer() {
    prepare_a "$build/tests/mainwindow/pelimo-lan-peer"
    rm -f "$work/A.in" && mkfifo "$work/A.in"
    ip netns exec "$nsA" unshare --uts sh -c \
        "hostname pmhosta; exec env QT_QPA_PLATFORM=offscreen '$work/A/pelimo' <'$work/A.in' >'$work/A.out' 2>'$work/A.err'" &
    apid=$!
    exec 3>"$work/A.in"
    wait_for '^ready	PMHOSTA$' >/dev/null
}

# Ends A by SIGTERM and waits for it; fails unless it exits 0.
stop_a() {
    kill -TERM "$apid"
    local status=0
    wait "$apid" || status=$?
    apid=""
    [ "$status" -eq 0 ] || fail "A exited with status $status"
}

# Runs nbds_flood.py on B towards A: COUNT RATE PAYLOAD [SENDER] [TAIL]; prints its output.
flood() {
    ip netns exec "$nsB" /usr/bin/python3 "$here/nbds_flood.py" "$ipB" "$ipA" PMHOSTA "$@"
}

# Entries of A's Histo.dat whose text starts with $1.
stored_count() {
    grep -c -a "^\"$1" "$work/A/Histo.dat" 2>/dev/null || true
}

# Waits until A's output has a line matching the pattern; prints that line.
wait_for() {  # pattern [seconds]
    local pattern="$1" seconds="${2:-10}" line
    local deadline=$((SECONDS + seconds))
    while [ "$SECONDS" -le "$deadline" ]; do
        line="$(grep -E -m1 -- "$pattern" "$work/A.out" 2>/dev/null || true)"
        [ -n "$line" ] && { printf '%s\n' "$line"; return 0; }
        sleep 0.02
    done
    fail "A never printed /$pattern/"
}

now_us() { echo $(($(date +%s%N) / 1000)); }
