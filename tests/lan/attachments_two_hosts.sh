#!/usr/bin/env bash
# An attached file fetched from the sender's share, end to end, on two hosts (network namespaces
# joined by a bridge, each with its own hostname and its own Samba configuration):
#   - A runs a real smbd sharing a folder for guests and one for a user; A attaches a 50 MB file of
#     the shared folder and sends to B; the datagram on the wire carries \\PMHOSTA\share\big.bin;
#   - B saves it over an existing file of its download folder after a question: the copy is
#     byte-identical; saving over B's own User.dat is refused;
#   - a copy cancelled half way, or onto a full disk, leaves neither the file nor a temporary one;
#   - each failure names its reason: a datagram from another program naming
#     \\PMHOSTA\share\..\..\etc\passwd (refused, nothing written) or an unknown computer, a missing
#     file, a share refused without a password, A's smbd stopped;
#   - a password-protected share copies once the user gave the right user name and password.
# With --shutdown it instead ends B by SIGTERM while B copies an endless file: the copy stops, its
# temporary file goes and B ends within a second.
# With --bench SIZE_MB it instead fetches a file of that size three times with Pelimo and with
# smbclient and prints both medians and their ratio.
# Needs root; skipped (exit 77) otherwise. Everything runs inside namespaces this script creates.
set -euo pipefail

build="${1:?usage: $0 BUILD-DIRECTORY [--bench SIZE_MB | --shutdown]}"
bench_mb=""
[ "${2:-}" = "--bench" ] && bench_mb="${3:-200}"
shutdown_test=""
[ "${2:-}" = "--shutdown" ] && shutdown_test=1
source "$(dirname "$0")/lan_kit.sh"
need_root
need_tools ip unshare tshark smbd smbpasswd smbclient sha256sum
[ -d /etc/samba ] || skip "/etc/samba is missing (the private configuration is mounted over it)"
peer="$build/tests/mainwindow/pelimo-lan-peer"
python=/usr/bin/python3
need_files "$peer" "$python"

lan_begin pf
lan_hosts 10.77.6 A B
dl="$work/dlB"      # B's download folder, outside its program folder
small="$work/small" # a 1 MB disk
ram="$work/ram"     # a 1 GB disk in memory, for the endless copy
password="pm-secret-$$"
smbd_pid=""
declare -A peer_pid
lan_at_exit umount "$small"
lan_at_exit umount "$ram"
fail_logs+=("$work/smbA/log.smbd")

# Each host's own /etc/samba (mounted over the real one inside its namespace) and HOME.
for side in A B; do
    mkdir -p "$work/etc$side" "$work/home$side/.smb" "$work/smb$side"/{private,lock,state,cache,run,ncalrpc,usershares}
    chmod 1770 "$work/smb$side/usershares"
    app_folder "$work/$side" "$peer"
done
mkdir -p "$work/shareA" "$work/secretA" "$dl" "$small"
mount -t tmpfs -o size=1m tmpfs "$small"
if [ -n "$shutdown_test" ]; then
    mkdir -p "$ram"
    mount -t tmpfs -o size=1g tmpfs "$ram"
fi
chmod 755 "$work/shareA" "$work/secretA"
common_global() {  # side netbios-name
    cat <<CONF
[global]
    netbios name = $2
    workgroup = PMWG
    server role = standalone server
    map to guest = Bad User
    private dir = $work/smb$1/private
    lock directory = $work/smb$1/lock
    state directory = $work/smb$1/state
    cache directory = $work/smb$1/cache
    pid directory = $work/smb$1/run
    ncalrpc dir = $work/smb$1/ncalrpc
    usershare path = $work/smb$1/usershares
    passdb backend = tdbsam:$work/smb$1/private/passdb.tdb
    log file = $work/smb$1/log.%m
    load printers = no
    printcap name = /dev/null
    disable spoolss = yes
    client min protocol = SMB2
    name resolve order = host
CONF
}
{
    common_global A PMHOSTA
    cat <<CONF
    interfaces = $ipA/24
    bind interfaces only = yes
    smb ports = 445
[share]
    path = $work/shareA
    guest ok = yes
    read only = yes
[secret]
    path = $work/secretA
    guest ok = no
    valid users = root
    read only = yes
CONF
} >"$work/etcA/smb.conf"
common_global B PMHOSTB >"$work/etcB/smb.conf"
cp "$work/etcB/smb.conf" "$work/homeB/.smb/smb.conf"
cp "$work/etcA/smb.conf" "$work/homeA/.smb/smb.conf"

