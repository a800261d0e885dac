#!/usr/bin/python3
"""A small StatusNotifierItem client, as a tray host sees an item: it reads the items the watcher
lists, an item's properties, and its menu through com.canonical.dbusmenu, and it clicks menu
entries and activates the item the way a host does. It talks to the session bus named by
DBUS_SESSION_BUS_ADDRESS only.

  sni_client.py items                      registered items, one "service path" a line
  sni_client.py props ITEM                 IconName, ToolTip title, Title, Status, Menu, pixmap sizes
  sni_client.py menu ITEM                  the menu: "label<TAB>enabled<TAB>type" a line
  sni_client.py click ITEM LABEL           sends "clicked" to the entry with that label
  sni_client.py activate|secondary|context ITEM X Y
ITEM is one line of "items" as one argument (or the service alone, for the path /StatusNotifierItem).
"""
import sys

import dbus

WATCHER = "org.kde.StatusNotifierWatcher"
ITEM_IFACE = "org.kde.StatusNotifierItem"
MENU_IFACE = "com.canonical.dbusmenu"
PROPS = "org.freedesktop.DBus.Properties"


_bus = None


def bus():
    global _bus
    if _bus is None:
        _bus = dbus.SessionBus()
    return _bus


def items():
    watcher = bus().get_object(WATCHER, "/StatusNotifierWatcher")
    out = []
    for entry in watcher.Get(WATCHER, "RegisteredStatusNotifierItems", dbus_interface=PROPS):
        entry = str(entry)
        # Watchers keep "service/path" or just "service" (then the path is the usual one).
        slash = entry.find("/")
        out.append((entry[:slash], entry[slash:]) if slash > 0 else (entry, "/StatusNotifierItem"))
    return out


def item_address(item):
    words = item.split()
    return words[0], words[1] if len(words) > 1 else "/StatusNotifierItem"


def item_props(service, path):
    obj = bus().get_object(service, path)
    return obj.GetAll(ITEM_IFACE, dbus_interface=PROPS)


def menu_entries(service, path):
    props = item_props(service, path)
    menu = bus().get_object(service, str(props["Menu"]))
    iface = dbus.Interface(menu, MENU_IFACE)
    iface.AboutToShow(0)
    _, layout = iface.GetLayout(0, -1, [])
    entries = []

    def walk(node):
        node_id, node_props, children = node
        if node_id != 0:
            entries.append((int(node_id), dict(node_props)))
        for child in children:
            walk(child)

    walk(layout)
    return iface, entries


def main(argv):
    if not argv:
        print(__doc__, file=sys.stderr)
        return 2
    cmd, args = argv[0], argv[1:]
    if cmd == "items":
        for service, path in items():
            print(service, path)
        return 0
    service, path = item_address(args[0])
    if cmd == "props":
        p = item_props(service, path)
        tooltip = p.get("ToolTip")
        print("IconName=%s" % p.get("IconName", ""))
        print("ToolTip=%s" % (tooltip[2] if tooltip else ""))
        print("Title=%s" % p.get("Title", ""))
        print("Status=%s" % p.get("Status", ""))
        print("Menu=%s" % p.get("Menu", ""))
        print("IconPixmap=%s" % " ".join("%dx%d" % (w, h) for w, h, _ in p.get("IconPixmap", [])))
        return 0
    if cmd == "menu":
        _, entries = menu_entries(service, path)
        for _, props in entries:
            kind = str(props.get("type", "standard"))
            label = str(props.get("label", ""))
            enabled = bool(props.get("enabled", True))
            if bool(props.get("visible", True)):
                print("%s\t%s\t%s" % (label, "enabled" if enabled else "disabled", kind))
        return 0
    if cmd == "click":
        label = args[1]
        iface, entries = menu_entries(service, path)
        for node_id, props in entries:
            if str(props.get("label", "")) == label:
                # As hosts send it: without waiting, since the entry may open a dialog.
                iface.Event(node_id, "clicked", dbus.Int32(0, variant_level=1), dbus.UInt32(0), ignore_reply=True)
                bus().flush()
                return 0
        print("no menu entry %r" % label, file=sys.stderr)
        return 1
    if cmd in ("activate", "secondary", "context"):
        x, y = int(args[1]), int(args[2])
        obj = bus().get_object(service, path)
        method = {"activate": "Activate", "secondary": "SecondaryActivate", "context": "ContextMenu"}[cmd]
        # A host waits a little for the answer; an item that holds it back is at fault.
        obj.get_dbus_method(method, ITEM_IFACE)(dbus.Int32(x), dbus.Int32(y), timeout=5)
        return 0
    print("unknown command %s" % cmd, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
