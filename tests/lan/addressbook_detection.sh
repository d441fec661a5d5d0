#!/usr/bin/env bash
# Presence detection from the address book on a LAN of four hosts (network namespaces on a
# bridge, each with its own hostname):
#   B runs Samba's nmbd and smbd (private configuration, SMB1 allowed, one share) and becomes
#     the master browser of workgroup PMWG;
#   C runs Samba's WS-Discovery announcer (wsdd) and Pelimo;
#   D runs nothing;
#   A runs Pelimo and detects.
# Expected: the found list holds PMWG, B (browse list) and C (WS-Discovery), never A; B and C are
# added with PMWG as their group; C's Pelimo answers, so C is connected and ready, B connected
# only; A's User.dat holds them once the window has closed. Then, with nmbd and wsdd stopped,
# a second detection shows message 71 and leaves the flags as they were.
# Prints the detection time and the longest time A's window thread was blocked.
# Needs root; skipped (exit 77) otherwise. Everything runs inside namespaces this script creates.
#
# HOSTS=N WSDD_HOSTS=M (run by hand): N hosts instead of four, wsdd on M of them, for the figures.
set -euo pipefail

build="${1:?usage: $0 BUILD-DIRECTORY}"
skip() { echo "SKIP: $*"; exit 77; }
[ "$(id -u)" -eq 0 ] || skip "needs root to create network namespaces"
for tool in ip unshare nmbd smbd nmblookup smbtree wsdd; do
    command -v "$tool" >/dev/null || skip "$tool is missing"
done
peer="$build/tests/mainwindow/pelimo-lan-peer"
[ -x "$peer" ] || skip "pelimo-lan-peer is not built"

hosts="${HOSTS:-4}"
wsdd_hosts="${WSDD_HOSTS:-1}"
tag="pb$$"
work="$(mktemp -d /tmp/pm-book.XXXXXX)"
chmod 755 "$work"
pids=()
declare -A daemon

cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    # Whatever the daemons forked lives in the namespaces this script made.
    for n in $(seq 1 "$hosts"); do
        kill $(ip netns pids "${tag}$n" 2>/dev/null) 2>/dev/null || true
    done
    for n in $(seq 1 "$hosts") br; do ip netns del "${tag}$n" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    {
        echo "FAIL: $*"
        for f in "$work"/*.out "$work"/*.err "$work"/*.log; do
            [ -f "$f" ] && { echo "--- $f"; tail -n 40 "$f"; }
        done
    } >&2
    exit 1
}

# Host n: namespace ${tag}n, address 10.77.6.n, name PMHOST<letter> for the first four.
name_of() { local n="$1"; case "$n" in 1) echo PMHOSTA;; 2) echo PMHOSTB;; 3) echo PMHOSTC;; 4) echo PMHOSTD;; *) echo "PMHOST$n";; esac; }
ip netns add "${tag}br"
ip -n "${tag}br" link add br0 type bridge
ip -n "${tag}br" link set br0 up
for n in $(seq 1 "$hosts"); do
    ns="${tag}$n"
    ip netns add "$ns"
    ip -n "$ns" link set lo up
    ip netns exec "$ns" sysctl -qw net.ipv6.conf.all.disable_ipv6=1
    ip link add "${tag}v$n" type veth peer name "p$n" netns "${tag}br"
    ip link set "${tag}v$n" netns "$ns"
    ip -n "$ns" link set "${tag}v$n" name eth0
    ip -n "$ns" addr add "10.77.6.$n/24" broadcast 10.77.6.255 dev eth0
    ip -n "$ns" link set eth0 up
    ip -n "${tag}br" link set "p$n" master br0
    ip -n "${tag}br" link set "p$n" up
    mkdir -p "$work/h$n/home/.smb" "$work/h$n/var"
    # The client side of libsmbclient and of the Samba tools: private HOME, cache and locks.
    cat >"$work/h$n/home/.smb/smb.conf" <<CONF
[global]
    workgroup = PMWG
    netbios name = $(name_of "$n")
    interfaces = 10.77.6.$n/24
    name resolve order = bcast
    lock directory = $work/h$n/var
    state directory = $work/h$n/var
    cache directory = $work/h$n/var
    private dir = $work/h$n/var
    ncalrpc dir = $work/h$n/var/ncalrpc
    pid directory = $work/h$n/var
    client min protocol = NT1
CONF
done

# host_prefix n: sets `on_host` to the command prefix that runs in host n's namespace with its
# hostname and private HOME. Each step execs the next, so a command started in the background
# with it has $! as its own PID and can be stopped by it.
host_prefix() {
    on_host=(ip netns exec "${tag}$1" unshare --uts sh -c 'hostname "$0"; exec "$@"' "$(name_of "$1")"
        env HOME="$work/h$1/home" USER=guest LOGNAME=guest)
}
in_host() {  # n command...
    local n="$1"; shift
    host_prefix "$n"
    "${on_host[@]}" "$@"
}

# B: nmbd and smbd as master browser of PMWG, one guest share.
mkdir -p "$work/h2/share"
conf_b="$work/h2/smb.conf"
sed -e 's/^\[global\]$/[global]/' "$work/h2/home/.smb/smb.conf" >"$conf_b"
cat >>"$conf_b" <<CONF
    bind interfaces only = yes
    server role = standalone server
    server min protocol = NT1
    local master = yes
    preferred master = yes
    os level = 65
    map to guest = Bad User
    log file = $work/h2/var/log.%m
    disable spoolss = yes
    load printers = no
[pub]
    path = $work/h2/share
    guest ok = yes
    read only = yes
CONF
start_daemon() {  # key n command...
    local key="$1" n="$2"; shift 2
    host_prefix "$n"
    "${on_host[@]}" "$@" >"$work/$key.log" 2>&1 &
    pids+=("$!")
    daemon[$key]=$!
}
start_daemon nmbd 2 nmbd --foreground --debug-stdout -s "$conf_b"
start_daemon smbd 2 smbd --foreground --debug-stdout -s "$conf_b"

# wsdd on C (and on more hosts for the figures).
for i in $(seq 1 "$wsdd_hosts"); do
    n=$((i + 2))
    [ "$n" -le "$hosts" ] || break
    start_daemon "wsdd$n" "$n" wsdd -4 -i eth0 -n "$(name_of "$n")" -w PMWG
done

# Pelimo on A and C.
start_peer() {  # n
    local n="$1"
    mkdir -p "$work/h$n/app"
    cp "$peer" "$work/h$n/app/pelimo"
    cp "$build/orglng.lng" "$work/h$n/app/"
    printf '[Setting]\r\nOpenWindows=0\r\nPlaySound=0\r\nMinimizedWindows=0\r\nIdentificationSendDelay=0.150\r\n' \
        >"$work/h$n/app/Settings.ini"
    mkfifo "$work/h$n.in"
    host_prefix "$n"
    "${on_host[@]}" env QT_QPA_PLATFORM=offscreen "$work/h$n/app/pelimo" \
        <"$work/h$n.in" >"$work/h$n.out" 2>"$work/h$n.err" &
    pids+=("$!")
}
wait_for() {  # n pattern [seconds]
    local n="$1" pattern="$2" seconds="${3:-20}"
    local deadline=$((SECONDS + seconds))
    while [ "$SECONDS" -le "$deadline" ]; do
        grep -E -m1 -- "$pattern" "$work/h$n.out" 2>/dev/null && return 0
        sleep 0.1
    done
    fail "host $n never printed /$pattern/"
}
start_peer 1
exec 3>"$work/h1.in"
start_peer 3
exec 4>"$work/h3.in"
wait_for 1 '^ready	PMHOSTA$' >/dev/null
wait_for 3 '^ready	PMHOSTC$' >/dev/null

# B wins the election and its browse list holds it (bounded polls).
deadline=$((SECONDS + 120))
until in_host 2 nmblookup -s "$conf_b" -M PMWG 2>/dev/null | grep -q '^10\.77\.6\.2 '; do
    [ "$SECONDS" -le "$deadline" ] || fail "nmbd did not become master browser of PMWG"
    sleep 1
done
echo "ok: PMHOSTB is master browser of PMWG"

# detect: one detection on A; sets `line` (its "detected" report) and `found` (its found list).
runs=0
detect() {
    runs=$((runs + 1))
    printf 'detect\n' >&3
    local deadline=$((SECONDS + 60))
    until [ "$(grep -c '^detected	' "$work/h1.out" || true)" -ge "$runs" ]; do
        [ "$SECONDS" -le "$deadline" ] || fail "a detection did not end"
        sleep 0.1
    done
    line="$(grep -E '^detected	' "$work/h1.out" | tail -n 1)"
    found="$(awk -v n="$runs" '/^detected\t/ { d++; next } d == n - 1 && /^found\t/' "$work/h1.out" | cut -f2,3)"
}

# The master browser lists B once it has heard B's announcement: detect until B is in the list
# (bounded).
deadline=$((SECONDS + 150))
while :; do
    detect
    echo "$found" | grep -q '^PMHOSTB	' && break
    [ "$SECONDS" -le "$deadline" ] || fail "B never appeared in the browse list"
    sleep 2
done
echo "detection ms and longest block ms: $(echo "$line" | cut -f2,3) (run $runs)"

# Figures: ROUNDS rounds of smbtree on A over the same LAN (the baseline; its -N option crashes
# in Samba 4.17's smbtree, an empty guest login walks the same lists) and a detection.
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
: >"$work/smbtree.ms"
: >"$work/detect.ms"
: >"$work/block.ms"
for _ in $(seq "${ROUNDS:-1}"); do
    started=$(date +%s%N)
    in_host 1 smbtree -U "guest%" -s "$work/h1/home/.smb/smb.conf" >"$work/smbtree.log" 2>&1 ||
        fail "smbtree failed"
    echo $((($(date +%s%N) - started) / 1000000)) >>"$work/smbtree.ms"
    grep -q 'PMHOSTB' "$work/smbtree.log" || fail "smbtree did not list B"
    detect
    echo "$line" | cut -f2 >>"$work/detect.ms"
    echo "$line" | cut -f3 >>"$work/block.ms"
done
contacts="$(awk -v n="$runs" '/^detected\t/ { d++; next } d == n - 1 && /^found\t/' "$work/h1.out" | wc -l)"
tree_ms="$(median <"$work/smbtree.ms")"
detect_ms="$(median <"$work/detect.ms")"
echo "figures (median of ${ROUNDS:-1}, $hosts hosts, wsdd on $wsdd_hosts): smbtree $tree_ms ms," \
    "detection $detect_ms ms, longest block $(sort -n "$work/block.ms" | tail -n 1) ms;" \
    "aim $tree_ms x 1.2 + $contacts contacts x 150 = $(((tree_ms * 12 / 10) + contacts * 150)) ms"

echo "$found" | grep -qx 'PMWG	SMB Network' || fail "the workgroup was not found"
echo "$found" | grep -qx 'PMHOSTB	PMWG' || fail "B was not found under PMWG"
echo "$found" | grep -qx 'PMHOSTC	PMWG' || fail "C was not found under PMWG"
echo "$found" | grep -qi '^PMHOSTA' && fail "A found itself"
[ "$(echo "$found" | grep -c -i '^PMHOSTC')" -eq 1 ] || fail "C listed more than once"
echo "ok: found list $(echo "$found" | tr '\t\n' ': ')"

# The contacts of A's last "book" listing.
last_book() {
    awk '/^end$/ { last = cur; cur = ""; next } /^book\t/ { cur = cur $0 "\n" } END { printf "%s", last }' \
        "$work/h1.out"
}

# C's answer arrives through A's receive timer; the flags read after it.
deadline=$((SECONDS + 10))
while :; do
    before=$(grep -c '^end$' "$work/h1.out" || true)
    printf 'book\n' >&3
    until [ "$(grep -c '^end$' "$work/h1.out" || true)" -gt "$before" ]; do sleep 0.05; done
    book="$(last_book)"
    echo "$book" | grep -q '	PMHOSTC	PMWG	1	1$' && break
    [ "$SECONDS" -le "$deadline" ] || fail "C never became ready: $book"
    sleep 0.2
done
echo "$book" | grep -q '	PMHOSTB	PMHOSTB	PMWG	1	0$' || fail "B should be connected only: $book"
echo "$book" | grep -q '	PMWG	PMWG	SMB Network	1	0$' || fail "the workgroup contact: $book"
grep -q 'UserComputerName[0-9]*=PMHOSTC' "$work/h1/app/User.dat" || fail "User.dat lacks C"
grep -q 'UserGroupName[0-9]*=PMWG' "$work/h1/app/User.dat" || fail "User.dat lacks the group"
echo "ok: B connected, C connected and ready, User.dat written"

# Nothing announces itself any more: the daemons are stopped by their PIDs, and smbd's
# connection children with them, so that no open connection still serves a browse list. (smbd
# and nmbd run in process groups of their own: on shutdown smbd signals its whole group.)
for key in nmbd smbd $(printf 'wsdd%s ' $(seq 3 "$hosts")); do
    pid="${daemon[$key]:-}"
    [ -n "$pid" ] || continue
    children="$(ps -o pid= --ppid "$pid" || true)"
    kill "$pid" $children 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
done
dialogs_before=$(grep -c '^dialog	' "$work/h1.out" || true)
detect
[ -z "$found" ] || fail "found on an empty network: $found"
printf 'ping\n' >&3
wait_for 1 '^pong$' >/dev/null
sleep 0.3  # the dialog line is printed on the receive timer's next tick
grep -E '^dialog	' "$work/h1.out" | tail -n +$((dialogs_before + 1)) | grep -q 'No computer was found' ||
    fail "message 71 was not shown"
before=$(grep -c '^end$' "$work/h1.out" || true)
printf 'book\n' >&3
until [ "$(grep -c '^end$' "$work/h1.out" || true)" -gt "$before" ]; do sleep 0.05; done
book="$(last_book)"
echo "$book" | grep -q '	PMHOSTC	PMWG	1	1$' && echo "$book" | grep -q '	PMHOSTB	PMWG	1	0$' ||
    fail "the flags changed after an empty detection: $book"
echo "ok: an empty network shows message 71 and keeps the flags"

printf 'quit\n' >&3
printf 'quit\n' >&4
wait_for 1 '^bye$' >/dev/null
echo "PASS"
