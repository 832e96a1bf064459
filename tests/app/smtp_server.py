"""A local SMTP server for the tests: records every message it receives as JSON.

Usage: smtp_server.py OUT_DIR [CERT KEY]
With a certificate it offers STARTTLS, insists on it and then accepts any login.
Prints "READY <port>" once it listens on 127.0.0.1, and runs until its standard input
closes.
"""
import email
import email.policy
import json
import os
import socket
import ssl
import sys

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult


class Recorder:
    def __init__(self, out_dir):
        self.out_dir = out_dir
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        message = email.message_from_bytes(envelope.original_content, policy=email.policy.default)
        login = session.auth_data
        record = {
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "from": str(message["From"]),
            "to": str(message["To"]),
            "subject": str(message["Subject"]),
            "body": message.get_body(("plain",)).get_content(),
            "tls": session.ssl is not None,
            "login": login.login.decode() if login else None,
            "password": login.password.decode() if login else None,
        }
        self.count += 1
        path = os.path.join(self.out_dir, "%d.json" % self.count)
        with open(path + ".part", "w", encoding="utf-8") as f:
            json.dump(record, f)
        os.rename(path + ".part", path)
        return "250 OK"


def accept_any_login(server, session, envelope, mechanism, auth_data):
    return AuthResult(success=True, auth_data=auth_data)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def main():
    out_dir = sys.argv[1]
    options = {}
    if len(sys.argv) > 3:
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(sys.argv[2], sys.argv[3])
        options = dict(tls_context=context, require_starttls=True,
                       authenticator=accept_any_login, auth_require_tls=True)
    port = free_port()
    controller = Controller(Recorder(out_dir), hostname="127.0.0.1", port=port, **options)
    controller.start()
    print("READY %d" % port, flush=True)
    sys.stdin.read()
    controller.stop()


main()
