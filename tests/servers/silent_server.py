#!/usr/bin/python3
"""A server that stops answering, for the tests: accepts connections on 127.0.0.1 and a free
port, takes up to TAKE bytes of each, then reads no more, and never sends a byte.

Usage: silent_server.py TAKE
Prints its port once it accepts connections and stops when standard input closes.
"""
import socket
import sys
import threading


def serve(connection, take):
    taken = 0
    while taken < take:
        data = connection.recv(min(65536, take - taken))
        if not data:
            return
        taken += len(data)
    # Kept open and unread until the process ends.
    threading.Event().wait()


def main():
    take = int(sys.argv[1])
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    print(listener.getsockname()[1], flush=True)

    def accept():
        while True:
            connection, _ = listener.accept()
            threading.Thread(target=serve, args=(connection, take), daemon=True).start()

    threading.Thread(target=accept, daemon=True).start()
    sys.stdin.read()


if __name__ == "__main__":
    main()
