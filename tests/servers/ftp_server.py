#!/usr/bin/python3
"""A real FTP server for the tests, on 127.0.0.1 and a free port.

Usage: ftp_server.py ROOT [PORT]
Users, all with the password "secret": "station" with every right in ROOT, "reader" who may
only list and read, "keeper" who may store and rename but not delete, "placer" who may store and
delete but not rename. Prints the port once it accepts connections and stops when standard input closes.
"""
import logging
import sys
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    logging.basicConfig(level=logging.CRITICAL)
    root = sys.argv[1]
    port = int(sys.argv[2]) if len(sys.argv) > 2 else 0
    authorizer = DummyAuthorizer()
    authorizer.add_user("station", "secret", root, perm="elradfmwMT")
    authorizer.add_user("reader", "secret", root, perm="elr")
    authorizer.add_user("keeper", "secret", root, perm="elrwf")
    authorizer.add_user("placer", "secret", root, perm="elrwd")
    handler = FTPHandler
    handler.authorizer = authorizer
    handler.permit_foreign_addresses = False
    server = FTPServer(("127.0.0.1", port), handler)
    print(server.address[1], flush=True)
    thread = threading.Thread(target=server.serve_forever, kwargs={"timeout": 0.2})
    thread.start()
    sys.stdin.read()
    server.close_all()
    thread.join()


if __name__ == "__main__":
    main()
