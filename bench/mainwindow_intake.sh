#!/usr/bin/env bash
# Intake of the running program on a namespace LAN (root): a saturating sender on another host
# floods it; per round it reports the messages stored per second (first sent to last stored), the
# longest receive tick meanwhile, the datagrams counted lost, and the delay of a message that
# arrives right behind 300 identification answers; then the medians of the rounds.
# usage: bench/mainwindow_intake.sh BUILD-DIRECTORY [ROUNDS] [MESSAGES]
set -euo pipefail

build="${1:?usage: $0 BUILD-DIRECTORY [ROUNDS] [MESSAGES]}"
rounds="${2:-5}" messages="${3:-5000}"
source "$(dirname "$0")/../tests/lan/lan_kit.sh"
need_root
source "$(dirname "$0")/../tests/lan/intake_hosts.sh"

# Asks for the statistics and prints the answer (the n-th "stats" line for the n-th request).
asked=0
stats() {
    asked=$((asked + 1))
    printf 'stats\n' >&3
    for _ in $(seq 500); do
        [ "$(count_lines A '^stats	')" -ge "$asked" ] && break
        sleep 0.02
    done
    grep -a '^stats	' "$work/A.out" | sed -n "${asked}p"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

start_peer
: >"$work/rates" && : >"$work/ticks" && : >"$work/delays"
for round in $(seq "$rounds"); do
    stats >/dev/null
    first="$(flood "$messages" 0 "1r$round-{n}" | awk '/^first/ { print $2 }')"
    shown="$(wait_for A "^shown	[0-9]+	PMFLOOD	PMHOSTA	r$round-$messages	" 60 | cut -f2)"
    read -r _ tick lost buffer < <(stats)
    stored="$(count_lines A "^shown	[0-9]+	PMFLOOD	PMHOSTA	r$round-")"
    rate=$((stored * 1000000 / (shown - first)))
    out="$(flood 300 0 '4Pelimo : Identification Answer' 'PMPEER{n}' "1behind $round")"
    last="$(awk '/^last/ { print $2 }' <<<"$out")"
    behind="$(wait_for A "^shown	[0-9]+	PMFLOOD	PMHOSTA	behind $round	" | cut -f2)"
    delay=$(((behind - last) / 1000))
    echo "round $round: $stored of $messages stored, $rate messages/s, longest tick $((tick / 1000)).$(((tick % 1000) / 100)) ms, lost $lost, behind 300 answers $delay ms (receive buffer $buffer bytes)"
    echo "$rate" >>"$work/rates" && echo "$tick" >>"$work/ticks" && echo "$delay" >>"$work/delays"
done
echo "median of $rounds rounds: $(median <"$work/rates") messages/s stored (aim >= 2000)," \
    "longest tick $(median <"$work/ticks") us (aim <= 50000)," \
    "delay behind 300 answers $(median <"$work/delays") ms (aim <= 200)"
printf 'quit\n' >&3
wait_for A '^bye$' >/dev/null
