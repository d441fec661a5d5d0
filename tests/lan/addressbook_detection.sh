#!/usr/bin/env bash
# Presence detection from the address book on a LAN of five hosts (network namespaces on a
# bridge, each with its own hostname):
#   A runs Pelimo as a plain machine does: the machine's own /etc/samba/smb.conf (as Debian
#     installs it: workgroup WORKGROUP, no netbios name), no per-user client configuration; its
#     default route points at E, so that anything sent off the LAN would show on its wire;
#   B runs Samba's nmbd and smbd (private configuration, SMB1 allowed for the browse lists) and
#     becomes the master browser of WORKGROUP;
#   C runs Samba's WS-Discovery announcer (wsdd), an smbd that speaks SMB2 and later only, and
#     Pelimo, which finds its share through SMB_CONF_PATH (no /etc/samba of its own);
#   D is a third host that only counts the connections it receives;
#   E is, for one detection, a hostile WS-Discovery host naming D, a DNS name and itself.
# Checked:
#   - the found list holds WORKGROUP, B (browse list) and C (WS-Discovery), never A, and A never
#     becomes its own contact although its request to the workgroup comes back to it; C answers,
#     so C is connected and ready, B connected only; A's User.dat holds them;
#   - after a detection, A saves an attachment C sends from its SMB2-only share (the browse
#     walk's SMB1 setting stays in the browse helper);
#   - with E flooding answers: no connection to D, no DNS query for the name E gave, at most one
#     metadata connection to E and 64 Resolves, the detection over within 5 s;
#   - with nmbd, smbd and wsdd stopped, C's Pelimo still answers the request to the workgroup:
#     no message 71, C connected and ready; with C's Pelimo gone too, message 71 and the flags
#     left as they were;
#   - no DNS query on A's wire names a computer of the browse lists or of WS-Discovery.
# Prints the detection time and the longest time A's window thread was blocked.
# Needs root; skipped (exit 77) otherwise. Everything runs inside namespaces this script creates.
#
# HOSTS=N WSDD_HOSTS=M ROUNDS=R (run by hand): N hosts (at least five; the sixth and later run
# wsdd), wsdd on M of them in all, R rounds of smbtree and detection for the figures.
set -euo pipefail

build="${1:?usage: $0 BUILD-DIRECTORY}"
source "$(dirname "$0")/lan_kit.sh"
need_root
need_tools ip unshare nmbd smbd nmblookup smbtree wsdd tshark
python=/usr/bin/python3
[ -f /etc/samba/smb.conf ] || skip "/etc/samba/smb.conf is missing (the machine's defaults are tested)"
peer="$build/tests/mainwindow/pelimo-lan-peer"
need_files "$python" "$peer" "$build/pelimo-browse"
hostile="$(dirname "$0")/addressbook_wsd_hostile.py"

hosts="${HOSTS:-5}"
[ "$hosts" -ge 5 ] || hosts=5
wsdd_hosts="${WSDD_HOSTS:-1}"
declare -A daemon

# Host n: address 10.77.6.n, name PMHOST<letter> for the first five.
ip_of() { echo "10.77.6.$1"; }
name_of() { local n="$1"; case "$n" in 1) echo PMHOSTA;; 2) echo PMHOSTB;; 3) echo PMHOSTC;; 4) echo PMHOSTD;; 5) echo PMHOSTE;; *) echo "PMHOST$n";; esac; }
lan_begin pb
lan_hosts 10.77.6 $(seq 1 "$hosts")
for n in $(seq 1 "$hosts"); do mkdir -p "$work/h$n/home" "$work/h$n/var"; done
# A's way off the LAN leads to E, which forwards nothing.
ip -n "$ns1" route add default via "$(ip_of 5)"

