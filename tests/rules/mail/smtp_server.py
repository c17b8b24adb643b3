#!/usr/bin/python3
"""A real SMTP server (aiosmtpd) on a loopback port for the mail tests.

Prints "PORT <n>" once it listens, then one "MESSAGE <json>" line for every
message it accepts (envelope, data, whether TLS was on, who logged in).
Recipients whose address starts with "refuse" get 550. Ends when its standard
input closes, so a test that dies never leaves it behind.
"""
import argparse
import asyncio
import json
import logging
import ssl
import sys
import warnings

warnings.simplefilter("ignore")  # aiosmtpd's own deprecation notices

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


TLS_FROM_FIRST_BYTE = False


class Recorder:
    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.startswith("refuse"):
            return "550 5.1.1 no such user here"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        record = {
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "data": envelope.original_content.decode("latin-1"),
            "tls": TLS_FROM_FIRST_BYTE or session.ssl is not None,
            "auth": session.auth_data.decode() if isinstance(session.auth_data, bytes)
            else None,
        }
        print("MESSAGE " + json.dumps(record), flush=True)
        return "250 Message accepted"


def main():
    logging.disable(logging.WARNING)
    ap = argparse.ArgumentParser()
    ap.add_argument("--security", choices=["none", "starttls", "tls"], default="none")
    ap.add_argument("--cert")
    ap.add_argument("--key")
    ap.add_argument("--auth", help="USER:PASSWORD that must log in")
    a = ap.parse_args()
    global TLS_FROM_FIRST_BYTE
    TLS_FROM_FIRST_BYTE = a.security == "tls"

    ctx = None
    if a.security != "none":
        ctx = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        ctx.load_cert_chain(a.cert, a.key)

    authenticator = None
    if a.auth:
        user, password = a.auth.split(":", 1)

        def authenticator(server, session, envelope, mechanism, auth_data):
            ok = (isinstance(auth_data, LoginPassword) and auth_data.login.decode() == user
                  and auth_data.password.decode() == password)
            return AuthResult(success=ok, auth_data=auth_data.login if ok else None)

    def factory():
        kwargs = dict(hostname="wvn-test-relay", auth_exclude_mechanism=[])
        if authenticator:
            # aiosmtpd only knows of STARTTLS; on a TLS port the whole
            # connection is protected already.
            kwargs.update(authenticator=authenticator, auth_required=True,
                          auth_require_tls=a.security != "tls")
        if a.security == "starttls":
            kwargs.update(tls_context=ctx, require_starttls=True)
        return SMTP(Recorder(), **kwargs)

    async def run():
        loop = asyncio.get_running_loop()
        server = await loop.create_server(factory, "127.0.0.1", 0,
                                          ssl=ctx if a.security == "tls" else None)
        print("PORT %d" % server.sockets[0].getsockname()[1], flush=True)
        await loop.run_in_executor(None, sys.stdin.read)
        server.close()

    asyncio.run(run())


if __name__ == "__main__":
    main()
