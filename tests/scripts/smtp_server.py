#!/usr/bin/python3
"""A local SMTP server for the mail tests (aiosmtpd on 127.0.0.1, a free port).

Prints "port N" once listening. Every message received is written to OUTDIR/N.eml (the raw
bytes), and every connection made is counted in OUTDIR/connections. Stops when stdin closes.
Options: --auth USER:PASSWORD (AUTH required), --tls CERT KEY (offer STARTTLS).
"""
import argparse
import os
import ssl
import sys

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


class Saver:
    def __init__(self, outdir):
        self.outdir = outdir
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        path = os.path.join(self.outdir, "%d.eml" % self.count)
        with open(path + ".tmp", "wb") as out:
            out.write(("X-Envelope-From: %s\r\nX-Envelope-To: %s\r\n" %
                       (envelope.mail_from, ",".join(envelope.rcpt_tos))).encode())
            out.write(envelope.original_content)
        os.rename(path + ".tmp", path)
        return "250 OK"


class CountingSMTP(SMTP):
    def connection_made(self, transport):
        with open(os.path.join(self.outdir, "connections"), "a") as log:
            log.write("1\n")
        super().connection_made(transport)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("outdir")
    parser.add_argument("--auth")
    parser.add_argument("--tls", nargs=2)
    args = parser.parse_args()

    kwargs = {}
    if args.auth:
        user, password = args.auth.split(":", 1)

        def authenticator(server, session, envelope, mechanism, auth_data):
            if isinstance(auth_data, LoginPassword) and auth_data.login.decode() == user \
                    and auth_data.password.decode() == password:
                return AuthResult(success=True)
            return AuthResult(success=False, handled=False)

        kwargs.update(authenticator=authenticator, auth_required=True,
                      auth_require_tls=bool(args.tls))
    if args.tls:
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(args.tls[0], args.tls[1])
        kwargs.update(tls_context=context, require_starttls=True)

    outdir = args.outdir

    class Factory(Controller):
        def _trigger_server(self):
            # Bound to port 0: learn the real port before the readiness probe connects.
            self.port = self.server.sockets[0].getsockname()[1]
            super()._trigger_server()

        def factory(self):
            server = CountingSMTP(self.handler, **self.SMTP_kwargs)
            server.outdir = outdir
            return server

    controller = Factory(Saver(outdir), hostname="127.0.0.1", port=0, server_kwargs=kwargs)
    controller.start()
    port = controller.server.sockets[0].getsockname()[1]
    # The readiness probe of start() is not a client.
    try:
        os.unlink(os.path.join(outdir, "connections"))
    except FileNotFoundError:
        pass
    print("port %d" % port, flush=True)
    sys.stdin.read()
    controller.stop()


if __name__ == "__main__":
    main()