# Runs a command on a host: its namespace, hostname, /etc/samba and HOME; start_on runs one in
# the background.
on() {  # side command...
    on_host --bind "$work/etc$1" /etc/samba "$1" "pmhost${1,,}" env HOME="$work/home$1" "${@:2}"
}
start_on() {  # [--io NAME] side command...
    local io=()
    [ "$1" = --io ] && { io=("$1" "$2"); shift 2; }
    start_on_host --bind "$work/etc$1" /etc/samba "${io[@]}" "$1" "pmhost${1,,}" env HOME="$work/home$1" "${@:2}"
}

start_smbd() {
    start_on A smbd --foreground -s "$work/etcA/smb.conf" </dev/null >"$work/smbd.out" 2>&1
    smbd_pid=$started
    for _ in $(seq 100); do
        ip netns exec "$nsA" ss -ltn 2>/dev/null | grep -q ":445 " && return 0
        sleep 0.1
    done
    fail "smbd did not start"
}
printf '%s\n%s\n' "$password" "$password" | on A smbpasswd -c "$work/etcA/smb.conf" -s -a root >/dev/null
start_smbd

start_peer() {  # side
    local side="$1"
    start_on --io "$side" "$side" env QT_QPA_PLATFORM=offscreen "$work/$side/pelimo"
    peer_pid[$side]=$started
}

# Waits for the next "saved" report of B after `before` of them.
wait_saved() {  # before
    local deadline=$((SECONDS + 120))
    while [ "$(count_lines B '^saved')" -le "$1" ]; do
        [ "$SECONDS" -le "$deadline" ] || fail "B never finished saving"
        sleep 0.05
    done
    grep -E '^saved' "$work/B.out" | tail -n 1
}

start_peer A
exec 3>"$work/A.in"
wait_for A '^ready	PMHOSTA$' >/dev/null
start_peer B
exec 4>"$work/B.in"
wait_for B '^ready	PMHOSTB$' >/dev/null

if [ -n "$bench_mb" ]; then
    head -c "$((bench_mb * 1024 * 1024))" /dev/urandom >"$work/shareA/bench.bin"
    printf 'attach\t%s\n' "$work/shareA/bench.bin" >&3
    printf 'send\tPMHOSTB\tbench\n' >&3
    wait_for B '^shown	[0-9]+	PMHOSTA	PMHOSTB	bench' >/dev/null
    mkdir -p "$work/B/get"
    ours=() theirs=()
    for round in 1 2 3; do
        rm -f "$dl/bench.bin" "$work/B/get/bench.bin"
        before="$(count_lines B '^saved')"
        printf 'save\t%s\n' "$dl/bench.bin" >&4
        line="$(wait_saved "$before")"
        ours+=("$(echo "$line" | cut -f3)")
        start=$(date +%s%N)
        (cd "$work/B/get" && on B smbclient //$ipA/share -N -c 'get bench.bin' >/dev/null 2>&1) || fail "smbclient failed"
        theirs+=("$(( ($(date +%s%N) - start) / 1000 ))")
        cmp -s "$work/shareA/bench.bin" "$dl/bench.bin" || fail "Pelimo's copy differs"
    done
    printf '%s\n' "${ours[@]}" | sort -n | sed -n 2p >"$work/ours.median"
    printf '%s\n' "${theirs[@]}" | sort -n | sed -n 2p >"$work/theirs.median"
    awk -v mb="$bench_mb" -v o="$(cat "$work/ours.median")" -v t="$(cat "$work/theirs.median")" \
        -v runs_o="${ours[*]}" -v runs_t="${theirs[*]}" 'BEGIN {
        printf "fetch of %d MB: Pelimo median %.0f ms (%.1f MB/s; runs %s us), smbclient median %.0f ms (%.1f MB/s; runs %s us), Pelimo/smbclient throughput %.2f\n",
            mb, o / 1000, mb / (o / 1e6), runs_o, t / 1000, mb / (t / 1e6), runs_t, t / o }'
    printf 'quit\n' >&3
    printf 'quit\n' >&4
    exit 0
