#!/usr/bin/python3
"""A small WHOIS server for the tests: two listening sockets on loopback
ports chosen by the system (the second is where referrals point). Each
connection reads one request line, records the exact bytes it received and
answers by the query. Prints "PORT1 PORT2" on its first line."""
import socket
import socketserver
import sys
import threading
import time

LOG = sys.argv[1]
log_lock = threading.Lock()
ports = []

NOTICE = (
    "The Data in the Example Registry WHOIS database is provided for information\r\n"
    "purposes only. By submitting a query you agree to abide by this policy.\r\n"
    "Domain Name: EXAMPLE.ORG\r\n"
    "Registrar: Example Registrar, Inc.\r\n"
)

HANDLES = (
    "Registrant:\n"
    "   Example Org (EX1-ORG)\n"
    "\n"
    "   Administrative Contact:\n"
    "      Smith, John  (JS123-EX)  john@example.test\n"
    "   Technical Contact:\n"
    "      Doe, Jane  (JD9-EX)  jane@example.test\n"
    "   Billing Contact:\n"
    "      Roe, Rick  (RR7-EX)  rick@example.test\n"
)


def answer(query, second):
    p2 = ports[1]
    if second:
        return "Domain Name: %s\nRegistrar: Referred Registrar\n" % query.upper()
    if query == "example.org":
        return NOTICE
    if query == "handles.test":
        return HANDLES
    if query.startswith("!"):
        return ("The Data about handles is provided as is; you agree to this policy.\n"
                "Handle: %s\nName: Profile of %s\n" % (query[1:], query[1:]))
    if query == "refer-iana.test":
        return "%% IANA WHOIS server\n\nrefer:        127.0.0.1:%d\n\ndomain:       TEST\n" % p2
    if query == "refer-arin.test":
        return "NetRange: 192.0.2.0 - 192.0.2.255\nReferralServer:  whois://127.0.0.1:%d\n" % p2
    if query == "refer-registrar.test":
        return "   Domain Name: REFER-REGISTRAR.TEST\n   Registrar WHOIS Server: 127.0.0.1:%d\n" % p2
    if query == "refer-nowhere.test":
        return "refer: 127.0.0.1:1\n"
    return 'No match for "%s".\n' % query


class Handler(socketserver.BaseRequestHandler):
    def handle(self):
        conn = self.request
        conn.settimeout(5)
        data = b""
        try:
            while b"\n" not in data and len(data) < 4096:
                chunk = conn.recv(4096)
                if not chunk:
                    break
                data += chunk
            # Whatever follows the first line closely belongs to the request too.
            conn.settimeout(0.3)
            try:
                more = conn.recv(4096)
                data += more
            except socket.timeout:
                pass
        except OSError:
            return
        second = conn.getsockname()[1] == ports[1]
        with log_lock, open(LOG, "a") as f:
            f.write("%d %s\n" % (conn.getsockname()[1], data.hex()))
        query = data.split(b"\n")[0].decode("utf-8", "replace").strip("\r")
        conn.settimeout(30)
        try:
            if query == "endless.test" and not second:
                line = ("x" * 70 + "\n").encode()
                deadline = time.time() + 60
                sent = 0
                while time.time() < deadline and sent < 64 * 1024 * 1024:
                    conn.sendall(line * 64)
                    sent += len(line) * 64
                return
            if query == "silent.test" and not second:
                conn.settimeout(30)
                try:
                    while conn.recv(4096):
                        pass
                except OSError:
                    pass
                return
            if query == "latin1.test":
                conn.sendall("Name: M\u00fcller\n".encode("latin-1"))
                return
            conn.sendall(answer(query, second).encode("utf-8"))
        except OSError:
            pass


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


servers = [Server(("127.0.0.1", 0), Handler) for _ in range(2)]
ports.extend(s.server_address[1] for s in servers)
for s in servers:
    threading.Thread(target=s.serve_forever, daemon=True).start()
print("%d %d" % (ports[0], ports[1]), flush=True)
# Ends with its standard input (the test closes it).


def os_exit():
    import os
    os._exit(0)


try:
    sys.stdin.read()
finally:
    os_exit()
