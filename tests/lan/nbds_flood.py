#!/usr/bin/python3
"""Sends mailslot datagrams (NetBIOS datagram service, direct unique) to one computer, encoded
here independently of the program, at a given rate. Prints "last MICROSECONDS" after the last one
(wall clock, shared by every namespace of the machine).

usage: nbds_flood.py SRC_IP DST_IP DST_NAME COUNT RATE PAYLOAD [SENDER] [TAIL]
  RATE     datagrams per second; 0 sends as fast as the socket takes them
  PAYLOAD  the third field; "{n}" is replaced by the datagram's number (1 to COUNT)
  SENDER   the sender computer name; "{n}" as above (default PMFLOOD)
  TAIL     one more datagram right behind the others, from PMFLOOD, with this payload
Prints "first MICROSECONDS" too, the time of the first datagram.
"""
import socket
import struct
import sys
import time


def netbios(name, suffix=0):
    raw = name.upper().ljust(15)[:15].encode() + bytes([suffix])
    return b"\x20" + bytes(c for b in raw for c in (0x41 + (b >> 4), 0x41 + (b & 15))) + b"\x00"


def datagram(src_ip, sender, target, channel, data):
    name = b"\\MAILSLOT\\" + channel.encode() + b"\0"
    offset = 69 + len(name)
    offset += -offset % 4
    words = struct.pack("<HHHHBBHIHHHHHBBHHH", 0, len(data), 0, 0, 0, 0, 2, 0, 0, 0, offset,
                        len(data), offset, 3, 0, 1, 0, 2)
    smb = b"\xffSMB\x25" + bytes(27) + b"\x11" + words
    smb += struct.pack("<H", offset - 69 + len(data)) + name + bytes(offset - 69 - len(name)) + data
    body = netbios(sender) + netbios(target) + smb
    header = struct.pack(">BBH4sHHH", 0x10, 0x02, 4711, socket.inet_aton(src_ip), 138, len(body), 0)
    return header + body


def main():
    src_ip, dst_ip, target, count, rate, payload = sys.argv[1:7]
    sender = sys.argv[7] if len(sys.argv) > 7 else "PMFLOOD"
    tail = sys.argv[8] if len(sys.argv) > 8 else None
    count, rate = int(count), float(rate)
    messages = [(sender.replace("{n}", str(n)), payload.replace("{n}", str(n)))
                for n in range(1, count + 1)]
    if tail is not None:
        messages.append(("PMFLOOD", tail))
    packets = []
    for who, text in messages:
        data = (who + "\0" + target + "\0" + text + "\0").encode("cp1252")
        packets.append(datagram(src_ip, who, target, "pelimo", data))
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_SNDBUF, 4 << 20)
    sock.bind((src_ip, 0))
    start = time.monotonic()
    print("first %d" % (time.time_ns() // 1000), flush=True)
    for n, packet in enumerate(packets):
        if rate > 0:
            wait = start + n / rate - time.monotonic()
            if wait > 0:
                time.sleep(wait)
        while True:
            try:
                sock.sendto(packet, (dst_ip, 138))
                break
            except BlockingIOError:
                time.sleep(0.0005)
    print("last %d" % (time.time_ns() // 1000), flush=True)


if __name__ == "__main__":
    main()
