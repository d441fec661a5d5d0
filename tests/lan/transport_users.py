#!/usr/bin/python3
"""A third user of host B, for the several-users test: it takes the names a router and the old
local mailslots would use before anybody, then, once the others run, connects to the real
router as any program may and takes a mailslot of the channel for itself. It prints what it
learns, one line each:
  squatted NAME            a name it took
  registered RESULT        the router's answer to its registration (0: the mailslot is its own)
  took-router ERRNO        trying to take the real router's own name (98: EADDRINUSE)
  told N                   bytes programs wrote to the names it squatted
  delivered ADDRESSEE|TEXT each message the router handed it

usage: transport_users.py squat SECONDS   (prints "ready" once the names are taken, then waits
       for a line on standard input before it looks for the router)
"""
import os
import select
import socket
import struct
import sys
import time

PREFIX = b"pelimo/router/138/"


def listening(prefix):
    names = []
    with open("/proc/net/unix") as table:
        for line in table.readlines()[1:]:
            columns = line.split()
            if len(columns) == 8 and columns[7].startswith("@" + prefix.decode()):
                names.append(columns[7][1:].encode())
    return names


def main():
    seconds = float(sys.argv[2])
    squatters = []
    for name, kind in ((PREFIX + b"0", socket.SOCK_SEQPACKET),
                       (b"pelimo/mailslot/pelimo", socket.SOCK_DGRAM)):
        sock = socket.socket(socket.AF_UNIX, kind)
        sock.bind(b"\0" + name)
        if kind == socket.SOCK_SEQPACKET:
            sock.listen(8)
        sock.setblocking(False)
        squatters.append(sock)
        print("squatted", name.decode(), flush=True)
    print("ready", flush=True)
    sys.stdin.readline()
    routers = [name for name in listening(PREFIX) if name != PREFIX + b"0"]
    router = socket.socket(socket.AF_UNIX, socket.SOCK_SEQPACKET)
    router.connect(b"\0" + routers[0])
    router.send(b"\x01" + struct.pack(">H", 6) + b"pelimo")
    reply = router.recv(70000)
    print("registered", reply[1], flush=True)
    taken = socket.socket(socket.AF_UNIX, socket.SOCK_SEQPACKET)
    try:
        taken.bind(b"\0" + routers[0])
        print("took-router 0", flush=True)
    except OSError as error:
        print("took-router", error.errno, flush=True)
    told = 0
    connections = []
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        ready = select.select([router] + squatters + connections, [], [], 0.1)[0]
        for sock in ready:
            if sock is router:
                record = router.recv(70000)
                if not record:
                    return
                if record[0] == 0x82:  # a delivery: the envelope, then the three fields
                    fields = record[13:].decode("cp1252").split("\0")
                    print("delivered", fields[1] + "|" + fields[2], flush=True)
            elif sock is squatters[0]:
                connection, _ = sock.accept()
                connections.append(connection)
            else:
                try:
                    data = sock.recv(70000)
                except OSError:
                    data = b""
                told += len(data)
                if not data and sock in connections:
                    connections.remove(sock)
    print("told", told, flush=True)


main()
