#!/usr/bin/env python3
"""A small UPnP internet gateway for the network tests, which can hang, lie or answer junk.

It answers the SSDP search on 239.255.255.250:1900 (joined on ADDRESS's interface) and HTTP on
ADDRESS:PORT: the device description (/rootDesc.xml) and the SOAP actions of its WANIPConnection:1
(/ctl/IPConn) and WANCommonInterfaceConfig:1 (/ctl/CmnIfCfg) services. By default it is a correct
IGD; the options below change one behaviour each. It keeps its mappings in a lease file of
miniupnpd's format (PROTO:EXTPORT:CLIENT:INTPORT:EXPIRY:DESCRIPTION, a CR or LF of a description
written as \\r or \\n) and logs what it heard, one line each, with the sender's address:
    SSDP M-SEARCH from A:P st=ST
    HTTP GET /rootDesc.xml from A:P
    HANG description from A:P                   (a request it holds without answering)
    ACTION <name>[ <proto> <port>] from A:P reply=<what it answered, hang included>
    RELEASED from A:P                           (the client closed a connection it held)
It ends by itself after --lifetime seconds.

Behaviours (REPLY is one of: ok, fault:CODE (HTTP 500 with a UPnPError body), 500-no-code (HTTP 500
whose body holds no error code), empty-200 (HTTP 200 with a SOAP envelope whose body is empty: no
response, no fault), no-body-200 (HTTP 200 with no body at all), junk (HTTP 200 with a body that is
not XML), hang (no answer, the connection held open)):
  --hang description|soap|ACTION  accept and never answer: the description's GET, every SOAP
                                  action, or one action by name
  --trickle description|soap|ACTION  answer one byte of it every 2 s, never finishing (a client
                                  whose time-out is per receive never gives up)
  --add-reply REPLY               AddPortMapping (a reply other than ok stores nothing)
  --udp-add-reply REPLY           AddPortMapping of UDP only (takes precedence over --add-reply)
  --delete-reply REPLY            DeletePortMapping (other than ok: nothing removed)
  --lookup-reply REPLY            GetSpecificPortMappingEntry
  --external ADDRESS|fault:CODE   what GetExternalIPAddress gives (any text, junk included)
  --name TEXT / --long-name N     the friendlyName (N times 'A')
  --seed PROTO:PORT:CLIENT:DESC   a mapping there from the start (\\r, \\n in DESC are CR, LF)
  --own-718                       AddPortMapping answers 718 whenever an entry of that port and
                                  protocol exists, this PC's own included (the standard allows a
                                  router to; DeletePortMapping then add renews it)
  --max-lease N                   a lease asked for is granted N seconds at most (0, permanent, too);
                                  a mapping whose lease ran out is removed, as a router does
--options STRING gives further options in one shell-quoted string (as router.sh passes them).
"""
import argparse
import html
import os
import re
import shlex
import socket
import struct
import sys
import threading
import time

SSDP_GROUP, SSDP_PORT = "239.255.255.250", 1900
IGD = "urn:schemas-upnp-org:device:InternetGatewayDevice:1"
WANIP = "urn:schemas-upnp-org:service:WANIPConnection:1"
CIF = "urn:schemas-upnp-org:service:WANCommonInterfaceConfig:1"
ANSWERED_TYPES = {IGD: IGD, WANIP: WANIP, "upnp:rootdevice": "upnp:rootdevice", "ssdp:all": IGD}
ERROR_NAMES = {401: "Invalid Action", 402: "Invalid Args", 501: "Action Failed", 606: "Action not authorized",
               713: "SpecifiedArrayIndexInvalid", 714: "NoSuchEntryInArray", 718: "ConflictInMappingEntry",
               725: "OnlyPermanentLeasesSupported"}
REPLY = re.compile(r"^(ok|fault:\d+|500-no-code|empty-200|no-body-200|junk|hang)$")


def reply_kind(text):
    if not REPLY.match(text):
        raise argparse.ArgumentTypeError("ok|fault:CODE|500-no-code|empty-200|no-body-200|junk|hang, not " + text)
    return text


