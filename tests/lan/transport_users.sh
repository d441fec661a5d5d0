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
skip() { echo "SKIP: $*"; exit 77; }
[ "$(id -u)" -eq 0 ] || skip "needs root to create users and network namespaces"
for tool in ip unshare ss setpriv setcap getpcaps useradd userdel; do
    command -v "$tool" >/dev/null || skip "$tool is missing"
done
[ -x /usr/bin/python3 ] || skip "/usr/bin/python3 is missing"
peer="$build/tests/mainwindow/pelimo-lan-peer"
for program in "$peer" "$build/pelimo-router" "$build/pelimo-send"; do
    [ -x "$program" ] || skip "$program is not built"
done

source "$(dirname "$0")/intake_hosts.sh"
users=("pm$(($$ % 100000))a" "pm$(($$ % 100000))b" "pm$(($$ % 100000))c")
pids=()
router=""
finish() {
    for pid in "${pids[@]}" $router; do kill -KILL "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    for user in "${users[@]}"; do userdel "$user" 2>/dev/null || true; done
    cleanup
}
trap finish EXIT
fail() {
    echo "FAIL: $*" >&2
    for f in "$work"/*.out "$work"/*.err; do [ -s "$f" ] && { echo "--- $f"; tail -n 20 "$f"; }; done >&2
    exit 1
}

for user in "${users[@]}"; do
    useradd --system --no-create-home --shell /usr/sbin/nologin --user-group "$user"
done
chmod 755 "$work"

# Each user's own copy of the program and of the router, in a folder of its own.
on_b() {  # user command...: on host B as that user, with the environment of a bare session
    local user="$1"; shift
    # Each step execs the next: $! of "on_b ... &" is the program itself.
    exec ip netns exec "$nsB" unshare --uts sh -c 'hostname pmhostb; exec "$@"' sh \
        setpriv --reuid="$user" --regid="$user" --init-groups \
        env -i PATH=/usr/bin:/bin HOME="$work/$user" QT_QPA_PLATFORM=offscreen "$@"
}
start_user() {  # index
    local user="${users[$1]}"
    mkdir -p "$work/$user"
    cp "$peer" "$work/$user/pelimo"
    cp "$build/pelimo-router" "$build/orglng.lng" "$work/$user/"
    printf '[Setting]\r\nOpenWindows=0\r\nPlaySound=0\r\nMinimizedWindows=0\r\n' >"$work/$user/Settings.ini"
    chown -R "$user:" "$work/$user"
    setcap cap_net_bind_service=+ep "$work/$user/pelimo-router"
    mkfifo "$work/$user.in"
    on_b "$user" "$work/$user/pelimo" <"$work/$user.in" >"$work/$user.out" 2>"$work/$user.err" &
    pids+=("$!")
    eval "exec $((3 + $1))>\"$work/$user.in\""
}
wait_in() {  # file pattern [seconds]
    local deadline=$((SECONDS + ${3:-15}))
    until grep -q -E -- "$2" "$1" 2>/dev/null; do
        [ "$SECONDS" -le "$deadline" ] || fail "$1 never showed /$2/"
        sleep 0.05
    done
}
shown() {  # user text: how many times that user's program showed the text
    grep -c -E "^shown	[0-9]+	PMHOSTA	[^	]*	$2	" "$work/$1.out" || true
}

# The third user takes the names first.
third="${users[2]}"
mkfifo "$work/third.in"
on_b "$third" /usr/bin/python3 -B "$here/transport_users.py" squat 20 \
    <"$work/third.in" >"$work/third.out" 2>"$work/third.err" &
pids+=("$!")
exec 6>"$work/third.in"
wait_in "$work/third.out" '^ready'

start_user 0
wait_in "$work/${users[0]}.out" '^ready	PMHOSTB$'
start_user 1
wait_in "$work/${users[1]}.out" '^ready	PMHOSTB$'
for _ in $(seq 100); do
    router="$(ip netns exec "$nsB" ss -Hulnp 'sport = :138' | grep -o 'pid=[0-9]*' | head -n1 | cut -d= -f2)"
    [ -n "$router" ] && break
    sleep 0.05
done
[ -n "$router" ] || fail "no router holds UDP port 138 on B"
echo >&6
wait_in "$work/third.out" '^took-router'
grep -qx "registered 0" "$work/third.out" || fail "the third user could not take a mailslot of its own"
grep -qx "took-router 98" "$work/third.out" || fail "the third user could take the router's name"

# Capabilities: none in the programs, the bind right alone in the router.
for index in 0 1; do
    caps="$(getpcaps "${pids[$((index + 1))]}" 2>&1)"
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
    ip netns exec "$nsA" unshare --uts sh -c 'hostname pmhosta; exec "$@"' sh \
        "$work/A/pelimo-send" --no-resolver "$1" "$2" || fail "pelimo-send $1 failed"
}
send pmhostb "to the computer"
for user in "${users[0]}" "${users[1]}"; do
    wait_in "$work/$user.out" "^shown	[0-9]+	PMHOSTA	pmhostb	to the computer	"
done
wait_in "$work/third.out" '^delivered pmhostb\|1to the computer$'
echo "ok: a message to the computer reached both users and the third one"
send "${users[0]}" "to the first user"
wait_in "$work/${users[0]}.out" "^shown	[0-9]+	PMHOSTA	${users[0]}	to the first user	"
send "${users[1]}" "to the second user"
wait_in "$work/${users[1]}.out" "^shown	[0-9]+	PMHOSTA	${users[1]}	to the second user	"
send pmhostb "marker"
for user in "${users[0]}" "${users[1]}"; do
    wait_in "$work/$user.out" "^shown	[0-9]+	PMHOSTA	pmhostb	marker	"
done
wait_in "$work/third.out" '^delivered pmhostb\|1marker$'
[ "$(shown "${users[1]}" "to the first user")" -eq 0 ] || fail "the second user got the first one's"
[ "$(shown "${users[0]}" "to the second user")" -eq 0 ] || fail "the first user got the second one's"
if grep -q "to the .* user" "$work/third.out"; then fail "the third user got a message of another"; fi
echo "ok: a message to a user's login name reached that user alone"

wait_in "$work/third.out" '^told ' 30
grep -qx "told 0" "$work/third.out" || fail "the squatted names were told: $(grep '^told' "$work/third.out")"
echo "ok: the names the third user took first were told nothing, and silenced nobody"
for index in 0 1; do
    echo quit >&$((3 + index))
    wait_in "$work/${users[$index]}.out" '^bye$'
done
echo "PASS"
