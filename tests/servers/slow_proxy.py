#!/usr/bin/python3
"""A slow link for the tests: forwards connections on 127.0.0.1 and a free port to a server on
127.0.0.1, and hands on everything the server sends DELAY seconds late, as a satellite or
dial-up line does to every greeting, handshake message and reply.

Usage: slow_proxy.py TARGET_PORT DELAY
Prints its port once it accepts connections and stops when standard input closes.
"""
import socket
import sys
import threading
import time


def forward(source, target, delay):
    pending = []
    ready = threading.Condition()

    def deliver():
        while True:
            with ready:
                while not pending:
                    ready.wait()
                due, data = pending.pop(0)
            time.sleep(max(0.0, due - time.monotonic()))
            if not data:
                target.shutdown(socket.SHUT_WR)
                return
            try:
                target.sendall(data)
            except OSError:
                return

    threading.Thread(target=deliver, daemon=True).start()
    while True:
        try:
            data = source.recv(65536)
        except OSError:
            data = b""
        with ready:
            pending.append((time.monotonic() + delay, data))
            ready.notify()
        if not data:
            return


def serve(client, target_port, delay):
    server = socket.create_connection(("127.0.0.1", target_port))
    threading.Thread(target=forward, args=(client, server, 0.0), daemon=True).start()
    threading.Thread(target=forward, args=(server, client, delay), daemon=True).start()


def main():
    target_port, delay = int(sys.argv[1]), float(sys.argv[2])
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen()
    print(listener.getsockname()[1], flush=True)

    def accept():
        while True:
            client, _ = listener.accept()
            serve(client, target_port, delay)

    threading.Thread(target=accept, daemon=True).start()
    sys.stdin.read()


if __name__ == "__main__":
    main()