fi

if [ -n "$shutdown_test" ]; then
    # An endless file (sparse, far larger than the copy is ever let run) is being saved by B when
    # SIGTERM comes: B stops the copy, removes its temporary file and ends within a second.
    truncate -s 1T "$work/shareA/endless.bin"
    printf 'attach\t%s\n' "$work/shareA/endless.bin" >&3
    printf 'send\tPMHOSTB\tendless\n' >&3
    wait_for B '^shown	[0-9]+	PMHOSTA	PMHOSTB	endless' >/dev/null
    printf 'save\t%s\n' "$ram/endless.bin" >&4
    deadline=$((SECONDS + 30))
    size=0
    until [ "$size" -ge $((32 << 20)) ]; do
        [ "$SECONDS" -le "$deadline" ] || fail "the copy of the endless file never got under way"
        sleep 0.05
        size="$(stat -c %s "$ram"/endless.bin.* 2>/dev/null | head -n 1 || true)"
        size="${size:-0}"
    done
    pidB="${peer_pid[B]}"
    start=$(date +%s%N)
    kill -TERM "$pidB"
    while kill -0 "$pidB" 2>/dev/null; do
        [ $(($(date +%s%N) - start)) -le 10000000000 ] || fail "SIGTERM did not end B within 10 s"
        sleep 0.01
    done
    took=$((($(date +%s%N) - start) / 1000000))
    status=0
    wait "$pidB" || status=$?
    [ "$status" -eq 0 ] || fail "B ended with status $status"
    grep -q '^bye$' "$work/B.out" || fail "B ended without its shutdown"
    [ -z "$(ls -A "$ram")" ] || fail "the stopped copy left: $(ls -A "$ram")"
    [ "$took" -le 1000 ] || fail "B took $took ms to end after SIGTERM during a copy"
    echo "ok: SIGTERM during a copy ($((size >> 20)) MB in) ended B in $took ms and left no file"
    printf 'quit\n' >&3
    exit 0
fi

# A 50 MB file in A's shared folder, attached on A's send panel and sent to B.
head -c $((50 * 1024 * 1024)) /dev/urandom >"$work/shareA/big.bin"
# Live capture on B, one packet per line: the frame's mailslot name and the UDP payload in hex.
ip netns exec "$nsB" tshark -l -i eth0 -f "udp port 138" -d udp.port==138,nbdgm \
    -T fields -e mailslot.name -e udp.payload >"$work/send.txt" 2>"$work/tshark.log" &
capture=$!
pids+=("$capture")
# Probes (junk to port 138, dropped by Pelimo) until the capture sees them.
for _ in $(seq 100); do
    ip netns exec "$nsA" "$python" -c 'import socket,sys; socket.socket(socket.AF_INET, socket.SOCK_DGRAM).sendto(b"probe", (sys.argv[1], 138))' "$ipB"
    [ -s "$work/send.txt" ] && break
    sleep 0.1
