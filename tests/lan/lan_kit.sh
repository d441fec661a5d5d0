# Sourced by the multi-host tests and their benchmarks. Hosts are network namespaces joined by a
# bridge that lives in a namespace of its own, so nothing reaches the machine's own network; every
# name carries the caller's $$, so parallel runs do not collide. Needs bash.
#
#   skip REASON                      prints it and exits 77 (ctest: skipped)
#   need_root REASON / need_tools TOOL... / need_files FILE...   skip unless met
#   lan_begin PREFIX                 $tag (PREFIX and $$), $work (a fresh folder), the cleanup on
#                                    exit: started processes end, then every lan_at_exit command
#                                    runs, the namespaces go, $work goes
#   lan_at_exit COMMAND...           one more step of the cleanup (unmounts, users, files)
#   lan_hosts NET SIDE...            a namespace per side with eth0 at NET.<n>/24, n counting from
#                                    1; sets ns<SIDE> and ip<SIDE>
#   lan_link SIDE IFNAME ADDRESS     one more interface of a host on the bridge
#   on_host [--bind FROM TO]... SIDE HOSTNAME COMMAND...   runs in the host's namespace under its
#                                    own hostname (and the bind mounts, in a mount namespace)
#   start_on_host [--bind FROM TO]... [--io NAME] SIDE HOSTNAME COMMAND...   the same in the
#                                    background: $started is the command's own PID (each step
#                                    execs the next), which the cleanup ends; with --io it reads
#                                    the new pipe $work/NAME.in and writes $work/NAME.out and .err
#   app_folder FOLDER PROGRAM [SETTING...]   a program folder: PROGRAM as pelimo, the router, the
#                                    language file, Settings.ini with no windows or sounds
#   fail MESSAGE                     prints it and the end of every output and log, exits 1
#   wait_for SIDE|FILE PATTERN [SECONDS]   waits for a line of $work/SIDE.out (or FILE) matching
#                                    the extended regular expression; prints the latest such line
#   count_lines SIDE|FILE PATTERN    how many lines match
#   wait_count SIDE|FILE PATTERN COUNT [SECONDS]   waits until at least COUNT lines match
# Expects $build (the build folder) for app_folder.

skip() {
    echo "SKIP: $*"
    exit 77
}
need_root() { [ "$(id -u)" -eq 0 ] || skip "needs root ${1:-to create network namespaces}"; }
need_tools() {
    local tool
    for tool in "$@"; do command -v "$tool" >/dev/null || skip "$tool is missing"; done
}
need_files() {
    local file
    for file in "$@"; do [ -e "$file" ] || skip "$file is missing (not built?)"; done
}

lan_here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
pids=()
lan_namespaces=()
lan_exit_steps=()
lan_links=0
fail_logs=()  # more files whose end fail prints

lan_begin() {  # prefix
    tag="$1$$"
    work="$(mktemp -d "/tmp/$1-lan.XXXXXX")"
    chmod 755 "$work"
    trap lan_cleanup EXIT
    trap 'exit 1' INT TERM HUP
}
lan_at_exit() { lan_exit_steps+=("$(printf '%q ' "$@")"); }

