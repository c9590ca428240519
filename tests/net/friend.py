"""One TCP and one UDP echo through the router, each bounded in time.

friend.py server ADDRESS PORT   on the PC, standing for the game server: answers one TCP connection
                                and one UDP datagram with "<proto>-echo <what came>"
friend.py client HOST PORT      on the WAN side, the friend: prints "tcp: <answer>" and "udp: <answer>"
                                (or the error)
"""
import socket
import sys

mode, host, port = sys.argv[1], sys.argv[2], int(sys.argv[3])

if mode == "server":
    tcp = socket.socket()
    tcp.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    tcp.bind((host, port))
    tcp.listen(1)
    tcp.settimeout(8)
    udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    udp.bind((host, port))
    udp.settimeout(8)
    try:
        conn, peer = tcp.accept()
        conn.settimeout(3)
        conn.sendall(b"tcp-echo " + conn.recv(64))
        conn.close()
        print("tcp from", peer, flush=True)
    except OSError as e:
        print("tcp:", e, flush=True)
    try:
        data, peer = udp.recvfrom(64)
        udp.sendto(b"udp-echo " + data, peer)
        print("udp from", peer, flush=True)
    except OSError as e:
        print("udp:", e, flush=True)
else:
    try:
        conn = socket.create_connection((host, port), timeout=3)
        conn.sendall(b"friend")
        print("tcp:", conn.recv(64).decode(), flush=True)
    except OSError as e:
        print("tcp: failed:", e, flush=True)
    udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    udp.settimeout(3)
    try:
        udp.sendto(b"friend", (host, port))
        print("udp:", udp.recvfrom(64)[0].decode(), flush=True)
    except OSError as e:
        print("udp: failed:", e, flush=True)
