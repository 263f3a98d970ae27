"""A native-messaging host for the end-to-end harness: it carries Thunderbird's
messages (32-bit native-endian length + UTF-8 JSON on standard input and
output) to the harness over a Unix socket (one JSON object a line), both ways.

    relay.py SOCKET             the harness answers (the test driver, the stub host)
    relay.py SOCKET PROGRAM     PROGRAM (the real host) answers; the harness
                                gets a copy of every message, each way, as
                                {"toHost": ...} or {"toExtension": ...}, then
                                {"portClosed": {}} when Thunderbird closed the
                                port and {"hostExited": CODE}

It ends when Thunderbird closes its standard input (after PROGRAM ended, so
the host can save) or when the harness closes the socket.
"""
import json
import os
import socket
import struct
import subprocess
import sys
import threading


def read_frame(stream):
    header = stream.read(4)
    if len(header) < 4:
        return None
    (length,) = struct.unpack("=I", header)
    body = stream.read(length)
    if len(body) < length:
        return None
    return body


def write_frame(stream, body, lock):
    with lock:
        stream.write(struct.pack("=I", len(body)) + body)
        stream.flush()


def main():
    path = sys.argv[1]
    program = sys.argv[2:]
    harness = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    harness.connect(path)
    to_harness = harness.makefile("wb")
    harness_lock = threading.Lock()
    stdout_lock = threading.Lock()
    stdin = sys.stdin.buffer
    stdout = sys.stdout.buffer

    def tell_harness(obj):
        with harness_lock:
            try:
                to_harness.write(json.dumps(obj).encode() + b"\n")
                to_harness.flush()
            except OSError:
                pass

    if not program:
        def from_harness():
            for line in harness.makefile("rb"):
                write_frame(stdout, json.dumps(json.loads(line)).encode(), stdout_lock)
            os._exit(0)  # the harness let go: Thunderbird sees the port end

        threading.Thread(target=from_harness, daemon=True).start()
        while (body := read_frame(stdin)) is not None:
            tell_harness(json.loads(body))
        os._exit(0)

    host = subprocess.Popen(program, stdin=subprocess.PIPE, stdout=subprocess.PIPE)

    # The host's end of output is the connection's end, whoever began it.
    def from_host():
        while (body := read_frame(host.stdout)) is not None:
            tell_harness({"toExtension": json.loads(body)})
            write_frame(stdout, body, stdout_lock)
        tell_harness({"hostExited": host.wait()})
        os._exit(0)

    threading.Thread(target=from_host, daemon=True).start()
    host_lock = threading.Lock()
    while (body := read_frame(stdin)) is not None:
        tell_harness({"toHost": json.loads(body)})
        try:
            write_frame(host.stdin, body, host_lock)
        except OSError:
            break
    tell_harness({"portClosed": {}})
    try:
        host.stdin.close()
    except OSError:
        pass
    try:
        host.wait(timeout=30)
    except subprocess.TimeoutExpired:
        host.kill()
    threading.Event().wait(5)  # from_host ends the process once it has read the rest
    os._exit(0)


if __name__ == "__main__":
    main()
