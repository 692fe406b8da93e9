"""SMTP server for the job runner's tests (Debian's python3-aiosmtpd).

Listens on a free port of 127.0.0.1, prints "listening on port N", and appends
one JSON line per message it accepts to the file named by its argument: the
envelope, the From, To, Subject and X-Ocg-Job fields (decoded) and the body
(decoded; "<broken encoded word>" when one of the subject's encoded words is
not whole UTF-8 on its own, as a mail reader decodes it). Refuses for good (550) every recipient whose local part starts
with "recusado". Runs until it is killed.
"""
import asyncio
import base64
import email
import email.policy
import json
import re
import sys

from aiosmtpd.smtp import SMTP


class Recorder:
    def __init__(self, path):
        self.path = path

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.split("@")[0].lower().startswith("recusado"):
            return "550 5.1.1 mailbox unavailable"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        msg = email.message_from_bytes(envelope.content, policy=email.policy.default)
        subject = str(msg["Subject"])
        head = envelope.content.split(b"\r\n\r\n")[0]
        try:
            for word in re.findall(rb"=\?UTF-8\?B\?([A-Za-z0-9+/=]*)\?=", head):
                base64.b64decode(word).decode("utf-8")
        except UnicodeDecodeError:
            subject = "<broken encoded word>"
        record = {
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "from": str(msg["From"]),
            "to": str(msg["To"]),
            "subject": subject,
            "job": str(msg["X-Ocg-Job"]),
            "body": msg.get_content().replace("\r\n", "\n"),
        }
        # One write per line, so that a reader never sees half a message.
        with open(self.path, "a", encoding="utf-8") as out:
            out.write(json.dumps(record, ensure_ascii=False) + "\n")
        return "250 Message accepted"


async def main():
    loop = asyncio.get_running_loop()
    server = await loop.create_server(lambda: SMTP(Recorder(sys.argv[1])), "127.0.0.1", 0)
    print("listening on port", server.sockets[0].getsockname()[1], flush=True)
    await server.serve_forever()


asyncio.run(main())
