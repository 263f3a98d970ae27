#!/usr/bin/env python3
"""An SMTP server for the tests: listens on 127.0.0.1 on a free port, prints
the port on its first line, and appends every message it receives to FILE as
one JSON line (the envelope sender, the envelope recipients, the data as
received). Serves until its standard input is closed.
    smtp_sink.py FILE"""
import asyncio, json, socket, sys
from aiosmtpd.smtp import SMTP

class Sink:
    async def handle_DATA(self, server, session, envelope):
        with open(sys.argv[1], 'a') as out:
            out.write(json.dumps({'from': envelope.mail_from, 'to': envelope.rcpt_tos,
                                  'data': envelope.original_content.decode('latin-1')}) + '\n')
        return '250 OK'

async def main():
    sock = socket.socket()
    sock.bind(('127.0.0.1', 0))
    sock.listen()
    loop = asyncio.get_running_loop()
    server = await loop.create_server(lambda: SMTP(Sink()), sock=sock)
    print(sock.getsockname()[1], flush=True)
    # Serves until the test closes its standard input.
    await loop.run_in_executor(None, sys.stdin.read)
    server.close()

asyncio.run(main())
