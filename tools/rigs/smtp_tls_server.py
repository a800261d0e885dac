#!/usr/bin/python3
"""SMTP rig server with TLS on aiosmtpd (python3-aiosmtpd 1.4.3), a sibling of smtp_server.py.
usage: smtp_tls_server.py PORTFILE DIR  (listens on a port the system picks and writes it to PORTFILE)
env:   SMTP_TLS   starttls (default): STARTTLS offered and required before anything but
                  EHLO/NOOP/QUIT (else "530 Must issue a STARTTLS command first");
                  none: no STARTTLS at all (AUTH, if on, is then offered in the clear);
                  implicit: TLS from the first byte (like smtps on 465)
       SMTP_AUTH  'user:pass' (default alice:secret): AUTH PLAIN and LOGIN with that login only;
                  '' = no AUTH
       SMTP_AUTH_REQUIRED  1 (default): MAIL before a successful AUTH gets 530 5.7.0
       SMTP_AUTH_MECHS  the mechanisms offered, of PLAIN and LOGIN (default "PLAIN LOGIN")
       TLS_CERT / TLS_KEY  server certificate and key (default DIR/../tls/server-chain.pem, server.key)
Every accepted message is stored byte-exact (CRLF, dot-unstuffed) as one file in DIR/maildir/new,
after these envelope lines: X-Rig-Helo, X-Rig-Auth (login name), X-Rig-Mail-From, X-Rig-Rcpt-To
(comma-separated), X-Rig-TLS (yes/no: was the session encrypted when DATA came), X-Rig-Authenticated
(yes/no). Every command line the clients send goes to DIR/commands.jsonl (see cmdlog/smtp_cmdlog.py),
with a "tls-up" event when a STARTTLS handshake completes.
"""
import asyncio, os, signal, ssl, sys, time
from aiosmtpd.smtp import SMTP, AuthResult

HERE = os.path.dirname(os.path.realpath(__file__))
sys.path.insert(0, os.path.join(HERE, "cmdlog"))
import smtp_cmdlog  # noqa: E402

portfile, top = sys.argv[1], sys.argv[2]
env = os.environ.get
MODE = env("SMTP_TLS", "starttls")
AUTH = env("SMTP_AUTH", "alice:secret")
AUTH_REQUIRED = env("SMTP_AUTH_REQUIRED", "1") == "1" and bool(AUTH)
MECHS = env("SMTP_AUTH_MECHS", "PLAIN LOGIN").split()
tls_dir = os.path.join(os.path.dirname(os.path.abspath(top)), "tls")
CERT = env("TLS_CERT", os.path.join(tls_dir, "server-chain.pem"))
KEY = env("TLS_KEY", os.path.join(tls_dir, "server.key"))
maildir = os.path.join(top, "maildir")
cmdlog = os.path.join(top, "commands.jsonl")
for sub in ("new", "cur", "tmp"):
    os.makedirs(os.path.join(maildir, sub), exist_ok=True)
smtp_cmdlog.install(cmdlog)


def session_tls(server, session):
    if session.ssl is not None:          # after STARTTLS
        return True
    tr = server.transport               # implicit TLS: the transport itself is encrypted
    return bool(tr is not None and tr.get_extra_info("ssl_object") is not None)


class Handler:
    count = 0

    def handle_STARTTLS(self, server, session, envelope):
        smtp_cmdlog.event(cmdlog, session.peer[1] if session.peer else None, "tls-up")
        return True

    async def handle_DATA(self, server, session, envelope):
        Handler.count += 1
        login = session.auth_data.decode("utf-8", "replace") if isinstance(session.auth_data, bytes) else ""
        head = (f"X-Rig-Helo: {session.host_name}\r\nX-Rig-Auth: {login}\r\n"
                f"X-Rig-Mail-From: {envelope.mail_from}\r\n"
                f"X-Rig-Rcpt-To: {','.join(envelope.rcpt_tos)}\r\n"
                f"X-Rig-TLS: {'yes' if session_tls(server, session) else 'no'}\r\n"
                f"X-Rig-Authenticated: {'yes' if session.authenticated else 'no'}\r\n").encode()
        name = f"{time.time():.6f}.{os.getpid()}.{Handler.count}.rig"
        tmp = os.path.join(maildir, "tmp", name)
        with open(tmp, "wb") as f:
            f.write(head + (envelope.original_content or envelope.content))
        os.rename(tmp, os.path.join(maildir, "new", name))
        print(f"stored {name} from={envelope.mail_from} to={envelope.rcpt_tos}", flush=True)
        return "250 2.0.0 OK stored as " + name


def authenticator(server, session, envelope, mechanism, data):
    ok = f"{data.login.decode('utf-8', 'replace')}:{data.password.decode('utf-8', 'replace')}" == AUTH
    return AuthResult(success=ok, handled=False, auth_data=data.login)


ctx = None
if MODE in ("starttls", "implicit"):
    ctx = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    ctx.load_cert_chain(CERT, KEY)

kw = dict(hostname="rig.localhost", ident="rig aiosmtpd tls")
if MODE == "starttls":
    kw.update(tls_context=ctx, require_starttls=True)
if AUTH:
    # aiosmtpd offers AUTH only after STARTTLS when auth_require_tls is set; implicit TLS has no
    # STARTTLS, and mode "none" offers it in the clear on purpose (to see whether a client uses it)
    kw.update(authenticator=authenticator, auth_required=AUTH_REQUIRED,
              auth_require_tls=(MODE == "starttls"),
              auth_exclude_mechanism=[m for m in ("PLAIN", "LOGIN") if m not in MECHS])

loop = asyncio.new_event_loop()
asyncio.set_event_loop(loop)
srv = loop.run_until_complete(loop.create_server(lambda: SMTP(Handler(), **kw), "127.0.0.1", 0,
                                                 ssl=ctx if MODE == "implicit" else None))
port = srv.sockets[0].getsockname()[1]
with open(portfile + ".tmp", "w") as f:
    f.write(str(port))
os.replace(portfile + ".tmp", portfile)
loop.add_signal_handler(signal.SIGTERM, loop.stop)
loop.add_signal_handler(signal.SIGINT, loop.stop)
print(f"listening on 127.0.0.1:{port} mode={MODE} auth={'on' if AUTH else 'off'}, dir {top}", flush=True)
loop.run_forever()
srv.close()
