#!/usr/bin/python3
"""A real FTP server for the tests, on 127.0.0.1 and a free port.

Usage: ftp_server.py ROOT [PORT [BEHAVIOUR...]]
Users, all with the password "secret": "station" with every right in ROOT, "reader" who may
only list and read, "keeper" who may store and rename but not delete, "placer" who may store and
delete but not rename, "tenant" with every right in ROOT/home/tenant, which is its login folder.

A BEHAVIOUR makes the server misbehave as real ones do:
  slow=N    reads uploads at N bytes per second
  stall=N   stops reading an upload after N bytes and answers nothing more on that control
            connection, as a server that hangs does
  drop      closes the control connection right after "150" for an upload
  nodata    accepts PORT and EPRT but never opens the data connection, and once a transfer
            waits for it answers nothing more on that control connection, as a server stuck in
            its connect does
  late=S    sends every reply after the greeting S seconds late
  silent    accepts the connection and never greets, as a server that waits for something else
  close     closes the connection at once (with implicit: before the TLS handshake is done)
  tlsclose  with cert= and key=: answers AUTH TLS with 234 and closes instead of the handshake
  refuse=TEXT  answers USER with TEXT, as servers refuse a plain session
  nosize    does not know the SIZE command
  huge=CMD  answers CMD with a reply line of 1 MiB
  noport    refuses PORT and EPRT, as a server behind a firewall that cannot reach the client
  nopassive refuses PASV and EPSV
  deadpassive  answers PASV and EPSV with port 9, where nothing listens
  log=FILE  writes "connect" for each new control connection and each command it receives
            ("PASS" without the password) into FILE
  cert=PEM key=PEM  requires TLS (AUTH TLS) on the control and the data connections, with
            this certificate and key; a plain login gets "550 SSL/TLS required ..."
  implicit  with cert= and key=: TLS from the first byte, as on port 990
  ipv6      listens on ::1 instead of 127.0.0.1

Prints the port once it accepts connections and stops when standard input closes.
"""
import logging
import os
import socket
import sys
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import (ActiveDTP, FTPHandler, ThrottledDTPHandler, TLS_DTPHandler,
                                TLS_FTPHandler)
from pyftpdlib.servers import FTPServer


def make_handler(behaviours):
    settings = dict(b.split("=", 1) if "=" in b else (b, "") for b in behaviours)

    class StallingDTPHandler(ThrottledDTPHandler):
        def __init__(self, sock, cmd_channel):
            super().__init__(sock, cmd_channel)
            self.ac_in_buffer_size = min(self.ac_in_buffer_size, int(settings["stall"]))

        def handle_read(self):
            if self.tot_bytes_received >= int(settings["stall"]):
                # Out of the loop: nothing more is read, so the client's window fills and the
                # transfer stops, and not even the client's close is noticed.
                self.del_channel()
                self.cmd_channel.stuck = True
                return
            super().handle_read()

        handle_read_event = handle_read

    class SmallWindowActiveDTP(ActiveDTP):
        # A small receive window keeps what the server has not read yet with the client, as a
        # slow line does, instead of in this machine's large loopback buffers.
        def create_socket(self, family, type):
            super().create_socket(family, type)
            self.socket.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 16384)

    class HandshakingTLSDTPHandler(TLS_DTPHandler):
        # Reads the client's handshake before the transfer starts; without this the data
        # connection of an upload is reset at its first TLS byte.
        def readable(self):
            return self._ssl_accepting or super().readable()

    base = TLS_FTPHandler if "cert" in settings else FTPHandler

    class Handler(base):
        if "cert" in settings:
            certfile = settings["cert"]
            keyfile = settings["key"]
            tls_control_required = True
            tls_data_required = True
            dtp_handler = HandshakingTLSDTPHandler

        def handle(self):
            if "silent" in settings:
                return
            if "close" in settings:
                self.close()
                return
            if "implicit" in settings:
                # The greeting waits in the output buffer until the handshake is done.
                self.secure_connection(self.ssl_context)
            super().handle()

        stuck = False

        def on_connect(self):
            self.log_line("connect")

        def pre_process_command(self, line, cmd, arg):
            self.log_line("PASS" if cmd == "PASS" else line)
            if self.stuck or ("nodata" in settings and self._in_dtp_queue is not None):
                return
            if "refuse" in settings and cmd == "USER":
                self.respond(settings["refuse"])
                return
            if "tlsclose" in settings and cmd == "AUTH":
                self.push("234 AUTH TLS successful.\r\n")
                self.close_when_done()
                return
            if settings.get("huge") == cmd:
                self.respond("331 " + "x" * (1024 * 1024))
                return
            super().pre_process_command(line, cmd, arg)

        @staticmethod
        def log_line(line):
            if "log" in settings:
                with open(settings["log"], "a") as log:
                    log.write(line + "\n")

        def respond(self, resp, logfun=logging.debug):
            late = float(settings.get("late", 0))
            if late and not resp.startswith("220"):
                self.ioloop.call_later(late, FTPHandler.respond, self, resp, logfun)
                return
            super().respond(resp, logfun)

        def ftp_STOR(self, file, mode="w"):
            result = super().ftp_STOR(file, mode)
            if "drop" in settings:
                self.close()
            return result

        def _make_epasv(self, extmode=False):
            if "nopassive" in settings:
                self.respond("502 Passive mode is not possible here.")
                return
            if "deadpassive" in settings:
                self.respond("229 Entering extended passive mode (|||9|)." if extmode else
                             "227 Entering passive mode (127,0,0,1,0,9).")
                return
            super()._make_epasv(extmode)

        def _make_eport(self, ip, port):
            if "noport" in settings:
                self.respond("501 Active mode is not possible here.")
                return
            if "nodata" in settings:
                self.respond("200 Active data connection established.")
                return
            super()._make_eport(ip, port)

    if "nosize" in settings:
        Handler.proto_cmds = {k: v for k, v in base.proto_cmds.items() if k != "SIZE"}
    if "slow" in settings:
        dtp = type("SlowDTPHandler", (ThrottledDTPHandler,), {})
        dtp.read_limit = int(settings["slow"])
        Handler.dtp_handler = dtp
        Handler.active_dtp = SmallWindowActiveDTP
    elif "stall" in settings:
        Handler.dtp_handler = StallingDTPHandler
        Handler.active_dtp = SmallWindowActiveDTP
    return Handler


def main():
    logging.basicConfig(level=logging.CRITICAL)
    root = sys.argv[1]
    port = int(sys.argv[2]) if len(sys.argv) > 2 else 0
    tenant_home = os.path.join(root, "home", "tenant")
    os.makedirs(tenant_home, exist_ok=True)
    authorizer = DummyAuthorizer()
    authorizer.add_user("station", "secret", root, perm="elradfmwMT")
    authorizer.add_user("reader", "secret", root, perm="elr")
    authorizer.add_user("keeper", "secret", root, perm="elrwf")
    authorizer.add_user("placer", "secret", root, perm="elrwd")
    authorizer.add_user("tenant", "secret", tenant_home, perm="elradfmwMT")
    handler = make_handler(sys.argv[3:])
    handler.authorizer = authorizer
    handler.permit_foreign_addresses = False
    server = FTPServer(("::1" if "ipv6" in sys.argv[3:] else "127.0.0.1", port), handler)
    print(server.address[1], flush=True)
    thread = threading.Thread(target=server.serve_forever, kwargs={"timeout": 0.2})
    thread.start()
    sys.stdin.read()
    server.close_all()
    thread.join()


if __name__ == "__main__":
    main()
