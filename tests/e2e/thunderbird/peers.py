"""The harness's side of the native-messaging ports: the relays (relay.py)
connect to Unix sockets here, one connection per port Thunderbird opens. The
driver (the test's hands in Thunderbird), the stub host, and the tap that
records what a real host and the extension say to each other.
"""
import itertools
import json
import socket
import threading
import time
from pathlib import Path

from protocol_check import Protocol

PROTOCOL = Protocol(Path(__file__).resolve().parents[3] / "thunderbird" / "protocol.json")


class Failure(Exception):
    """A step of the round did not happen as it must."""


def log(text):
    print(f"[{time.strftime('%H:%M:%S')}] {text}", flush=True)


class Clock:
    """Conditions with deadlines: every wait of the harness goes through here."""

    def __init__(self):
        self.changed = threading.Condition()

    def notify(self):
        with self.changed:
            self.changed.notify_all()

    def wait_for(self, predicate, timeout, what):
        """Waits until predicate() returns something true (and returns it);
        wakes when anything is recorded, and looks at files and processes
        every 50 ms. Raises Failure with `what` at the deadline."""
        deadline = time.monotonic() + timeout
        with self.changed:
            while True:
                result = predicate()
                if result:
                    return result
                left = deadline - time.monotonic()
                if left <= 0:
                    raise Failure(f"{what}: not within {timeout:g} s")
                self.changed.wait(min(left, 0.05))


class Channel:
    """A Unix socket the relays (relay.py) connect to: one connection per
    native-messaging port Thunderbird opens, one JSON object a line."""

    def __init__(self, path, clock, on_message, on_close=None):
        self.path = str(path)
        self.clock = clock
        self.on_message = on_message
        self.on_close = on_close or (lambda peer: None)
        self.peers = []
        self.listener = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.listener.bind(self.path)
        self.listener.listen()
        threading.Thread(target=self._accept, daemon=True).start()

    def _accept(self):
        while True:
            try:
                conn, _ = self.listener.accept()
            except OSError:
                return
            peer = Peer(conn, len(self.peers) + 1)
            self.peers.append(peer)
            threading.Thread(target=self._read, args=(peer,), daemon=True).start()
            self.clock.notify()

    def _read(self, peer):
        for line in peer.conn.makefile("rb"):
            try:
                message = json.loads(line)
            except ValueError:
                log(f"{self.path}: not JSON: {line[:200]!r}")
                continue
            self.on_message(peer, message)
            self.clock.notify()
        peer.open = False
        self.on_close(peer)
        self.clock.notify()

    def current(self):
        live = [p for p in self.peers if p.open]
        return live[-1] if live else None

    def close(self):
        self.listener.close()
        for peer in self.peers:
            peer.close()


class Peer:
    def __init__(self, conn, number):
        self.conn = conn
        self.number = number
        self.open = True
        self.lock = threading.Lock()

    def send(self, obj):
        with self.lock:
            self.conn.sendall(json.dumps(obj).encode() + b"\n")

    def close(self):
        self.open = False
        try:
            self.conn.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        self.conn.close()


class Driver:
    """The test's hands in Thunderbird (driver/driver.js)."""

    def __init__(self, folder, clock):
        self.clock = clock
        self.replies = {}
        self.ids = itertools.count(1)
        self.channel = Channel(folder / "driver.sock", clock, self._message)

    def _message(self, peer, message):
        self.replies[message.get("id")] = message

    def connected(self):
        return self.channel.current()

    def call(self, op, timeout=30, **args):
        peer = self.clock.wait_for(self.connected, timeout, "the test driver in Thunderbird connects")
        call_id = next(self.ids)
        peer.send({"id": call_id, "op": op, "args": args})
        reply = self.clock.wait_for(lambda: self.replies.pop(call_id, None), timeout, f"the driver answers {op}")
        if not reply["ok"]:
            raise Failure(f"driver {op}({args}) failed: {reply['error']}")
        return reply["result"]


