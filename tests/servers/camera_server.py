#!/usr/bin/python3
"""A webcam's snapshot server for tests: serves a picture file on 127.0.0.1 behind basic or
digest authentication, and misbehaves on request. Prints its port, runs until stdin closes.

usage: camera_server.py PICTURE USER PASSWORD [CERT KEY]

Paths: /basic.jpg and /digest.jpg ask for the user, /open.jpg does not, /missing.jpg answers
404, /page.jpg sends an HTML page, /silent.jpg accepts the request and never answers."""

import hashlib
import os
import ssl
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

PICTURE, USER, PASSWORD = sys.argv[1:4]
REALM = "camera"
NONCE = os.urandom(8).hex()


def md5(text):
    return hashlib.md5(text.encode()).hexdigest()


def digest_fields(header):
    fields = {}
    for part in header[len("Digest "):].split(","):
        if "=" in part:
            key, value = part.strip().split("=", 1)
            fields[key] = value.strip('"')
    return fields


class Camera(BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def basic_ok(self):
        import base64
        wanted = "Basic " + base64.b64encode(f"{USER}:{PASSWORD}".encode()).decode()
        return self.headers.get("Authorization", "") == wanted

    def digest_ok(self):
        header = self.headers.get("Authorization", "")
        if not header.startswith("Digest "):
            return False
        f = digest_fields(header)
        if f.get("username") != USER or f.get("nonce") != NONCE:
            return False
        ha1 = md5(f"{USER}:{REALM}:{PASSWORD}")
        ha2 = md5(f"GET:{f.get('uri', '')}")
        if "qop" in f:
            expected = md5(f"{ha1}:{NONCE}:{f.get('nc')}:{f.get('cnonce')}:{f['qop']}:{ha2}")
        else:
            expected = md5(f"{ha1}:{NONCE}:{ha2}")
        return f.get("response") == expected

    def refuse(self, challenge):
        self.send_response(401)
        self.send_header("WWW-Authenticate", challenge)
        self.send_header("Content-Length", "0")
        self.end_headers()

    def send_body(self, status, kind, body):
        self.send_response(status)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        path = self.path.split("?")[0]
        if path == "/silent.jpg":
            time.sleep(60)
            return
        if path == "/missing.jpg":
            self.send_body(404, "text/plain", b"not found")
            return
        if path == "/page.jpg":
            self.send_body(200, "text/html", b"<html><body>Login first</body></html>")
            return
        if path == "/basic.jpg" and not self.basic_ok():
            self.refuse(f'Basic realm="{REALM}"')
            return
        if path == "/digest.jpg" and not self.digest_ok():
            self.refuse(f'Digest realm="{REALM}", qop="auth", nonce="{NONCE}", algorithm=MD5')
            return
        if path not in ("/basic.jpg", "/digest.jpg", "/open.jpg"):
            self.send_body(404, "text/plain", b"not found")
            return
        with open(PICTURE, "rb") as picture:
            self.send_body(200, "image/jpeg", picture.read())


server = ThreadingHTTPServer(("127.0.0.1", 0), Camera)
server.daemon_threads = True
if len(sys.argv) > 5:
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(sys.argv[4], sys.argv[5])
    server.socket = context.wrap_socket(server.socket, server_side=True)
threading.Thread(target=server.serve_forever, daemon=True).start()
print(server.server_address[1], flush=True)
sys.stdin.read()
