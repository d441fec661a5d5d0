# Sourced by the desktop tests: a private D-Bus session bus in a folder of the test, never the
# machine's own. It listens on a socket file (reachable from every network namespace), starts no
# service by activation, and is stopped by the process id it printed.
#   private_bus_start DIR   exports DBUS_SESSION_BUS_ADDRESS and sets private_bus_pid
#   private_bus_stop
private_bus_pid=""

private_bus_start() {
    local dir="$1"
    cat >"$dir/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=$dir/bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
    dbus-daemon --config-file="$dir/bus.conf" --fork --print-address=3 --print-pid=4 \
        3>"$dir/bus.address" 4>"$dir/bus.pid"
    private_bus_pid="$(head -1 "$dir/bus.pid")"
    DBUS_SESSION_BUS_ADDRESS="$(head -1 "$dir/bus.address")"
    export DBUS_SESSION_BUS_ADDRESS
}

private_bus_stop() {
    [ -n "$private_bus_pid" ] && kill "$private_bus_pid" 2>/dev/null || true
    private_bus_pid=""
}
