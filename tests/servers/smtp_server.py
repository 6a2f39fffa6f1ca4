#!/usr/bin/python3
"""A real SMTP server for the tests, on 127.0.0.1 and a free port.

Usage: smtp_server.py MAILDIR [USER PASSWORD]
Prints the port on the first line of standard output once it accepts connections, stores
every delivered message as MAILDIR/<n>.json (envelope sender, recipients, content in base64)
and stops when standard input closes. With USER and PASSWORD, AUTH LOGIN is offered over plain
TCP and MAIL FROM needs it.
"""
import base64
import json
import os
import socket
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


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def main():
    warnings.filterwarnings("ignore")
    folder = sys.argv[1]
    user = sys.argv[2].encode() if len(sys.argv) > 3 else None
    password = sys.argv[3].encode() if len(sys.argv) > 3 else None

    def authenticate(server, session, envelope, mechanism, auth_data):
        ok = isinstance(auth_data, LoginPassword) and auth_data.login == user and \
            auth_data.password == password
        return AuthResult(success=ok, handled=False)

    options = {}
    if user is not None:
        options = dict(authenticator=authenticate, auth_require_tls=False, auth_required=True)
    port = free_port()
    controller = Controller(Store(folder), hostname="127.0.0.1", port=port,
                            server_kwargs=options)
    controller.start()
    print(port, flush=True)
    sys.stdin.read()
    controller.stop()


if __name__ == "__main__":
    main()
