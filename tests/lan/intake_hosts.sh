# Sourced (after lan_kit.sh) by the intake tests and their benchmark: two hosts on a bridge. A
# (10.77.6.1, PMHOSTA) runs the program; B (10.77.6.2) floods it with datagrams encoded by
# nbds_flood.py. Needs root; the caller checks.
# Expects: $build (the build folder). Defines: $work, $apid, start_program, start_peer, stop_a,
# flood, stored_count, now_us.

lan_begin pmi
lan_hosts 10.77.6 A B
apid=""

# The program on A, started from a fresh program folder: $1 is the program to copy in, the
# options before it go to start_on_host.
start_a() {
    local io=()
    [ "$1" = --io ] && { io=("$1" "$2"); shift 2; }
    rm -rf "$work/A" "$work/A.in"
    app_folder "$work/A" "$1"
    start_on_host "${io[@]}" A pmhosta env QT_QPA_PLATFORM=offscreen "$work/A/pelimo"
    apid=$started
}

# The real program on A, waited for until it routes datagrams.
start_program() {
    start_a "$build/pelimo" >"$work/A.out" 2>"$work/A.err"
    for _ in $(seq 200); do
        ip netns exec "$nsA" ss -Hlun 'sport = :138' | grep -q . && return 0
        sleep 0.05
    done
    fail "the program on A never bound the datagram port"
}

# The program driven from standard input (tests/mainwindow/lan_peer.cpp) on A; fd 3 writes to it.
start_peer() {
    start_a --io A "$build/tests/mainwindow/pelimo-lan-peer"
    exec 3>"$work/A.in"
    wait_for A '^ready	PMHOSTA$' >/dev/null
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
    ip netns exec "$nsB" /usr/bin/python3 "$lan_here/nbds_flood.py" "$ipB" "$ipA" PMHOSTA "$@"
}

# Entries of A's Histo.dat whose text starts with $1.
stored_count() {
    grep -c -a "^\"$1" "$work/A/Histo.dat" 2>/dev/null || true
}

now_us() { echo $(($(date +%s%N) / 1000)); }