class StubHost:
    """A Chasewell host that only speaks the protocol: it answers hello (ok,
    this protocol's version) and itemSend (no cancel), records every message
    with the connection it came on, checks each against protocol.json (a
    message that does not fit fails the round), and sends the requests a test
    asks for."""

    def __init__(self, folder, clock):
        self.clock = clock
        self.received = []  # (connection number, message)
        self.problems = []
        self.replies = {}
        self.requests = {}  # id -> kind, of the requests the stub sent
        self.ids = itertools.count(1000)
        self.cancel_next_send = False
        self.channel = Channel(folder / "host.sock", clock, self._message)

    def _message(self, peer, message):
        self.received.append((peer.number, message))
        problem = PROTOCOL.check_to_host(message)
        kind = message.get("kind")
        if problem is None and kind == "reply" and message.get("ok") and message.get("id") in self.requests:
            problem = PROTOCOL.check_result_to_host(self.requests[message["id"]], message)
        if problem:
            self.problems.append(f"{problem}: {json.dumps(message)[:300]}")
            log(f"stub host: a message does not fit protocol.json: {problem}")
            return
        if kind == "hello":
            peer.send({"kind": "reply", "id": message["id"], "ok": True, "protocol": PROTOCOL.version,
                       "host": "e2e stub host"})
        elif kind == "itemSend":
            cancel, self.cancel_next_send = self.cancel_next_send, False
            peer.send({"kind": "reply", "id": message["id"], "ok": True, "cancel": cancel})
        elif kind == "reply":
            self.replies[message["id"]] = message

    def connected(self):
        return self.channel.current()

    def messages(self, kind=None, connection=None):
        return [m for n, m in self.received
                if (kind is None or m.get("kind") == kind) and (connection is None or n == connection)]

    def wait_message(self, kind, timeout, what, where=lambda m: True, after=0):
        """The first message of this kind (among those from position `after`
        on) for which where(message) holds."""
        def found():
            for _, message in self.received[after:]:
                if message.get("kind") == kind and where(message):
                    return message
            return None
        return self.clock.wait_for(found, timeout, what)

    def send(self, kind, **fields):
        peer = self.clock.wait_for(self.connected, 10, "Thunderbird is connected to the stub host")
        peer.send({"kind": kind, **fields})

    def request(self, kind, timeout=30, **fields):
        """Sends a request and waits for the extension's reply."""
        request_id = next(self.ids)
        self.requests[request_id] = kind
        self.send(kind, id=request_id, **fields)
        return self.clock.wait_for(lambda: self.replies.pop(request_id, None), timeout, f"the reply to {kind}")


class Tap:
    """With a real host: the relay between Thunderbird and the host copies every
    message here, each way."""

    def __init__(self, folder, clock):
        self.clock = clock
        # (connection number, way, message, time.monotonic() when it came);
        # way: "toHost", "toExtension", "portClosed" (Thunderbird closed the
        # port: the message is {}) or "hostExited" (the message is the exit
        # code).
        self.received = []
        self.channel = Channel(folder / "tap.sock", clock, self._message)

    def _message(self, peer, message):
        for way, body in message.items():
            self.received.append((peer.number, way, body, time.monotonic()))

    def messages(self, way, kind=None):
        return [b for _, w, b, _ in self.received if w == way and (kind is None or b.get("kind") == kind)]

    def ends(self, connection):
        """When Thunderbird closed the port of that connection and when and
        how its host exited: (closed at, exited at, exit code), None for what
        has not happened."""
        closed = next((t for n, w, _, t in self.received if n == connection and w == "portClosed"), None)
        exited = next(((t, b) for n, w, b, t in self.received if n == connection and w == "hostExited"),
                      (None, None))
        return closed, exited[0], exited[1]

    def connected(self):
        return self.channel.current()


