#!/usr/bin/env bash
# Several users on one computer, the NetBIOS ports held by the router program alone. On host B
# (10.77.6.2, PMHOSTB) two users made by this test each run the program; the first one's program
# starts the router (its copy given the file capability, as ./run and the package do), the
# second one's finds it. A third user took the names of a router and of the old local mailslot
# before anybody, then takes a mailslot of the channel from the router for itself. Host A
# (10.77.6.1) sends with pelimo-send:
#   - to B's computer name: both users and the third one receive it;
#   - to one user's login name: that user alone receives it;
#   - the squatted names are told nothing, the third user cannot take the router's name, and
#     B's programs hold no capability (getpcaps) while the router holds cap_net_bind_service only.
# Needs root; skipped (exit 77) otherwise. Everything runs inside namespaces this script creates,
# and the users it made are removed.
set -euo pipefail

build="${1:?usage: $0 BUILD-DIRECTORY}"
source "$(dirname "$0")/lan_kit.sh"
need_root "to create users and network namespaces"
need_tools ip unshare ss setpriv setcap getpcaps useradd userdel
peer="$build/tests/mainwindow/pelimo-lan-peer"
need_files /usr/bin/python3 "$peer" "$build/pelimo-router" "$build/pelimo-send"

source "$(dirname "$0")/intake_hosts.sh"
users=("pm$(($$ % 100000))a" "pm$(($$ % 100000))b" "pm$(($$ % 100000))c")
for user in "${users[@]}"; do
    lan_at_exit userdel "$user"
    useradd --system --no-create-home --shell /usr/sbin/nologin --user-group "$user"
done

# Each user's own copy of the program and of the router, in a folder of its own.
start_as() {  # user io-name command...: on host B as that user, with a bare session's environment
    local user="$1" io="$2"
    shift 2
    start_on_host --io "$io" B pmhostb setpriv --reuid="$user" --regid="$user" --init-groups \
        env -i PATH=/usr/bin:/bin HOME="$work/$user" QT_QPA_PLATFORM=offscreen "$@"
}
program=()
start_user() {  # index
    local user="${users[$1]}"
    app_folder "$work/$user" "$peer"
    chown -R "$user:" "$work/$user"
    setcap cap_net_bind_service=+ep "$work/$user/pelimo-router"
    start_as "$user" "$user" "$work/$user/pelimo"
    program[$1]=$started
    eval "exec $((3 + $1))>\"$work/$user.in\""
}
shown() {  # user text: how many times that user's program showed the text
    count_lines "$1" "^shown	[0-9]+	PMHOSTA	[^	]*	$2	"
}

# The third user takes the names first.
third="${users[2]}"
start_as "$third" third /usr/bin/python3 -B "$lan_here/transport_users.py" squat 20
exec 6>"$work/third.in"
wait_for third '^ready' >/dev/null

start_user 0
wait_for "${users[0]}" '^ready	PMHOSTB$' >/dev/null
start_user 1
wait_for "${users[1]}" '^ready	PMHOSTB$' >/dev/null
for _ in $(seq 100); do
    router="$(ip netns exec "$nsB" ss -Hulnp 'sport = :138' | grep -o 'pid=[0-9]*' | head -n1 | cut -d= -f2)"
    [ -n "$router" ] && break
    sleep 0.05
done
[ -n "$router" ] || fail "no router holds UDP port 138 on B"
echo >&6
wait_for third '^took-router' >/dev/null
grep -qx "registered 0" "$work/third.out" || fail "the third user could not take a mailslot of its own"
grep -qx "took-router 98" "$work/third.out" || fail "the third user could take the router's name"

# Capabilities: none in the programs, the bind right alone in the router.
for index in 0 1; do
    caps="$(getpcaps "${program[$index]}" 2>&1)"
    [[ "$caps" == *"="* && "$caps" != *cap_* ]] || fail "${users[$index]}'s program holds capabilities: $caps"
done
routercaps="$(getpcaps "$router" 2>&1)"
[[ "$routercaps" == *"cap_net_bind_service=ep"* && "$routercaps" != *","* ]] ||
    fail "the router's capabilities: $routercaps"
[ "$(stat -c %U "/proc/$router")" = "${users[0]}" ] || fail "the router is not the first user's"
echo "ok: the programs hold no capability; the router, started by ${users[0]}: $routercaps"

mkdir -p "$work/A"
cp "$build/pelimo-send" "$build/orglng.lng" "$work/A/"
send() {  # addressee text
    on_host A pmhosta "$work/A/pelimo-send" --no-resolver "$1" "$2" || fail "pelimo-send $1 failed"
}
send pmhostb "to the computer"
for user in "${users[0]}" "${users[1]}"; do
    wait_for "$user" "^shown	[0-9]+	PMHOSTA	pmhostb	to the computer	" >/dev/null
done
wait_for third '^delivered pmhostb\|1to the computer$' >/dev/null
echo "ok: a message to the computer reached both users and the third one"
send "${users[0]}" "to the first user"
wait_for "${users[0]}" "^shown	[0-9]+	PMHOSTA	${users[0]}	to the first user	" >/dev/null
send "${users[1]}" "to the second user"
wait_for "${users[1]}" "^shown	[0-9]+	PMHOSTA	${users[1]}	to the second user	" >/dev/null
send pmhostb "marker"
for user in "${users[0]}" "${users[1]}"; do
    wait_for "$user" "^shown	[0-9]+	PMHOSTA	pmhostb	marker	" >/dev/null
done
wait_for third '^delivered pmhostb\|1marker$' >/dev/null
[ "$(shown "${users[1]}" "to the first user")" -eq 0 ] || fail "the second user got the first one's"
[ "$(shown "${users[0]}" "to the second user")" -eq 0 ] || fail "the first user got the second one's"
if grep -q "to the .* user" "$work/third.out"; then fail "the third user got a message of another"; fi
echo "ok: a message to a user's login name reached that user alone"

wait_for third '^told ' 30 >/dev/null
grep -qx "told 0" "$work/third.out" || fail "the squatted names were told: $(grep '^told' "$work/third.out")"
echo "ok: the names the third user took first were told nothing, and silenced nobody"
for index in 0 1; do
    echo quit >&$((3 + index))
    wait_for "${users[$index]}" '^bye$' >/dev/null
done
echo "PASS"
