#!/usr/bin/env bash
# pelimo-send --diagnose from host A about three computers of its network (namespaces joined by a
# bridge, each with its own hostname; A's hosts file knows B and C):
#   - B runs Pelimo: its name answers, the resolver agrees, it answers the identification request
#     within a second; exit 0;
#   - a name nobody has: no name answer, the resolver does not know it; exit 1;
#   - C runs Pelimo but a firewall rule in C's namespace drops UDP 138: the name answers, the
#     request does not; the advice names the program, the firewall and the Windows policy; exit 1;
#   - a rule of A's own firewall that drops UDP 138 is named in A's checks.
# Needs root; skipped (exit 77) otherwise. Everything runs inside namespaces this script creates.
set -euo pipefail

build="${1:?usage: $0 BUILD-DIRECTORY}"
source "$(dirname "$0")/lan_kit.sh"
need_root
need_tools ip unshare nft
peer="$build/tests/mainwindow/pelimo-lan-peer"
sender="$build/pelimo-send"
need_files "$peer" "$sender"

lan_begin pd
lan_hosts 10.77.7 A B C
lan_at_exit rm -rf "/etc/netns/$nsA"

# A's system resolver: its own hosts file names B and C, and it asks no name server.
mkdir -p "/etc/netns/$nsA"
printf '127.0.0.1 localhost\n%s pmdiagb\n%s pmdiagc\n' "$ipB" "$ipC" >"/etc/netns/$nsA/hosts"
printf 'hosts: files\n' >"/etc/netns/$nsA/nsswitch.conf"
: >"/etc/netns/$nsA/resolv.conf"

# Each host's program folder: the program (the diagnosing tool on A), its language file.
app_folder "$work/A" "$sender"
mv "$work/A/pelimo" "$work/A/pelimo-send"
app_folder "$work/B" "$peer"
app_folder "$work/C" "$peer"

start_peer() {  # side hostname
    start_on_host --io "$1" "$1" "$2" env QT_QPA_PLATFORM=offscreen "$work/$1/pelimo"
}

# C's own firewall drops what comes in on UDP 138; its name service (UDP 137) still answers.
ip netns exec "$nsC" nft -f - <<'NFT'
table inet pmfw {
    chain input {
        type filter hook input priority 0; policy accept;
        udp dport 138 drop
    }
}
NFT

start_peer B pmdiagb
exec 3>"$work/B.in"
start_peer C pmdiagc
exec 4>"$work/C.in"
wait_for B '^ready' 10 >/dev/null
wait_for C '^ready' 10 >/dev/null

diagnose() {  # name output-file; prints the exit status
    local status=0
    on_host A pmdiaga "$work/A/pelimo-send" --diagnose "$1" >"$work/$2" 2>"$work/$2.err" || status=$?
    echo "$status"
}

expect_line() {  # file pattern
    grep -q -F -- "$2" "$work/$1" || fail "$1 lacks: $2"
}

status="$(diagnose PMDIAGB b.out)"
[ "$status" -eq 0 ] || fail "diagnosing B exited $status, not 0"
expect_line b.out "Receiving here: this program receives the datagrams of UDP port 138."
expect_line b.out "Firewall here: no rule drops UDP ports 137 and 138."
expect_line b.out "Name query: PMDIAGB answers from $ipB."
expect_line b.out "System resolver: PMDIAGB is $ipB."
expect_line b.out "Identification: PMDIAGB answered after"
expect_line b.out "PMDIAGB can be reached by mailslot."
echo "ok: B, which runs Pelimo, is reachable (exit 0)"
sed 's/^/    /' "$work/b.out"

status="$(diagnose PMNOBODY nobody.out)"
[ "$status" -eq 1 ] || fail "diagnosing an unknown name exited $status, not 1"
expect_line nobody.out "Name query: no computer answers to the name PMNOBODY."
expect_line nobody.out "System resolver: PMNOBODY is unknown."
expect_line nobody.out "PMNOBODY is not known on this network"
echo "ok: an unknown name is not known (exit 1)"

status="$(diagnose PMDIAGC c.out)"
[ "$status" -eq 1 ] || fail "diagnosing C exited $status, not 1"
expect_line c.out "Name query: PMDIAGC answers from $ipC."
expect_line c.out "Identification: no answer within a second."
expect_line c.out "PMDIAGC is known on the network but did not answer the identification request:"
expect_line c.out "- a firewall there may drop UDP port 138;"
expect_line c.out "\"Enable remote mailslots\" policy (EnableMailslots)"
grep -q "can be reached" "$work/c.out" && fail "C was reported reachable"
echo "ok: C, whose firewall drops UDP 138, answers its name only (exit 1)"
sed 's/^/    /' "$work/c.out"

ip netns exec "$nsA" nft add table inet pmown
ip netns exec "$nsA" nft add chain inet pmown input '{ type filter hook input priority 0; }'
ip netns exec "$nsA" nft add rule inet pmown input udp dport '{ 137, 138 }' reject
status="$(diagnose PMDIAGB own.out)"
expect_line own.out "Firewall here: a rule drops UDP 137, 138 (inet pmown input, reject)."
echo "ok: A's own rule is named (exit $status)"

printf 'quit\n' >&3
printf 'quit\n' >&4
