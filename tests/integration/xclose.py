#!/usr/bin/python3
"""Closes X windows the way a window manager's close box does: a WM_DELETE_WINDOW message to
each window named (decimal or 0x ids), so that the program handles it as a close request.

  xclose.py WINDOW...
"""
import sys

from Xlib import X, display, protocol


def main(ids):
    d = display.Display()
    protocols = d.intern_atom("WM_PROTOCOLS")
    delete = d.intern_atom("WM_DELETE_WINDOW")
    for text in ids:
        w = d.create_resource_object("window", int(text, 0))
        msg = protocol.event.ClientMessage(window=w, client_type=protocols, data=(32, [delete, X.CurrentTime, 0, 0, 0]))
        w.send_event(msg, event_mask=X.NoEventMask)
    d.sync()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
