#!/usr/bin/python3
"""A hostile WS-Discovery host for the address book's multi-host test, and a watcher of the
third host it names.

usage: addressbook_wsd_hostile.py responder OWN_IP THIRD_IP LOG
         Answers every Probe with a flood of ProbeMatches (64 matches per datagram, 20
         datagrams): matches whose XAddrs name the third host, a DNS name or a user part, one
         naming its own address (its HTTP port accepts and never answers), and many without
         XAddrs (each asks for a Resolve, whose answer names the third host again).
         Appends "probe", "resolve" and "http" lines to LOG, one per message or connection.
       addressbook_wsd_hostile.py watch OWN_IP LOG PORT...
         Accepts TCP connections on the ports and appends "connect PORT PEER" to LOG for each.
"""
import re
import select
import socket
import struct
import sys
import uuid

GROUP = "239.255.255.250"
PORT = 3702
HTTP_PORT = 5357
MATCHES = 64
DATAGRAMS = 20

ENVELOPE = (
    '<?xml version="1.0" encoding="utf-8"?>'
    '<soap:Envelope xmlns:soap="http://www.w3.org/2003/05/soap-envelope" '
    'xmlns:wsa="http://schemas.xmlsoap.org/ws/2004/08/addressing" '
    'xmlns:wsd="http://schemas.xmlsoap.org/ws/2005/04/discovery">'
    "<soap:Header><wsa:Action>{action}</wsa:Action>"
    "<wsa:MessageID>urn:uuid:{id}</wsa:MessageID>"
    "<wsa:RelatesTo>{relates}</wsa:RelatesTo></soap:Header>"
    "<soap:Body>{body}</soap:Body></soap:Envelope>")
ACTION = "http://schemas.xmlsoap.org/ws/2005/04/discovery/"


def match(tag, endpoint, xaddrs):
    addrs = f"<wsd:XAddrs>{xaddrs}</wsd:XAddrs>" if xaddrs else ""
    return (f"<wsd:{tag}><wsa:EndpointReference><wsa:Address>{endpoint}</wsa:Address>"
            f"</wsa:EndpointReference><wsd:Types>wsdp:Device pub:Computer</wsd:Types>"
            f"{addrs}<wsd:MetadataVersion>1</wsd:MetadataVersion></wsd:{tag}>")


def envelope(kind, relates, matches):
    body = f"<wsd:{kind}>{''.join(matches)}</wsd:{kind}>"
    return ENVELOPE.format(action=ACTION + kind, id=uuid.uuid4(), relates=relates,
                           body=body).encode()


def log(path, line):
    with open(path, "a") as out:
        out.write(line + "\n")


def responder(own, third, path):
    udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    udp.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    udp.bind(("", PORT))
    udp.setsockopt(socket.IPPROTO_IP, socket.IP_ADD_MEMBERSHIP,
                   struct.pack("4s4s", socket.inet_aton(GROUP), socket.inet_aton(own)))
    http = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    http.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    http.bind((own, HTTP_PORT))
    http.listen(64)
    held = []
    elsewhere = (f"http://{third}:25/ http://{third}:6379/ http://evil.example.com:{HTTP_PORT}/x "
                 f"http://{own}@{third}:{HTTP_PORT}/ http://{third}:{HTTP_PORT}/")
    log(path, "ready")
    while True:
        ready, _, _ = select.select([udp, http], [], [])
        if http in ready:
            connection, peer = http.accept()
            held.append(connection)  # accepted, read from never, answered never
            log(path, f"http {peer[0]}")
        if udp not in ready:
            continue
        data, sender = udp.recvfrom(65536)
        text = data.decode("utf-8", "replace")
        found = re.search(r"MessageID>([^<]+)<", text)
        if not found:
            continue
        relates = found.group(1)
        if "discovery/Probe<" in text:
            log(path, "probe")
            for n in range(DATAGRAMS):
                matches = [match("ProbeMatch", f"urn:uuid:third-{n}", elsewhere),
                           match("ProbeMatch", f"urn:uuid:own-{n}",
                                 f"http://{own}:{HTTP_PORT}/own-{n}")]
                matches += [match("ProbeMatch", f"urn:uuid:bare-{n}-{k}", "")
                            for k in range(MATCHES - len(matches))]
                udp.sendto(envelope("ProbeMatches", relates, matches), sender)
        elif "discovery/Resolve<" in text:
            log(path, "resolve")
            endpoint = re.search(r"Address>([^<]+)<", text.split("Body")[1]).group(1)
            udp.sendto(envelope("ResolveMatches", relates,
                                [match("ResolveMatch", endpoint, elsewhere)]), sender)


def watch(own, path, ports):
    listeners = []
    for port in ports:
        server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        server.bind((own, int(port)))
        server.listen(16)
        listeners.append(server)
    log(path, "ready")
    while True:
        ready, _, _ = select.select(listeners, [], [])
        for server in ready:
            connection, peer = server.accept()
            log(path, f"connect {server.getsockname()[1]} {peer[0]}")
            connection.close()


if __name__ == "__main__":
    if sys.argv[1] == "responder":
        responder(sys.argv[2], sys.argv[3], sys.argv[4])
    else:
        watch(sys.argv[2], sys.argv[3], sys.argv[4:])