done
[ -s "$work/send.txt" ] || fail "the capture on B never started"
printf 'attach\t%s\n' "$work/shareA/big.bin" >&3
printf 'send\tPMHOSTB\there is the file\n' >&3
wait_for B '^shown	[0-9]+	PMHOSTA	PMHOSTB	here is the file	\\\\\\\\PMHOSTA\\\\share\\\\big.bin$' >/dev/null
deadline=$((SECONDS + 10))
until grep -q 'MAILSLOT' "$work/send.txt"; do
    [ "$SECONDS" -le "$deadline" ] || fail "tshark does not see a mailslot write to \\MAILSLOT\\pelimo"
    sleep 0.05
done
kill -INT "$capture"
wait "$capture" 2>/dev/null || true
grep -F '\MAILSLOT\pelimo' "$work/send.txt" | cut -f2 | "$python" -c '
import sys
data = b"".join(bytes.fromhex(line.strip().replace(":", "")) for line in sys.stdin if line.strip())
sys.exit(0 if rb"\\PMHOSTA\share\big.bin" in data else 1)' ||
    fail "the datagram on the wire lacks \\\\PMHOSTA\\share\\big.bin"
echo "ok: A sent \\\\PMHOSTA\\share\\big.bin, as tshark decodes it"

# B saves it over an older file of that name in its download folder, after a question.
copy_error() {  # reason: the copy error's line in B's output
    printf '^dialog\tInformation\tThe attached file could not be copied:\\\\n%s$' "$1"
}
echo "older content" >"$dl/big.bin"
before="$(count_lines B '^saved')"
printf 'save\t%s\n' "$dl/big.bin" >&4
wait_saved "$before" >/dev/null
[ "$(sha256sum <"$dl/big.bin")" = "$(sha256sum <"$work/shareA/big.bin")" ] || fail "B's copy differs from A's file"
wait_for B '^dialog	Pelimo	This file already exists\.' >/dev/null
[ "$(count_lines B '^dialog	(Information|Pelimo)	')" -eq 1 ] || fail "saving showed a message box besides the question"
echo "ok: B's copy is byte-identical (sha256) and replaced the older file after a question"

# Never into the program's own folder: B's contacts stay.
printf '[UserSetting]\r\nUserNumber=0\r\n' >"$work/B/User.dat"
before="$(count_lines B '^saved')"
printf 'save\t%s\n' "$work/B/User.dat" >&4
wait_saved "$before" >/dev/null
wait_for B '^dialog	Pelimo	Pelimo keeps its own files in this folder' >/dev/null
[ "$(cat "$work/B/User.dat")" = "$(printf '[UserSetting]\r\nUserNumber=0\r\n')" ] || fail "the program's own file was replaced"
echo "ok: saving over User.dat in the program's folder is refused"

# Cancelled half way: neither the file nor a temporary one stays.
printf 'cancelhalf\n' >&4
before="$(count_lines B '^saved')"
printf 'save\t%s\n' "$dl/cancelled.bin" >&4
wait_saved "$before" >/dev/null
wait_for B '^cancelling' >/dev/null
leftovers="$(ls -A "$dl" | grep -v -x big.bin || true)"
[ -z "$leftovers" ] || fail "a cancelled copy left: $leftovers"
wait_for B '^dialog	Pelimo	Operation Failed,\(ShFileCopy\)\.$' >/dev/null
wait_for B "$(copy_error 'the copy was cancelled\.')" >/dev/null
echo "ok: a cancelled copy leaves nothing and says so"
printf 'cancelhalf\toff\n' >&4

# A disk too small for the file: nothing stays and the reason is given.
before="$(count_lines B '^saved')"
printf 'save\t%s\n' "$small/big.bin" >&4
wait_saved "$before" >/dev/null
[ -z "$(ls -A "$small")" ] || fail "a copy onto a full disk left: $(ls -A "$small")"
wait_for B "$(copy_error 'the disk is full\.')" >/dev/null
echo "ok: a full disk is named as the reason and leaves nothing"

