#!/usr/bin/env python3
"""Sends one PCP request (RFC 6887) to the router and prints its answer, for checking tests/net/router.sh.

    pcp_probe.py announce
    pcp_probe.py map --protocol tcp --port 4000 [--external-port 4000] [--lifetime 7200] [--nonce HEX]

Prints one line: result=<code> (<name>) lifetime=<s> epoch=<s>, and for MAP protocol=, internal=,
external=<address>:<port> and nonce=; or "no answer" (exit status 1) when none came within --timeout.
"""
import argparse
import ipaddress
import os
import socket
import struct
import sys

VERSION = 2
ANNOUNCE, MAP = 0, 1
RESULTS = {
    0: "SUCCESS", 1: "UNSUPP_VERSION", 2: "NOT_AUTHORIZED", 3: "MALFORMED_REQUEST", 4: "UNSUPP_OPCODE",
    5: "UNSUPP_OPTION", 6: "MALFORMED_OPTION", 7: "NETWORK_FAILURE", 8: "NO_RESOURCES",
    9: "UNSUPP_PROTOCOL", 10: "USER_EX_QUOTA", 11: "CANNOT_PROVIDE_EXTERNAL", 12: "ADDRESS_MISMATCH",
    13: "EXCESSIVE_REMOTE_PEERS",
}
PROTOCOLS = {"tcp": 6, "udp": 17, "all": 0}


def mapped(address):
    """An IPv4 address as PCP carries it: IPv4-mapped IPv6, 16 bytes."""
    return ipaddress.IPv6Address("::ffff:" + address).packed


def unmapped(packed):
    address = ipaddress.IPv6Address(packed)
    return str(address.ipv4_mapped) if address.ipv4_mapped else str(address)


def request(opcode, lifetime, client, args, nonce):
    header = struct.pack("!BBHI", VERSION, opcode, 0, lifetime) + mapped(client)
    if opcode == ANNOUNCE:
        return header
    return header + nonce + struct.pack("!B3xHH", PROTOCOLS[args.protocol], args.port, args.external_port) \
        + mapped(args.external_address)


def describe(data, opcode):
    if len(data) < 24:
        return "short answer of %d bytes: %s" % (len(data), data.hex())
    version, r_opcode, _, result, lifetime, epoch = struct.unpack("!BBBBII", data[:12])
    line = "result=%d (%s) lifetime=%d epoch=%d" % (result, RESULTS.get(result, "?"), lifetime, epoch)
    if version != VERSION or r_opcode != (0x80 | opcode):
        line += " version=%d opcode=0x%02x" % (version, r_opcode)
    if opcode == MAP and len(data) >= 60:
        nonce = data[24:36]
        protocol, internal, external = struct.unpack("!B3xHH", data[36:44])
        line += " protocol=%d internal=%d external=%s:%d nonce=%s" % (
            protocol, internal, unmapped(data[44:60]), external, nonce.hex())
    return line


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("opcode", choices=["announce", "map"])
    parser.add_argument("--server", default="192.168.77.1")
    parser.add_argument("--server-port", type=int, default=5351)
    parser.add_argument("--protocol", choices=sorted(PROTOCOLS), default="tcp")
    parser.add_argument("--port", type=int, default=0, help="internal port (MAP)")
    parser.add_argument("--external-port", type=int, default=0, help="suggested external port (MAP)")
    parser.add_argument("--external-address", default="0.0.0.0", help="suggested external address (MAP)")
    parser.add_argument("--lifetime", type=int, default=None, help="requested lifetime (MAP 7200, ANNOUNCE 0)")
    parser.add_argument("--nonce", help="12 bytes in hex (MAP; random when not given)")
    parser.add_argument("--timeout", type=float, default=2.0)
    args = parser.parse_args()

    opcode = MAP if args.opcode == "map" else ANNOUNCE
    lifetime = args.lifetime if args.lifetime is not None else (7200 if opcode == MAP else 0)
    nonce = bytes.fromhex(args.nonce) if args.nonce else os.urandom(12)
    if len(nonce) != 12:
        parser.error("--nonce takes 12 bytes")

    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as sock:
        sock.connect((args.server, args.server_port))
        client = sock.getsockname()[0]
        sock.settimeout(args.timeout)
        sock.send(request(opcode, lifetime, client, args, nonce))
        try:
            data = sock.recv(1100)
        except (socket.timeout, ConnectionRefusedError) as error:
            print("no answer (%s)" % ("timed out" if isinstance(error, socket.timeout) else "refused"))
            return 1
    print(describe(data, opcode))
    return 0


if __name__ == "__main__":
    sys.exit(main())
