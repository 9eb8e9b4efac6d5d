#!/usr/bin/env python3
"""Loopback fronts for the connection tests, on the standard library only.

  front.py front --upstream URL [--tls CERT KEY] [--client-ca CA] [--token TOKEN] [--gzip]
           [--session] --port-file FILE --log FILE
      forwards each POST to the XMLA server at URL; with --tls it speaks HTTPS (--client-ca:
      and asks for a client certificate signed by CA); --token: refuses requests without
      "Authorization: Bearer TOKEN" (401); --gzip: refuses requests that do not accept gzip
      (406) and answers in gzip; --session: answers only requests that carry the XMLA session
      it began (BeginSession), with a SOAP fault otherwise; --break TYPE: answers requests of
      that RequestType with a page that is not XML.
  front.py proxy --auth USER:PASSWORD --port-file FILE --log FILE
      a forwarding proxy (CONNECT tunnels and absolute-URI requests) that asks for Basic
      credentials (407).
  front.py endless --port-file FILE --log FILE
      answers every POST with a catalogue list in gzip that never ends.

Binds 127.0.0.1 on a free port, writes the port to FILE, and appends one line per request to
the log: what was asked, never a credential. Runs until killed.
"""
import argparse
import base64
import gzip
import http.client
import http.server
import os
import re
import select
import socket
import ssl
import threading
import urllib.parse
import uuid
import zlib

LOCK = threading.Lock()


def log(args, line):
    with LOCK, open(args.log, "a", encoding="utf-8") as out:
        out.write(line + "\n")


def fault(text):
    return ('<?xml version="1.0"?><SOAP-ENV:Envelope xmlns:SOAP-ENV="http://schemas.xmlsoap.org/soap/envelope/">'
            '<SOAP-ENV:Body><SOAP-ENV:Fault><faultcode>SOAP-ENV:Client.Session</faultcode>'
            f'<faultstring>{text}</faultstring></SOAP-ENV:Fault></SOAP-ENV:Body></SOAP-ENV:Envelope>').encode()