# Ends the processes by their PIDs: TERM (and CONT for a stopped one), KILL after 5 s.
lan_end() {  # pid...
    [ $# -gt 0 ] || return 0
    local pid
    kill -TERM "$@" 2>/dev/null || true
    kill -CONT "$@" 2>/dev/null || true
    for _ in $(seq 50); do
        kill -0 "$@" 2>/dev/null || break
        sleep 0.1
    done
    kill -KILL "$@" 2>/dev/null || true
    for pid in "$@"; do wait "$pid" 2>/dev/null || true; done
}

lan_cleanup() {
    local ns step pid running live=()
    # Only what still runs as a child of this shell: a PID already waited for may be another's.
    running=" $(jobs -p | tr '\n' ' ') "
    for pid in "${pids[@]}"; do [[ "$running" == *" $pid "* ]] && live+=("$pid"); done
    lan_end "${live[@]}"
    # Whatever the programs and daemons forked lives in the namespaces made here.
    for ns in "${lan_namespaces[@]}"; do
        lan_end $(ip netns pids "$ns" 2>/dev/null)
    done
    for step in "${lan_exit_steps[@]}"; do eval "$step" || true; done
    for ns in "${lan_namespaces[@]}"; do ip netns del "$ns" 2>/dev/null || true; done
    [ -z "${work:-}" ] || rm -rf "$work"
}

lan_namespace() {  # name
    ip netns add "$1"
    lan_namespaces+=("$1")
    ip -n "$1" link set lo up
    ip netns exec "$1" sysctl -qw net.ipv6.conf.all.disable_ipv6=1
    ip netns exec "$1" sysctl -qw net.ipv6.conf.default.disable_ipv6=1
}

lan_hosts() {  # net side...
    local net="$1" side number=0
    shift
    lan_namespace "${tag}br"
    ip -n "${tag}br" link add br0 type bridge
    ip -n "${tag}br" link set br0 up
    for side in "$@"; do
        number=$((number + 1))
        lan_namespace "${tag}${side,,}"
        declare -g "ns$side=${tag}${side,,}" "ip$side=$net.$number"
        lan_link "$side" eth0 "$net.$number"
    done
}

lan_link() {  # side ifname address
    local ns="ns$1"
    ns="${!ns}"
    lan_links=$((lan_links + 1))
    ip link add "${tag}v$lan_links" type veth peer name "port$lan_links" netns "${tag}br"
    ip link set "${tag}v$lan_links" netns "$ns"
    ip -n "$ns" link set "${tag}v$lan_links" name "$2"
    ip -n "$ns" addr add "$3/24" brd + dev "$2"
    ip -n "$ns" link set "$2" up
    ip -n "${tag}br" link set "port$lan_links" master br0
    ip -n "${tag}br" link set "port$lan_links" up
}

# Sets host_command to run a command on a host (see on_host).
lan_host_command() {
    local binds=() ns
    while [ "$1" = --bind ]; do
        binds+=("$2" "$3")
        shift 3
    done
    ns="ns$1"
    ns="${!ns}"
    if [ ${#binds[@]} -eq 0 ]; then
        host_command=(ip netns exec "$ns" unshare --uts sh -c 'hostname "$0"; exec "$@"' "$2")
    else
        host_command=(ip netns exec "$ns" unshare --uts --mount sh -c \
            'hostname "$0"; while [ "$1" != -- ]; do mount --bind "$1" "$2"; shift 2; done; shift; exec "$@"' \
            "$2" "${binds[@]}" --)
    fi
}
on_host() {
    local binds=()
    while [ "$1" = --bind ]; do binds+=("$1" "$2" "$3"); shift 3; done
    lan_host_command "${binds[@]}" "$1" "$2"
    shift 2
    "${host_command[@]}" "$@"
}
start_on_host() {
    local binds=() io=""
    while :; do
        case "$1" in
        --bind) binds+=("$1" "$2" "$3"); shift 3 ;;
        --io) io="$2"; shift 2 ;;
        *) break ;;
        esac
    done
    lan_host_command "${binds[@]}" "$1" "$2"
    shift 2
    if [ -n "$io" ]; then
        # Redirected here, in the background: opening the pipe waits for its writer.
        mkfifo "$work/$io.in"
        "${host_command[@]}" "$@" <"$work/$io.in" >"$work/$io.out" 2>"$work/$io.err" &
    else
        "${host_command[@]}" "$@" &
    fi
    started=$!
    pids+=("$started")
}

app_folder() {  # folder program [setting...]
    local folder="$1" program="$2" setting
    shift 2
    mkdir -p "$folder"
    cp "$program" "$folder/pelimo"
    cp "$build/pelimo-router" "$build/orglng.lng" "$folder/"
    {
        printf '[Setting]\r\nOpenWindows=0\r\nPlaySound=0\r\nMinimizedWindows=0\r\n'
        for setting in "$@"; do printf '%s\r\n' "$setting"; done
    } >"$folder/Settings.ini"
}

fail() {
    local file
    {
        echo "FAIL: $*"
        for file in "$work"/*.out "$work"/*.err "$work"/*.log "${fail_logs[@]}"; do
            [ -s "$file" ] && { echo "--- $file"; tail -n 40 "$file"; }
        done
    } >&2
    exit 1
}

lan_output() {  # side|file
    case "$1" in */*) echo "$1" ;; *) echo "$work/$1.out" ;; esac
}
count_lines() {
    grep -a -c -E -- "$2" "$(lan_output "$1")" 2>/dev/null || true
}
wait_for() {  # side|file pattern [seconds]
    local file line deadline=$((SECONDS + ${3:-20}))
    file="$(lan_output "$1")"
    while [ "$SECONDS" -le "$deadline" ]; do
        line="$(grep -a -E -- "$2" "$file" 2>/dev/null | tail -n 1 || true)"
        [ -n "$line" ] && { printf '%s\n' "$line"; return 0; }
        sleep 0.05
    done
    fail "$file never showed /$2/"
}
wait_count() {  # side|file pattern count [seconds]
    local deadline=$((SECONDS + ${4:-20}))
    until [ "$(count_lines "$1" "$2")" -ge "$3" ]; do
        [ "$SECONDS" -le "$deadline" ] || fail "$(lan_output "$1") never showed /$2/ $3 times"
        sleep 0.05
    done
}
