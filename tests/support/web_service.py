#!/usr/bin/env python3
"""A small breed-society web service for the upload tests, on 127.0.0.1.

Prints the port it listens on, then serves until killed. Every request is appended to the log file
as "key<TAB>value" lines (values with backslash, tab and line ends escaped) and a blank line.

Paths: /login (SheepResponse with a session key and the animals' address; user "refused" gets
Status 1), /sheep?SID=.. (one animal; its tattoo picks the reply: REJECT, BROKEN, EMPTY, GARBLED,
NOREPLY, SLOW), /moved (302 to /login), /down (503 with a text), /garbage (malformed XML),
/slow (waits 30 s).
"""
import argparse
import re
import ssl
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

SESSION = "S-42"
log_lock = threading.Lock()


def escape(text):
    return text.replace("\\", "\\\\").replace("\t", "\\t").replace("\r", "\\r").replace("\n", "\\n")


def reply_xml(status, message, extra=""):
    return ("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<SheepResponse><Status>%d</Status>"
            "<Message>%s</Message>%s</SheepResponse>" % (status, message, extra)).encode("utf-8")


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def send(self, code, body, headers=()):
        self.send_response(code)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def record(self, fields):
        url = urllib.parse.urlsplit(self.path)
        lines = ["method\t" + self.command, "path\t" + url.path, "query\t" + escape(url.query),
                 "content-type\t" + escape(self.headers.get("Content-Type", ""))]
        for name, value in fields:
            lines.append(name + "\t" + escape(value))
        with log_lock, open(self.server.log, "a", encoding="utf-8") as out:
            out.write("\n".join(lines) + "\n\n")

    def do_GET(self):
        self.handle_post(b"")

    def do_POST(self):
        length = int(self.headers.get("Content-Length", "0"))
        self.handle_post(self.rfile.read(length))

    def handle_post(self, raw):
        url = urllib.parse.urlsplit(self.path)
        pairs = urllib.parse.parse_qsl(raw.decode("ascii", "replace"), keep_blank_values=True,
                                       encoding="latin-1")
        fields = []
        for name, value in pairs:
            octets = value.encode("latin-1")
            # The login's user and password come in the ANSI code page, the XML as UTF-8.
            fields.append((name, octets.decode("cp1252" if name in ("UserID", "Pwd") else "utf-8", "replace")))
        self.record(fields)
        values = dict(fields)
        path = url.path
        base = "%s://127.0.0.1:%d" % ("https" if self.server.tls else "http", self.server.server_address[1])
        if path == "/login":
            if values.get("UserID") == "refused":
                self.send(200, reply_xml(1, "Unknown user or password"))
            else:
                self.send(200, reply_xml(0, "Welcome %s" % values.get("UserID", ""),
                                         "<SessionKey>%s</SessionKey><Redirect>%s/sheep</Redirect>"
                                         "<MsgBoxFlags>48</MsgBoxFlags>" % (SESSION, base)))
        elif path == "/moved":
            self.send(302, b"", [("Location", base + "/login")])
        elif path == "/down":
            self.send(503, b"Service down for maintenance")
        elif path == "/empty500":
            self.send(500, b"")
        elif path == "/garbage":
            self.send(200, b"<SheepResponse><Status>0</Status><Message>half")
        elif path == "/slow":
            time.sleep(30)
            self.send(200, reply_xml(0, "late"))
        elif path == "/sheep":
            query = dict(urllib.parse.parse_qsl(url.query))
            tattoo = re.search(r"<Tattoo>(.*?)</Tattoo>", values.get("SheepXML", ""), re.S)
            tattoo = tattoo.group(1) if tattoo else ""
            if query.get("SID") != SESSION:
                self.send(200, reply_xml(1, "Session expired"))
            elif "REJECT" in tattoo:
                self.send(200, reply_xml(2, "Rejected %s" % tattoo))
            elif "BROKEN" in tattoo:
                self.send(500, ("Internal error for %s" % tattoo).encode("utf-8"))
            elif "EMPTY" in tattoo:
                self.send(500, b"")
            elif "GARBLED" in tattoo:
                self.send(200, b"<SheepResponse><Status>0</Stat")
            elif "NOREPLY" in tattoo:
                self.send(200, b"<Other>nothing</Other>")
            elif "SLOW" in tattoo:
                time.sleep(30)
                self.send(200, reply_xml(0, "late"))
            else:
                self.send(200, reply_xml(0, "Stored %s" % tattoo))
        else:
            self.send(404, b"Not found")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--log", required=True)
    parser.add_argument("--cert")
    parser.add_argument("--key")
    args = parser.parse_args()
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    # A client that gave up (a cancelled or timed-out transfer) is no error of the service.
    server.handle_error = lambda request, address: None
    server.log = args.log
    server.tls = bool(args.cert)
    if args.cert:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(args.cert, args.key)
        server.socket = context.wrap_socket(server.socket, server_side=True)
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