def make_front(args):
    upstream = urllib.parse.urlsplit(args.upstream)
    sessions = set()

    class Front(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def log_message(self, *_):
            pass

        def answer(self, status, body, headers=()):
            self.send_response(status)
            for name, value in headers:
                self.send_header(name, value)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def do_POST(self):
            body = self.rfile.read(int(self.headers.get("Content-Length", "0")))
            if args.token and self.headers.get("Authorization") != "Bearer " + args.token:
                log(args, "refused: no token")
                return self.answer(401, b"token required", [("WWW-Authenticate", 'Bearer realm="xmla"')])
            if args.gzip and "gzip" not in self.headers.get("Accept-Encoding", ""):
                log(args, "refused: no gzip")
                return self.answer(406, b"gzip required")
            header = b""
            if args.session:
                text = body.decode("utf-8")
                found = re.search(r"<(BeginSession|EndSession|Session)\b", text)
                kind = found.group(1) if found else ""
                found = re.search(r'SessionId="([^"]*)"', text)
                sid = found.group(1) if found else None
                if kind == "BeginSession":
                    sid = uuid.uuid4().hex
                    sessions.add(sid)
                    log(args, "session begun")
                elif sid not in sessions:
                    log(args, "refused: no session")
                    return self.answer(200, fault("this server answers within an XMLA session only"),
                                       [("Content-Type", "text/xml")])
                elif kind == "EndSession":
                    sessions.discard(sid)
                    log(args, "session ended")
                header = f'<SOAP-ENV:Header><Session xmlns="urn:schemas-microsoft-com:xml-analysis" SessionId="{sid}"/></SOAP-ENV:Header>'.encode()
                body = re.sub(rb"<SOAP-ENV:Header>.*?</SOAP-ENV:Header>", b"", body, flags=re.S)
            if args.break_type and b"<RequestType>%s<" % args.break_type.encode() in body:
                log(args, "broken answer")
                return self.answer(200, b"not xml", [("Content-Type", "text/xml")])
            log(args, "forwarded")
            connection = http.client.HTTPConnection(upstream.hostname, upstream.port, timeout=60)
            connection.request("POST", upstream.path, body, {
                "Content-Type": self.headers.get("Content-Type", "text/xml"),
                "SOAPAction": self.headers.get("SOAPAction", "")})
            reply = connection.getresponse()
            data = reply.read()
            connection.close()
            if header:
                data = re.sub(rb"(<SOAP-ENV:Envelope[^>]*>)", lambda m: m.group(1) + header, data, count=1)
            headers = [("Content-Type", reply.getheader("Content-Type", "text/xml"))]
            if args.gzip:
                data = gzip.compress(data)
                headers.append(("Content-Encoding", "gzip"))
            self.answer(reply.status, data, headers)

    return Front


def make_proxy(args):
    expected = "Basic " + base64.b64encode(args.auth.encode()).decode()

    class Proxy(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.0"

        def log_message(self, *_):
            pass

        def allowed(self):
            if self.headers.get("Proxy-Authorization") == expected:
                return True
            log(args, "refused: no proxy credentials")
            self.send_response(407)
            self.send_header("Proxy-Authenticate", 'Basic realm="proxy"')
            self.send_header("Content-Length", "0")
            self.end_headers()
            return False

        def do_CONNECT(self):
            if not self.allowed():
                return
            host, port = self.path.rsplit(":", 1)
            log(args, "CONNECT " + self.path)
            target = socket.create_connection((host, int(port)), timeout=60)
            self.send_response(200)
            self.end_headers()
            ends = [self.connection, target]
            while True:
                ready, _, _ = select.select(ends, [], [], 60)
                if not ready:
                    break
                for end in ready:
                    data = end.recv(65536)
                    if not data:
                        target.close()
                        return
                    (target if end is self.connection else self.connection).sendall(data)

        def do_POST(self):
            if not self.allowed():
                return
            url = urllib.parse.urlsplit(self.path)
            log(args, "POST " + url.netloc)
            body = self.rfile.read(int(self.headers.get("Content-Length", "0")))
            headers = {k: v for k, v in self.headers.items()
                       if k.lower() not in ("proxy-authorization", "proxy-connection", "connection", "host")}
            connection = http.client.HTTPConnection(url.hostname, url.port, timeout=60)
            connection.request("POST", url.path or "/", body, headers)
            reply = connection.getresponse()
            data = reply.read()
            connection.close()
            self.send_response(reply.status)
            for name, value in reply.getheaders():
                if name.lower() not in ("transfer-encoding", "connection", "content-length"):
                    self.send_header(name, value)
            self.send_header("Content-Length", str(len(data)))
            self.end_headers()
            self.wfile.write(data)

    return Proxy


def make_endless(args):
    head = (b'<?xml version="1.0"?><SOAP-ENV:Envelope xmlns:SOAP-ENV="http://schemas.xmlsoap.org/soap/envelope/">'
            b'<SOAP-ENV:Body><DiscoverResponse xmlns="urn:schemas-microsoft-com:xml-analysis"><return>'
            b'<root xmlns="urn:schemas-microsoft-com:xml-analysis:rowset">')

    class Endless(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.0"

        def log_message(self, *_):
            pass

        def do_POST(self):
            self.rfile.read(int(self.headers.get("Content-Length", "0")))
            log(args, "endless answer")
            self.send_response(200)
            self.send_header("Content-Type", "text/xml")
            self.send_header("Content-Encoding", "gzip")
            self.end_headers()
            packer = zlib.compressobj(6, zlib.DEFLATED, 31)
            self.wfile.write(packer.compress(head))
            first = 0
            try:
                while True:
                    rows = b"".join(b"<row><CATALOG_NAME>catalogue-%09d</CATALOG_NAME></row>" % (first + i)
                                    for i in range(1000))
                    self.wfile.write(packer.compress(rows) + packer.flush(zlib.Z_SYNC_FLUSH))
                    first += 1000
            except OSError:
                pass

    return Endless


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("kind", choices=["front", "proxy", "endless"])
    parser.add_argument("--upstream")
    parser.add_argument("--tls", nargs=2, metavar=("CERT", "KEY"))
    parser.add_argument("--client-ca")
    parser.add_argument("--token")
    parser.add_argument("--gzip", action="store_true")
    parser.add_argument("--session", action="store_true")
    parser.add_argument("--break", dest="break_type")
    parser.add_argument("--auth", default="")
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--log", required=True)
    args = parser.parse_args()
    handler = {"front": make_front, "proxy": make_proxy, "endless": make_endless}[args.kind](args)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    server.daemon_threads = True
    if args.tls:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(*args.tls)
        if args.client_ca:
            context.verify_mode = ssl.CERT_REQUIRED
            context.load_verify_locations(args.client_ca)
        server.socket = context.wrap_socket(server.socket, server_side=True)
    with open(args.port_file + ".new", "w", encoding="utf-8") as out:
        out.write(str(server.server_address[1]))
    os.replace(args.port_file + ".new", args.port_file)
    server.serve_forever()


if __name__ == "__main__":
    main()
