#!/usr/bin/python3
"""A hostile server for the clients' waits: listens on 127.0.0.1 on a port the system picks, writes
that port into PORTFILE, and treats each connection by the next entry of PLAN (the last entry
repeats):
  silent            accept, read what comes, never answer, never close
  silent:S          the same for S seconds, then close
  tls-silent, tls-silent:S   TLS from the first byte (the certificate $STALL_TLS_CERT, key
                    $STALL_TLS_KEY), then as silent once the handshake is done
  drip-pop3:I       a POP3 mailbox of 2 messages that sends every reply one byte every I seconds:
                    the greeting, +OK to USER and PASS, "+OK 2 0" to STAT, +OK to QUIT, then closes
One JSON line per event in LOG: {"t", "peer", "event": "connect" | "closed" | "line", ...}.
usage: stall_server.py LOG PORTFILE PLAN..."""
import asyncio, json, os, signal, ssl, sys, time

logpath, portfile, plan = sys.argv[1], sys.argv[2], sys.argv[3:] or ["silent"]
held = []
served = 0


def log(rec):
    rec["t"] = time.time()
    with open(logpath, "a") as f:
        f.write(json.dumps(rec) + "\n")


async def drip(writer, text, interval):
    for i, b in enumerate(text):
        if i:
            await asyncio.sleep(interval)
        writer.write(bytes([b]))
        await writer.drain()


async def silent(reader, writer, peer, seconds):
    async def read_all():
        while await reader.read(65536):
            pass
    try:
        await asyncio.wait_for(read_all(), seconds)
        log({"peer": peer, "event": "closed"})
    except asyncio.TimeoutError:
        log({"peer": peer, "event": "hang-up"})
        writer.close()


async def drip_pop3(reader, writer, peer, interval):
    await drip(writer, b"+OK\n", interval)
    while True:
        line = await reader.readline()
        if not line:
            log({"peer": peer, "event": "closed"})
            return
        command = line.strip().decode(errors="replace")
        log({"peer": peer, "event": "line", "line": command.split(" ")[0]})
        await drip(writer, b"+OK 2 0\n" if command == "STAT" else b"+OK\n", interval)
        if command == "QUIT":
            writer.close()
            log({"peer": peer, "event": "hang-up"})
            return


async def client(reader, writer):
    global served
    entry = plan[min(served, len(plan) - 1)]
    served += 1
    peer = writer.get_extra_info("peername")[1]
    held.append(writer)
    log({"peer": peer, "event": "connect", "plan": entry})
    mode, _, arg = entry.partition(":")
    if mode == "tls-silent":
        ctx = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        ctx.load_cert_chain(os.environ["STALL_TLS_CERT"], os.environ["STALL_TLS_KEY"])
        try:
            await writer.start_tls(ctx)
        except (ssl.SSLError, ConnectionError, OSError) as e:
            log({"peer": peer, "event": "tls-failed", "why": str(e)})
            return
        log({"peer": peer, "event": "tls-up"})
        mode = "silent"
    if mode == "silent":
        await silent(reader, writer, peer, float(arg) if arg else None)
    elif mode == "drip-pop3":
        await drip_pop3(reader, writer, peer, float(arg or 1))


loop = asyncio.new_event_loop()
asyncio.set_event_loop(loop)
srv = loop.run_until_complete(asyncio.start_server(client, "127.0.0.1", 0))
with open(portfile + ".tmp", "w") as f:
    f.write(str(srv.sockets[0].getsockname()[1]))
os.replace(portfile + ".tmp", portfile)
loop.add_signal_handler(signal.SIGTERM, loop.stop)
loop.add_signal_handler(signal.SIGINT, loop.stop)
loop.run_forever()
srv.close()
for w in held:
    w.transport.abort()
