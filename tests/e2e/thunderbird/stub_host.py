#!/usr/bin/python3
"""A stand-in Chasewell host as a program of its own, on standard input and
output as Thunderbird starts one: it answers hello (ok, protocol.json's
version) and itemSend (no cancel), and appends every message it receives to
the file named by $CHASEWELL_E2E_STUB_RECORD, one JSON object a line. The
harness starts it the way it starts a real host (given by path, behind the
recording relay), which proves that way before a real host takes it.
"""
import json
import os
import struct
import sys
from pathlib import Path

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, str(Path(__file__).resolve().parent))
from protocol_check import Protocol  # noqa: E402

PROTOCOL = Protocol(Path(__file__).resolve().parents[3] / "thunderbird" / "protocol.json")


def main():
    record = open(os.environ["CHASEWELL_E2E_STUB_RECORD"], "a", encoding="utf-8")
    stdin, stdout = sys.stdin.buffer, sys.stdout.buffer

    def answer(message):
        body = json.dumps(message).encode()
        stdout.write(struct.pack("=I", len(body)) + body)
        stdout.flush()

    while len(header := stdin.read(4)) == 4:
        message = json.loads(stdin.read(struct.unpack("=I", header)[0]))
        problem = PROTOCOL.check_to_host(message)
        record.write(json.dumps({"message": message, "problem": problem}) + "\n")
        record.flush()
        if problem:
            continue
        if message["kind"] == "hello":
            answer({"kind": "reply", "id": message["id"], "ok": True, "protocol": PROTOCOL.version,
                    "host": "e2e stub host program"})
        elif message["kind"] == "itemSend":
            answer({"kind": "reply", "id": message["id"], "ok": True, "cancel": False})


if __name__ == "__main__":
    main()
