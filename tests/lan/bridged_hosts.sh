# Sourced by the multi-host tests: hosts in network namespaces joined by a bridge that lives in a
# namespace of its own. Nothing reaches the machine's own network.
#   bridged_hosts_create TAG PREFIX SIDE...   namespaces TAG<side> (lower case) and TAGbr; host
#                                             number i of the sides gets PREFIX.i/24 on its eth0
#   bridged_hosts_delete TAG SIDE...
bridged_hosts_create() {
    local tag="$1" prefix="$2" number=0 side ns
    shift 2
    ip netns add "${tag}br"
    ip -n "${tag}br" link set lo up
    ip -n "${tag}br" link add br0 type bridge
    ip -n "${tag}br" link set br0 up
    for side in "$@"; do
        number=$((number + 1))
        ns="${tag}${side,,}"
        ip netns add "$ns"
        ip -n "$ns" link set lo up
        ip netns exec "$ns" sysctl -qw net.ipv6.conf.all.disable_ipv6=1
        ip link add "${tag}$side" type veth peer name "port$side" netns "${tag}br"
        ip link set "${tag}$side" netns "$ns"
        ip -n "$ns" link set "${tag}$side" name eth0
        ip -n "$ns" addr add "$prefix.$number/24" broadcast "$prefix.255" dev eth0
        ip -n "$ns" link set eth0 up
        ip -n "${tag}br" link set "port$side" master br0
        ip -n "${tag}br" link set "port$side" up
    done
}

bridged_hosts_delete() {
    local tag="$1" side
    shift
    for side in "$@"; do ip netns del "${tag}${side,,}" 2>/dev/null || true; done
    ip netns del "${tag}br" 2>/dev/null || true
}