# Commands on host n run in its namespace with its hostname and a private HOME (without a .smb
# folder: no per-user client configuration).
in_host() {  # n command...
    local n="$1"
    shift
    on_host "$n" "$(name_of "$n")" env HOME="$work/h$n/home" USER=guest LOGNAME=guest "$@"
}
start_daemon() {  # key n command...
    local key="$1" n="$2"
    shift 2
    start_on_host "$n" "$(name_of "$n")" env HOME="$work/h$n/home" USER=guest LOGNAME=guest "$@" \
        >"$work/$key.log" 2>&1
    daemon[$key]=$started
}
# Stops a daemon by its PID, and smbd's connection children with it (smbd and nmbd run in
# process groups of their own: on shutdown smbd signals its whole group).
stop_daemon() {  # key
    local pid="${daemon[$1]:-}"
    [ -n "$pid" ] || return 0
    local children
    children="$(ps -o pid= --ppid "$pid" || true)"
    kill "$pid" $children 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    unset "daemon[$1]"
}

# A Samba configuration of host n, its files in the host's own folder.
samba_conf() {  # n
    cat <<CONF
[global]
    workgroup = WORKGROUP
    netbios name = $(name_of "$1")
    interfaces = $(ip_of "$1")/24
    bind interfaces only = yes
    server role = standalone server
    map to guest = Bad User
    lock directory = $work/h$1/var
    state directory = $work/h$1/var
    cache directory = $work/h$1/var
    private dir = $work/h$1/var
    ncalrpc dir = $work/h$1/var/ncalrpc
    pid directory = $work/h$1/var
    usershare path = $work/h$1/var/usershares
    log file = $work/h$1/var/log.%m
    disable spoolss = yes
    load printers = no
    printcap name = /dev/null
CONF
}

# B: nmbd and smbd as master browser of WORKGROUP (browse lists need SMB1), one guest share.
mkdir -p "$work/h2/share"
conf_b="$work/h2/smb.conf"
{
    samba_conf 2
    cat <<CONF
    server min protocol = NT1
    local master = yes
    preferred master = yes
    os level = 65
[pub]
    path = $work/h2/share
    guest ok = yes
    read only = yes
CONF
} >"$conf_b"
start_daemon nmbd 2 nmbd --foreground --debug-stdout -s "$conf_b"
start_daemon smbd 2 smbd --foreground --debug-stdout -s "$conf_b"

# C: wsdd (and on more hosts for the figures); an smbd of SMB2 and later with one guest share.
mkdir -p "$work/h3/share" "$work/h3/var/usershares"
chmod 755 "$work/h3" "$work/h3/share"
conf_c="$work/h3/smb.conf"
{
    samba_conf 3
    cat <<CONF
    server min protocol = SMB2_02
    disable netbios = yes
    local master = no
[pub2]
    path = $work/h3/share
    guest ok = yes
    read only = yes
CONF
} >"$conf_c"
echo "from an SMB2-only share $$" >"$work/h3/share/note.txt"
chmod 644 "$work/h3/share/note.txt"
start_daemon smbd_c 3 smbd --foreground --debug-stdout -s "$conf_c"
start_daemon wsdd3 3 wsdd -4 -i eth0 -n PMHOSTC -w WORKGROUP
for n in $(seq 6 "$hosts"); do
    [ $((n - 4)) -le "$wsdd_hosts" ] || break
    start_daemon "wsdd$n" "$n" wsdd -4 -i eth0 -n "$(name_of "$n")" -w WORKGROUP
done

# D: counts every connection made to it.
start_daemon watch 4 "$python" "$hostile" watch "$(ip_of 4)" "$work/d-connections.txt" 25 80 6379 5357

# Pelimo on A (the machine's Samba configuration) and on C (its own, named by SMB_CONF_PATH).
start_peer() {  # n [environment...]
    local n="$1"
    shift
    app_folder "$work/h$n/app" "$peer" IdentificationSendDelay=0.150
    cp "$build/pelimo-browse" "$work/h$n/app/"
    start_on_host --io "h$n" "$n" "$(name_of "$n")" env HOME="$work/h$n/home" USER=guest LOGNAME=guest \
        "$@" QT_QPA_PLATFORM=offscreen "$work/h$n/app/pelimo"
    daemon[peer$n]=$started
}
# Everything A sends off the LAN, and every name it asks DNS for, from now on.
ip netns exec "$ns1" tshark -l -n -i eth0 -f "udp port 53 or (tcp[tcpflags] & tcp-syn != 0 and not dst net 10.77.6.0/24)" \
    -T fields -e ip.dst -e dns.qry.name >"$work/a-wire.txt" 2>"$work/tshark.log" &
