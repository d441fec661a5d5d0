#!/usr/bin/python3
"""A hostile host of the LAN for the transport tests: sends identification requests under names
and addresses of its choosing, and listens on the datagram port for what comes back. Datagrams
are built by nbds_flood.py's encoder, independently of the program.

usage: transport_hostile.py request SRC_IP DST_IP DST_NAME SENDER [spoof|header IP]
         one identification request (kind 3) from the computer name SENDER; "spoof IP" sends it
         with that IP source address (raw socket), "header IP" only names it in the NBDS header
       transport_hostile.py listen BIND_IP SECONDS
         prints "ready", then one line per datagram received on UDP 138 within SECONDS:
         PEER_IP|SOURCE_NAME|DESTINATION_NAME|FIELD1|FIELD2|FIELD3
"""
import select
import socket
import struct
import sys
import time

sys.dont_write_bytecode = True  # no cache beside the test sources
from nbds_flood import datagram  # noqa: E402

REQUEST = "3Pelimo : Identification Request"


def request(src_ip, dst_ip, target, sender, how=None, claimed=None):
    data = (sender + "\0" + target + "\0" + REQUEST + "\0").encode("cp1252")
    packet = datagram(claimed or src_ip, sender, target, "pelimo", data)
    if how != "spoof":
        sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        sock.bind((src_ip, 0))
        sock.sendto(packet, (dst_ip, 138))
        return
    # IP and UDP headers written here; the kernel fills the IP checksum and length.
    udp = struct.pack(">HHHH", 138, 138, 8 + len(packet), 0) + packet
    ip = struct.pack(">BBHHHBBH4s4s", 0x45, 0, 0, 0, 0, 64, socket.IPPROTO_UDP, 0,
                     socket.inet_aton(claimed), socket.inet_aton(dst_ip))
    sock = socket.socket(socket.AF_INET, socket.SOCK_RAW, socket.IPPROTO_RAW)
    sock.sendto(ip + udp, (dst_ip, 0))


def netbios_name(encoded):
    raw = bytes(((encoded[i] - 0x41) << 4) | (encoded[i + 1] - 0x41) for i in range(0, 32, 2))
    return raw[:15].decode("cp1252").rstrip()


def describe(peer, packet):
    source = netbios_name(packet[15:47])
    destination = netbios_name(packet[49:81])
    smb = packet[82:]
    data_count, data_offset = struct.unpack("<HH", smb[55:59])
    fields = smb[data_offset:data_offset + data_count].decode("cp1252").split("\0")
    return "|".join([peer, source, destination] + fields[:3])


def listen(bind_ip, seconds):
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.bind((bind_ip, 138))
    print("ready", flush=True)
    deadline = time.monotonic() + float(seconds)
    while True:
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([sock], [], [], left)[0]:
            return
        packet, (peer, _) = sock.recvfrom(65535)
        try:
            print(describe(peer, packet), flush=True)
        except (struct.error, IndexError, ValueError):
            print(peer + "|malformed", flush=True)


if __name__ == "__main__":
    if sys.argv[1] == "request":
        request(*sys.argv[2:])
    elif sys.argv[1] == "listen":
        listen(*sys.argv[2:])
    else:
        sys.exit(__doc__)
