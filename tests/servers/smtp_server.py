#!/usr/bin/python3
"""A real SMTP server for the tests, on 127.0.0.1 and a free port.

Usage: smtp_server.py MAILDIR [--user USER --password PASSWORD]
                              [--starttls CERT KEY | --tls CERT KEY] [--host ADDRESS] [--log FILE]
Prints the port on the first line of standard output once it accepts connections, stores
every delivered message as MAILDIR/<n>.json (envelope sender, recipients, content in base64)
and stops when standard input closes.

With --user and --password, AUTH LOGIN is offered and MAIL FROM needs it. --starttls offers
STARTTLS with that certificate and key, requires it before any mail command and offers AUTH
only after it; --tls speaks TLS from the first byte. --host listens on another address of this
machine (::1); --log writes every command line received into FILE.
"""
import argparse
import base64
import json
import logging
import os
import socket
import ssl
import sys
import warnings

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword


class Store:
    def __init__(self, folder):
        self.folder = folder
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        record = {
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "content": base64.b64encode(envelope.original_content or envelope.content).decode(),
        }
        path = os.path.join(self.folder, "%d.json" % self.count)
        with open(path + ".part", "w") as out:
            json.dump(record, out)
        os.rename(path + ".part", path)
        return "250 OK"


def free_port(host):
    with socket.socket(socket.AF_INET6 if ":" in host else socket.AF_INET) as probe:
        probe.bind((host, 0))
        return probe.getsockname()[1]


def server_context(certificate, key):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(certificate, key)
    return context


def main():
    warnings.filterwarnings("ignore")
    parser = argparse.ArgumentParser()
    parser.add_argument("folder")
    parser.add_argument("--user")
    parser.add_argument("--password")
    parser.add_argument("--starttls", nargs=2, metavar=("CERT", "KEY"))
    parser.add_argument("--tls", nargs=2, metavar=("CERT", "KEY"))
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--log")
    arguments = parser.parse_args()
    if arguments.log:
        logging.basicConfig(filename=arguments.log, level=logging.INFO, format="%(message)s")
    user = arguments.user.encode() if arguments.user else None
    password = (arguments.password or "").encode()

    def authenticate(server, session, envelope, mechanism, auth_data):
        ok = isinstance(auth_data, LoginPassword) and auth_data.login == user and \
            auth_data.password == password
        return AuthResult(success=ok, handled=False)

    options = {}
    if user is not None:
        options.update(authenticator=authenticate, auth_required=True,
                       auth_require_tls=arguments.starttls is not None)
    if arguments.starttls:
        options.update(tls_context=server_context(*arguments.starttls), require_starttls=True)
    port = free_port(arguments.host)
    ssl_context = server_context(*arguments.tls) if arguments.tls else None
    controller = Controller(Store(arguments.folder), hostname=arguments.host, port=port,
                            ssl_context=ssl_context, **options)
    controller.start()
    print(port, flush=True)
    sys.stdin.read()
    controller.stop()


if __name__ == "__main__":
    main()