def parse_args(argv):
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--address", required=True, help="this device's address (its interface's)")
    p.add_argument("--port", type=int, default=5000)
    p.add_argument("--leases", required=True)
    p.add_argument("--log", required=True)
    p.add_argument("--lifetime", type=float, default=120)
    p.add_argument("--uuid", default="4c0b2a39-94b5-4a3c-9d1e-6a7e2f1d0b11")
    p.add_argument("--hang", action="append", default=[])
    p.add_argument("--trickle", action="append", default=[])
    p.add_argument("--add-reply", type=reply_kind, default="ok")
    p.add_argument("--udp-add-reply", type=reply_kind)
    p.add_argument("--delete-reply", type=reply_kind, default="ok")
    p.add_argument("--lookup-reply", type=reply_kind, default="ok")
    p.add_argument("--external", default="")
    p.add_argument("--name", default="Test Router")
    p.add_argument("--long-name", type=int)
    p.add_argument("--seed", action="append", default=[])
    p.add_argument("--own-718", action="store_true")
    p.add_argument("--max-lease", type=int)
    p.add_argument("--options", action="append", default=[])
    args = p.parse_args(argv)
    if args.options:  # later options win, as on a command line
        extra = [word for text in args.options for word in shlex.split(text)]
        args = p.parse_args(argv + extra)
    return args


