"""A local SMTP server for the print program's tests (python3-aiosmtpd).

Listens on 127.0.0.1 on a free port and saves every message it accepts as
NNNN.eml in FOLDER, with NNNN.env holding the envelope (MAIL FROM, then
one RCPT TO a line). Prints "READY <port>" once it accepts connections and
runs until it is terminated.

Options: --starttls CERT KEY (offer STARTTLS, and require it),
--tls CERT KEY (implicit TLS), --login USER PASSWORD (require AUTH).
"""
import argparse
import asyncio
import os
import signal
import socket
import ssl
import sys
import time

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword


class Saver:
    def __init__(self, folder):
        self.folder = folder
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        base = os.path.join(self.folder, "%04d" % self.count)
        with open(base + ".eml", "wb") as f:
            f.write(envelope.original_content or envelope.content)
        with open(base + ".env", "w") as f:
            f.write(envelope.mail_from + "\n")
            for rcpt in envelope.rcpt_tos:
                f.write(rcpt + "\n")
        return "250 Message accepted for delivery"


def free_port():
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("folder")
    parser.add_argument("--starttls", nargs=2)
    parser.add_argument("--tls", nargs=2)
    parser.add_argument("--login", nargs=2)
    args = parser.parse_args()

    kwargs = {}
    if args.starttls:
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(*args.starttls)
        kwargs["tls_context"] = context
        kwargs["require_starttls"] = True
    if args.login:
        user, password = args.login

        def authenticator(server, session, envelope, mechanism, auth_data):
            ok = (isinstance(auth_data, LoginPassword)
                  and auth_data.login.decode() == user
                  and auth_data.password.decode() == password)
            return AuthResult(success=ok, handled=False)

        kwargs["authenticator"] = authenticator
        kwargs["auth_required"] = True
        kwargs["auth_require_tls"] = bool(args.starttls or args.tls)
    else:
        kwargs["auth_require_tls"] = False
    ssl_context = None
    if args.tls:
        ssl_context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        ssl_context.load_cert_chain(*args.tls)

    port = free_port()
    controller = Controller(Saver(args.folder), hostname="127.0.0.1", port=port,
                            ssl_context=ssl_context, server_kwargs=kwargs)
    controller.start()
    print("READY %d" % port, flush=True)
    signal.signal(signal.SIGTERM, lambda *a: (controller.stop(), sys.exit(0)))
    while True:
        time.sleep(3600)


if __name__ == "__main__":
    main()
