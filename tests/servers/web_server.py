#!/usr/bin/python3
"""A web server for the tests, on 127.0.0.1 and a free port, serving a folder as it is.

Usage: web_server.py ROOT [BEHAVIOUR...]
  cert=PEM key=PEM  HTTPS with this certificate and key instead of HTTP
  silent            accepts connections and never answers, as a server that hangs does

Prints the port once it accepts connections and stops when standard input closes.
"""
import functools
import http.server
import socket
import ssl
import sys
import threading


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def silent_server():
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    held = []

    def accept():
        while True:
            connection, _ = listener.accept()
            held.append(connection)  # never read, never answered, never closed

    threading.Thread(target=accept, daemon=True).start()
    return listener.getsockname()[1]


def main():
    root = sys.argv[1]
    options = dict(arg.split("=", 1) if "=" in arg else (arg, "") for arg in sys.argv[2:])
    if "silent" in options:
        port = silent_server()
    else:
        handler = functools.partial(QuietHandler, directory=root)
        server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        if "cert" in options:
            context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            context.load_cert_chain(options["cert"], options["key"])
            server.socket = context.wrap_socket(server.socket, server_side=True)
        port = server.server_address[1]
        threading.Thread(target=server.serve_forever, daemon=True).start()
    print(port, flush=True)
    sys.stdin.read()


if __name__ == "__main__":
    main()