# Datagrams of another program: a path out of the share, then a computer nobody knows.
send_foreign() {  # path text
    local payload
    payload="$(printf '2%04d%s%s' "${#1}" "$1" "$2")"
    ip netns exec "$nsA" "$python" -B "$lan_here/nbds_flood.py" "$ipA" "$ipB" PMHOSTB 1 0 \
        "$payload" PMHOSTA >/dev/null || fail "the foreign datagram could not be sent"
}
send_foreign '\\PMHOSTA\share\..\..\etc\passwd' 'take this'
wait_for B '^shown	[0-9]+	PMHOSTA	PMHOSTB	take this	.*passwd$' >/dev/null
before="$(count_lines B '^saved')"
printf 'save\t%s\n' "$dl/passwd" >&4
wait_saved "$before" >/dev/null
[ ! -e "$dl/passwd" ] || fail "a path out of the share was copied"
wait_for B "$(copy_error 'the path received with the message is not a valid network path\.')" >/dev/null
echo "ok: \\\\PMHOSTA\\share\\..\\..\\etc\\passwd is refused and nothing is written"

send_foreign '\\PMHOSTC\share\lost.bin' 'from nowhere'
wait_for B '^shown	[0-9]+	PMHOSTA	PMHOSTB	from nowhere	' >/dev/null
before="$(count_lines B '^saved')"
printf 'save\t%s\n' "$dl/lost.bin" >&4
wait_saved "$before" >/dev/null
wait_for B "$(copy_error "the sender's computer was not found on the network\.")" >/dev/null
echo "ok: an unknown computer is named as the reason"

# A file that is no longer there.
printf 'attach\t\\\\PMHOSTA\\share\\gone.bin\n' >&3
printf 'send\tPMHOSTB\tgone\n' >&3
wait_for B '^shown	[0-9]+	PMHOSTA	PMHOSTB	gone	' >/dev/null
before="$(count_lines B '^saved')"
printf 'save\t%s\n' "$dl/gone.bin" >&4
wait_saved "$before" >/dev/null
wait_for B "$(copy_error "the file no longer exists in the sender's shared folder\.")" >/dev/null
echo "ok: a missing file is named as the reason"

# A password-protected share: refused while no password is given, then copied with the user's.
echo "for root only" >"$work/secretA/secret.txt"
printf 'attach\t\\\\PMHOSTA\\secret\\secret.txt\n' >&3
printf 'send\tPMHOSTB\tsecret\n' >&3
wait_for B '^shown	[0-9]+	PMHOSTA	PMHOSTB	secret	' >/dev/null
before="$(count_lines B '^saved')"
printf 'save\t%s\n' "$dl/secret.txt" >&4
wait_saved "$before" >/dev/null
[ ! -e "$dl/secret.txt" ] || fail "a refused share gave a file"
wait_for B "$(copy_error 'access to the shared folder was denied\.')" >/dev/null
before="$(count_lines B '^saved')"
printf 'save\t%s\troot\t%s\n' "$dl/secret.txt" "$password" >&4
wait_saved "$before" >/dev/null
cmp -s "$dl/secret.txt" "$work/secretA/secret.txt" || fail "the password-protected file was not copied"
wait_for B '^dialog	Pelimo	This shared folder asks' >/dev/null
echo "ok: a password-protected share is refused without a password and copies with it"

# A's smbd stopped: the connection is refused.
kill "$smbd_pid"
wait "$smbd_pid" 2>/dev/null || true
before="$(count_lines B '^saved')"
printf 'save\t%s\n' "$dl/after-stop.bin" >&4
wait_saved "$before" >/dev/null
[ ! -e "$dl/after-stop.bin" ] || fail "a copy from a stopped server left a file"
wait_for B "$(copy_error "the sender's computer refused the connection.*")" >/dev/null
echo "ok: with A's smbd stopped the copy names the refused connection"

printf 'quit\n' >&3
printf 'quit\n' >&4
wait_for A '^bye$' >/dev/null
wait_for B '^bye$' >/dev/null
echo "PASS"