pids+=("$!")
start_peer 1
exec 3>"$work/h1.in"
start_peer 3 SMB_CONF_PATH="$conf_c"
exec 4>"$work/h3.in"
wait_for h1 '^ready	PMHOSTA$' >/dev/null
wait_for h3 '^ready	PMHOSTC$' >/dev/null

# B wins the election and its browse list holds it (bounded polls).
deadline=$((SECONDS + 120))
until in_host 2 nmblookup -s "$conf_b" -M WORKGROUP 2>/dev/null | grep -q '^10\.77\.6\.2 '; do
    [ "$SECONDS" -le "$deadline" ] || fail "nmbd did not become master browser of WORKGROUP"
    sleep 1
done
echo "ok: PMHOSTB is master browser of WORKGROUP"

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
# book: the contacts of A, as its "book" command lists them.
book() {
    local before
    before=$(grep -c '^end$' "$work/h1.out" || true)
    printf 'book\n' >&3
    until [ "$(grep -c '^end$' "$work/h1.out" || true)" -gt "$before" ]; do sleep 0.05; done
    awk '/^end$/ { last = cur; cur = ""; next } /^book\t/ { cur = cur $0 "\n" } END { printf "%s", last }' \
        "$work/h1.out"
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
    in_host 1 smbtree -U "guest%" --option='client min protocol=NT1' >"$work/smbtree.log" 2>&1 ||
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

echo "$found" | grep -qx 'WORKGROUP	SMB Network' || fail "the workgroup was not found"
echo "$found" | grep -qx 'PMHOSTB	WORKGROUP' || fail "B was not found under WORKGROUP"
echo "$found" | grep -qx 'PMHOSTC	WORKGROUP' || fail "C was not found under WORKGROUP"
echo "$found" | grep -qi '^PMHOSTA' && fail "A found itself"
[ "$(echo "$found" | grep -c -i '^PMHOSTC')" -eq 1 ] || fail "C listed more than once"
echo "ok: found list $(echo "$found" | tr '\t\n' ': ')"

# C's answer arrives through A's receive timer; the flags read after it.
deadline=$((SECONDS + 10))
while :; do
    contacts_a="$(book)"
    echo "$contacts_a" | grep -q '	PMHOSTC	WORKGROUP	1	1$' && break
    [ "$SECONDS" -le "$deadline" ] || fail "C never became ready: $contacts_a"
    sleep 0.2
done
echo "$contacts_a" | grep -q '	PMHOSTB	PMHOSTB	WORKGROUP	1	0$' || fail "B should be connected only: $contacts_a"
echo "$contacts_a" | grep -q '	WORKGROUP	WORKGROUP	SMB Network	1	0$' || fail "the workgroup contact: $contacts_a"
echo "$contacts_a" | grep -qi 'PMHOSTA' && fail "A is its own contact: $contacts_a"
grep -q 'UserComputerName[0-9]*=PMHOSTC' "$work/h1/app/User.dat" || fail "User.dat lacks C"
grep -q 'UserGroupName[0-9]*=WORKGROUP' "$work/h1/app/User.dat" || fail "User.dat lacks the group"
grep -qi 'PMHOSTA' "$work/h1/app/User.dat" && fail "User.dat holds A itself"
echo "ok: B connected, C connected and ready, User.dat written, A never its own contact"

# After these detections, A saves a file C attaches from its SMB2-only share.
printf 'attach\t%s\n' "$work/h3/share/note.txt" >&4
printf 'send\tPMHOSTA\tthe note\n' >&4
wait_for h1 '^shown	[0-9]+	PMHOSTC	PMHOSTA	the note	\\\\\\\\PMHOSTC\\\\pub2\\\\note\.txt$' >/dev/null ||
    fail "C's share was not found through SMB_CONF_PATH"
printf 'save\t%s\n' "$work/h1/note.txt" >&3
saved="$(wait_for h1 '^saved	' 30)"
[ "$(echo "$saved" | cut -f2)" = 1 ] && cmp -s "$work/h1/note.txt" "$work/h3/share/note.txt" ||
    fail "the attachment could not be saved after a detection: $saved"
echo "ok: after a detection, an attachment from an SMB2-only share is saved ($(echo "$saved" | cut -f3) us)"

# A hostile WS-Discovery host on E for one detection.
grep -q '^ready' "$work/d-connections.txt" || fail "the third host does not listen"
start_daemon hostile 5 "$python" "$hostile" responder "$(ip_of 5)" "$(ip_of 4)" "$work/e-log.txt"
deadline=$((SECONDS + 10))
until grep -q '^ready' "$work/e-log.txt" 2>/dev/null; do
    [ "$SECONDS" -le "$deadline" ] || fail "the hostile host did not start"
    sleep 0.1
done
detect
hostile_ms="$(echo "$line" | cut -f2)"
stop_daemon hostile
probes="$(grep -c '^probe' "$work/e-log.txt" || true)"
resolves="$(grep -c '^resolve' "$work/e-log.txt" || true)"
metadata="$(grep -c '^http' "$work/e-log.txt" || true)"
to_d="$(grep -c '^connect' "$work/d-connections.txt" || true)"
echo "figures (hostile WS-Discovery host): detection $hostile_ms ms, $probes probes," \
    "$resolves Resolves, $metadata metadata connections to it, $to_d connections to the third host"
[ "$probes" -ge 1 ] || fail "the hostile host never saw a probe"
[ "$to_d" -eq 0 ] || fail "connections were made to the third host: $(cat "$work/d-connections.txt")"
[ "$resolves" -le 64 ] || fail "$resolves Resolves sent"
[ "$metadata" -le 1 ] || fail "$metadata metadata connections to one address"
[ "$hostile_ms" -le 5000 ] || fail "the detection took $hostile_ms ms"
echo "ok: nothing reached the third host and the detection ended within 5 s"

# Nothing announces itself any more; C's Pelimo still runs and answers the request to the
# workgroup.
for key in nmbd smbd smbd_c $(printf 'wsdd%s ' $(seq 3 "$hosts")); do stop_daemon "$key"; done
dialogs_before=$(grep -c '^dialog	' "$work/h1.out" || true)
detect
[ -z "$found" ] || fail "found on a network without browser or announcer: $found"
printf 'ping\n' >&3
wait_count h1 '^pong$' 1
sleep 0.3  # a dialog line is printed on the receive timer's next tick
grep -E '^dialog	' "$work/h1.out" | tail -n +$((dialogs_before + 1)) | grep -q 'No computer was found' &&
    fail "message 71 although C's Pelimo answered"
contacts_a="$(book)"
echo "$contacts_a" | grep -q '	PMHOSTC	WORKGROUP	1	1$' || fail "C not found by its answer: $contacts_a"
echo "$contacts_a" | grep -q '	PMHOSTB	WORKGROUP	0	0$' || fail "B should be no longer connected: $contacts_a"
echo "ok: without browser or announcer, the other Pelimo is found by its answer"

# C's Pelimo gone too: message 71, the flags as they were.
printf 'quit\n' >&4
wait_for h3 '^bye$' >/dev/null
wait "${daemon[peer3]}" 2>/dev/null || true
dialogs_before=$(grep -c '^dialog	' "$work/h1.out" || true)
detect
[ -z "$found" ] || fail "found on an empty network: $found"
printf 'ping\n' >&3
wait_count h1 '^pong$' 2  # the answer to this ping, not the one before
sleep 0.3
grep -E '^dialog	' "$work/h1.out" | tail -n +$((dialogs_before + 1)) | grep -q 'No computer was found' ||
    fail "message 71 was not shown"
[ "$(book)" = "$contacts_a" ] || fail "the flags changed after an empty detection: $(book)"
echo "ok: an empty network shows message 71 and keeps the flags"

printf 'quit\n' >&3
wait_for h1 '^bye$' >/dev/null
# What A put on its wire towards DNS or off the LAN: no name from a browse list or an answer.
sleep 0.5
if grep -i -E 'evil\.example\.com|PMHOST|WORKGROUP' "$work/a-wire.txt"; then
    fail "A asked DNS for a name from the network"
fi
echo "ok: no DNS query for a name from the network ($(wc -l <"$work/a-wire.txt") packets off the LAN or to DNS in all)"
echo "PASS"