class Device:
    def __init__(self, args):
        self.args = args
        self.lock = threading.Lock()
        self.mappings = {}  # (proto, port) -> dict(client, intport, desc, expiry, lease)
        self.end = time.time() + args.lifetime
        self.log_file = open(args.log, "a", buffering=1, encoding="utf-8", errors="backslashreplace")
        for seed in args.seed:
            proto, port, client, desc = seed.split(":", 3)
            desc = desc.replace("\\r", "\r").replace("\\n", "\n")
            self.mappings[(proto.upper(), int(port))] = dict(client=client, intport=int(port), desc=desc,
                                                             expiry=int(time.time()) + 3600, lease=3600)
        self.write_leases()
        self.name = "A" * args.long_name if args.long_name is not None else args.name

    def log(self, line):
        with self.lock:
            self.log_file.write("standin: " + line + "\n")

    def write_leases(self):
        lines = []
        for (proto, port), m in sorted(self.mappings.items()):
            desc = m["desc"].replace("\r", "\\r").replace("\n", "\\n")
            lines.append("%s:%d:%s:%d:%d:%s\n" % (proto, port, m["client"], m["intport"], m["expiry"], desc))
        tmp = self.args.leases + ".tmp"
        with open(tmp, "w", encoding="utf-8") as out:
            out.writelines(lines)
        os.replace(tmp, self.args.leases)

    # --- SSDP ---------------------------------------------------------------------------------
    def ssdp(self):
        listen = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        listen.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        listen.bind((SSDP_GROUP, SSDP_PORT))
        listen.setsockopt(socket.IPPROTO_IP, socket.IP_ADD_MEMBERSHIP,
                          struct.pack("4s4s", socket.inet_aton(SSDP_GROUP), socket.inet_aton(self.args.address)))
        listen.settimeout(0.5)
        answer = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        answer.bind((self.args.address, 0))
        location = "http://%s:%d/rootDesc.xml" % (self.args.address, self.args.port)
        while time.time() < self.end:
            try:
                data, sender = listen.recvfrom(4096)
            except socket.timeout:
                continue
            if not data.startswith(b"M-SEARCH"):
                continue
            st = ""
            for line in data.decode("latin-1").split("\r\n"):
                if line.upper().startswith("ST:"):
                    st = line[3:].strip()
            self.log("SSDP M-SEARCH from %s:%d st=%s" % (sender[0], sender[1], st))
            if st not in ANSWERED_TYPES:
                continue
            usn = "uuid:%s::%s" % (self.args.uuid, ANSWERED_TYPES[st])
            reply = ("HTTP/1.1 200 OK\r\nCACHE-CONTROL: max-age=120\r\nST: %s\r\nUSN: %s\r\nEXT:\r\n"
                     "SERVER: Linux UPnP/1.1 standin/1.0\r\nLOCATION: %s\r\n\r\n" % (ANSWERED_TYPES[st], usn, location))
            answer.sendto(reply.encode(), sender)

    # --- HTTP ---------------------------------------------------------------------------------
    def http(self):
        server = socket.socket()
        server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        server.bind((self.args.address, self.args.port))
        server.listen(16)
        server.settimeout(0.5)
        while time.time() < self.end:
            try:
                conn, peer = server.accept()
            except socket.timeout:
                continue
            threading.Thread(target=self.serve, args=(conn, peer), daemon=True).start()

    def hold(self, conn, who):
        """Never answers: waits until the client closes (logged as RELEASED) or the stand-in ends."""
        conn.settimeout(0.5)
        while time.time() < self.end:
            try:
                if conn.recv(4096):
                    continue
            except socket.timeout:
                continue
            except OSError:
                pass
            self.log("RELEASED from %s" % who)
            return

    def serve(self, conn, peer):
        try:
            conn.settimeout(10)
            data = b""
            while b"\r\n\r\n" not in data:
                chunk = conn.recv(4096)
                if not chunk:
                    return
                data += chunk
            head, body = data.split(b"\r\n\r\n", 1)
            lines = head.decode("latin-1").split("\r\n")
            method, path = (lines[0].split(" ") + ["", ""])[:2]
            headers = {}
            for line in lines[1:]:
                name, _, value = line.partition(":")
                headers[name.strip().lower()] = value.strip()
            length = int(headers.get("content-length", "0") or 0)
            while len(body) < length:
                chunk = conn.recv(4096)
                if not chunk:
                    break
                body += chunk
            who = "%s:%d" % peer
            if method == "GET":
                self.log("HTTP GET %s from %s" % (path, who))
                if path == "/rootDesc.xml":
                    if "description" in self.args.hang:
                        self.log("HANG description from %s" % who)
                        return self.hold(conn, who)
                    if "description" in self.args.trickle:
                        self.log("HANG description from %s (trickle)" % who)
                        return self.trickle(conn, who, self.response(200, self.description()))
                    return self.send(conn, 200, self.description())
                return self.send(conn, 404, b"")
            if method == "POST":
                return self.soap(conn, who, path, headers.get("soapaction", ""), body.decode("utf-8", "replace"))
            self.send(conn, 405, b"")
        except OSError:
            pass
        finally:
            conn.close()

    def trickle(self, conn, who, data):
        """Sends a byte every 2 s until the client closes (logged as RELEASED) or the stand-in ends."""
        for byte in data[:-1]:
            if time.time() >= self.end:
                return
            try:
                conn.sendall(bytes([byte]))
            except OSError:
                break
            time.sleep(2)
        self.log("RELEASED from %s" % who)

    def send(self, conn, status, body, content_type="text/xml; charset=\"utf-8\""):
        conn.sendall(self.response(status, body, content_type))

    @staticmethod
    def response(status, body, content_type="text/xml; charset=\"utf-8\""):
        reason = {200: "OK", 404: "Not Found", 405: "Method Not Allowed", 500: "Internal Server Error"}[status]
        head = ("HTTP/1.1 %d %s\r\nContent-Type: %s\r\nConnection: close\r\nContent-Length: %d\r\n"
                "Server: Linux UPnP/1.1 standin/1.0\r\n\r\n" % (status, reason, content_type, len(body)))
        return head.encode() + body

    def description(self):
        def service(kind, sid, name):
            return ("<service><serviceType>%s</serviceType><serviceId>urn:upnp-org:serviceId:%s</serviceId>"
                    "<SCPDURL>/%s.xml</SCPDURL><controlURL>/ctl/%s</controlURL><eventSubURL>/evt/%s</eventSubURL>"
                    "</service>" % (kind, sid, name, name, name))

        def device(kind, name, services, inner=""):
            return ("<device><deviceType>%s</deviceType><friendlyName>%s</friendlyName>"
                    "<manufacturer>Test</manufacturer><modelName>Stand-in</modelName><UDN>uuid:%s</UDN>"
                    "<serviceList>%s</serviceList>%s</device>"
                    % (kind, html.escape(name), self.args.uuid, "".join(services),
                       "<deviceList>%s</deviceList>" % inner if inner else ""))

        wan_conn = device("urn:schemas-upnp-org:device:WANConnectionDevice:1", "WANConnectionDevice",
                          [service(WANIP, "WANIPConn1", "IPConn")])
        wan = device("urn:schemas-upnp-org:device:WANDevice:1", "WANDevice", [service(CIF, "WANCommonIFC1", "CmnIfCfg")],
                     wan_conn)
        root = device(IGD, self.name, [], wan)
        return ('<?xml version="1.0"?>\r\n<root xmlns="urn:schemas-upnp-org:device-1-0">'
                "<specVersion><major>1</major><minor>0</minor></specVersion>%s</root>\r\n" % root).encode()

    # --- SOAP ---------------------------------------------------------------------------------
    def soap(self, conn, who, path, soap_action, body):
        action = soap_action.strip('"').rpartition("#")[2]
        service = soap_action.strip('"').rpartition("#")[0]
        args = {m.group(1): m.group(2) for m in re.finditer(r"<(?:\w+:)?(New\w+)>([^<]*)</", body)}
        proto, port = args.get("NewProtocol", "").upper(), args.get("NewExternalPort", "")
        what = action + (" %s %s" % (proto, port) if proto and port else "")
        if "soap" in self.args.hang or action in self.args.hang:
            self.log("ACTION %s from %s reply=hang" % (what, who))
            return self.hold(conn, who)
        if "soap" in self.args.trickle or action in self.args.trickle:
            self.log("ACTION %s from %s reply=hang (trickle)" % (what, who))
            return self.trickle(conn, who, self.response(500, self.envelope("")))
        reply, fields = self.act(path, action, args, proto, port)
        self.log("ACTION %s from %s reply=%s" % (what, who, reply))
        if reply == "hang":
            return self.hold(conn, who)
        if reply == "ok":
            inner = "".join("<%s>%s</%s>" % (k, v, k) for k, v in fields)
            return self.send(conn, 200, self.envelope('<u:%sResponse xmlns:u="%s">%s</u:%sResponse>'
                                                      % (action, service, inner, action)))
        if reply.startswith("fault:"):
            code = int(reply[6:])
            return self.send(conn, 500, self.envelope(
                "<s:Fault><faultcode>s:Client</faultcode><faultstring>UPnPError</faultstring><detail>"
                '<UPnPError xmlns="urn:schemas-upnp-org:control-1-0"><errorCode>%d</errorCode>'
                "<errorDescription>%s</errorDescription></UPnPError></detail></s:Fault>"
                % (code, ERROR_NAMES.get(code, "Error"))))
        if reply == "500-no-code":
            return self.send(conn, 500, self.envelope(
                "<s:Fault><faultcode>s:Server</faultcode><faultstring>Internal error</faultstring></s:Fault>"))
        if reply == "empty-200":
            return self.send(conn, 200, self.envelope(""))
        if reply == "no-body-200":
            return self.send(conn, 200, b"")
        if reply == "junk":
            return self.send(conn, 200, b"\x00\x01 not xml at all \xff<<<", "text/plain")

    @staticmethod
    def envelope(inner):
        return ('<?xml version="1.0"?>\r\n<s:Envelope xmlns:s="http://schemas.xmlsoap.org/soap/envelope/" '
                's:encodingStyle="http://schemas.xmlsoap.org/soap/encoding/"><s:Body>%s</s:Body></s:Envelope>\r\n'
                % inner).encode("utf-8")

    def act(self, path, action, args, proto, port):
        """(reply, [(field, value)...]) of an action; the mapping table changes here."""
        a = self.args
        if path.endswith("/CmnIfCfg"):
            if action == "GetCommonLinkProperties":
                return "ok", [("NewWANAccessType", "Ethernet"), ("NewLayer1UpstreamMaxBitRate", "1000000"),
                              ("NewLayer1DownstreamMaxBitRate", "1000000"), ("NewPhysicalLinkStatus", "Up")]
            if action.startswith("GetTotal"):
                return "ok", [("New" + action[3:], "0")]
            return "fault:401", []
        if action == "GetStatusInfo":
            return "ok", [("NewConnectionStatus", "Connected"), ("NewLastConnectionError", "ERROR_NONE"),
                          ("NewUptime", "1000")]
        if action == "GetConnectionTypeInfo":
            return "ok", [("NewConnectionType", "IP_Routed"), ("NewPossibleConnectionTypes", "IP_Routed")]
        if action == "GetExternalIPAddress":
            if a.external.startswith("fault:"):
                return a.external, []
            return "ok", [("NewExternalIPAddress", html.escape(a.external))]
        key = (proto, int(port)) if port.isdigit() else None
        with self.lock:
            if action == "GetSpecificPortMappingEntry":
                if a.lookup_reply != "ok":
                    return a.lookup_reply, []
                m = self.mappings.get(key)
                if not m:
                    return "fault:714", []
                return "ok", self.entry_fields(m)
            if action == "GetGenericPortMappingEntry":
                items = sorted(self.mappings.items())
                index = args.get("NewPortMappingIndex", "")
                if not index.isdigit() or int(index) >= len(items):
                    return "fault:713", []
                (p, n), m = items[int(index)]
                return "ok", [("NewRemoteHost", ""), ("NewExternalPort", str(n)), ("NewProtocol", p)] + \
                    self.entry_fields(m)
            if action == "AddPortMapping":
                reply = a.udp_add_reply if proto == "UDP" and a.udp_add_reply else a.add_reply
                if reply != "ok":
                    return reply, []
                if key is None or proto not in ("TCP", "UDP"):
                    return "fault:402", []
                old = self.mappings.get(key)
                client = args.get("NewInternalClient", "")
                if old and (a.own_718 or old["client"] != client):
                    return "fault:718", []
                lease = int(args.get("NewLeaseDuration", "0") or 0)
                if a.max_lease is not None and (lease == 0 or lease > a.max_lease):
                    lease = a.max_lease
                self.mappings[key] = dict(client=client, intport=int(args.get("NewInternalPort", port) or 0),
                                          desc=html.unescape(args.get("NewPortMappingDescription", "")),
                                          expiry=int(time.time()) + lease if lease else 0, lease=lease)
                self.write_leases()
                return "ok", []
            if action == "DeletePortMapping":
                if a.delete_reply != "ok":
                    return a.delete_reply, []
                if key not in self.mappings:
                    return "fault:714", []
                del self.mappings[key]
                self.write_leases()
                return "ok", []
        return "fault:401", []

    def sweep(self):
        now = int(time.time())
        with self.lock:
            ended = [key for key, m in self.mappings.items() if m["expiry"] and m["expiry"] <= now]
            for key in ended:
                del self.mappings[key]
            if ended:
                self.write_leases()

    @staticmethod
    def entry_fields(m):
        lease = max(0, m["expiry"] - int(time.time())) if m["expiry"] else 0
        return [("NewInternalPort", str(m["intport"])), ("NewInternalClient", m["client"]), ("NewEnabled", "1"),
                ("NewPortMappingDescription", m["desc"].replace("&", "&amp;").replace("<", "&lt;")),
                ("NewLeaseDuration", str(lease))]


def main():
    args = parse_args(sys.argv[1:])
    device = Device(args)
    device.log("started on %s:%d pid %d" % (args.address, args.port, os.getpid()))
    for target in (device.ssdp, device.http):
        threading.Thread(target=target, daemon=True).start()
    while time.time() < device.end:
        time.sleep(0.2)
        device.sweep()
    device.log("lifetime over")


if __name__ == "__main__":
    main()
