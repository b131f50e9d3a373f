"""A minimal StatusNotifierItem host for the Wayland checks: it owns the watcher name, says a host
is registered and keeps the list of registered items, as a desktop panel's tray does. The checks
read that list and press an item through its Activate method, as a click on the icon would.
Like every desktop with such a tray it also runs a notification server, which shows the balloons;
this one takes them and answers as a real one does. Given capabilities ("silent": a hung server), it
prints each call in short, and "press N" on its input clicks the notification (0) or its button N."""

import json
import sys

from gi.repository import Gio, GLib

WATCHER_XML = """
<node>
  <interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
    <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
    <property name="ProtocolVersion" type="i" access="read"/>
    <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
    <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
    <signal name="StatusNotifierHostRegistered"/>
  </interface>
</node>
"""
NOTIFICATIONS_XML = """
<node>
  <interface name="org.freedesktop.Notifications">
    <method name="Notify">
      <arg type="s" direction="in"/><arg type="u" direction="in"/><arg type="s" direction="in"/>
      <arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="as" direction="in"/>
      <arg type="a{sv}" direction="in"/><arg type="i" direction="in"/><arg type="u" direction="out"/>
    </method>
    <method name="CloseNotification"><arg type="u" direction="in"/></method>
    <method name="GetCapabilities"><arg type="as" direction="out"/></method>
    <method name="GetServerInformation">
      <arg type="s" direction="out"/><arg type="s" direction="out"/><arg type="s" direction="out"/>
      <arg type="s" direction="out"/>
    </method>
  </interface>
</node>
"""
PATH = "/StatusNotifierWatcher"
items = []
caps = sys.argv[1].split(",") if len(sys.argv) > 1 else None
last = {"id": 0, "actions": []}
held = []


def item_address(sender, service):
    """bus name/object path: an item names its own bus name, or an object path on its connection."""
    return sender + service if service.startswith("/") else service + "/StatusNotifierItem"


def on_call(connection, sender, path, interface, method, parameters, invocation):
    if method == "RegisterStatusNotifierItem":
        address = item_address(sender, parameters.unpack()[0])
        if address not in items:
            items.append(address)
        connection.emit_signal(None, PATH, interface, "StatusNotifierItemRegistered",
                               GLib.Variant("(s)", (address,)))
    invocation.return_value(None)


def signal(connection, name, signature, *values):
    connection.emit_signal(None, "/org/freedesktop/Notifications", "org.freedesktop.Notifications", name,
                           GLib.Variant(signature, values))


def on_notification_call(connection, sender, path, interface, method, parameters, invocation):
    args = parameters.unpack()
    if method == "Notify":
        last.update(id=args[1] or last["id"] + 1, actions=args[5])
    replies = {"Notify": GLib.Variant("(u)", (last["id"],)), "GetCapabilities": GLib.Variant("(as)", (caps or ["body"],)),
               "GetServerInformation": GLib.Variant("(ssss)", ("checks", "candlewise", "1", "1.2"))}
    if caps and method == "Notify":
        kept = "; kept" if args[6].pop("resident", False) else ""
        print(f"Notify {args[1]}: {', '.join(['='.join(args[5][:2])] * bool(args[5]) + args[5][3::2])}{kept}\t{json.dumps(args[2:5] + args[6:])}")
    elif caps:
        print(method, *args)
    sys.stdout.flush()
    if caps == ["silent"] or ("late" in (caps or []) and method == "Notify"):
        return held.append((invocation, replies.get(method)))
    invocation.return_value(replies.get(method))
    if method == "CloseNotification":
        signal(connection, "NotificationClosed", "(uu)", args[0], 3)


def on_input(bus):
    words = sys.stdin.readline().split() or ["quit"]
    for invocation, reply in held if words[0] == "answer" else []:  # under "late"
        invocation.return_value(reply)
    if words[0] == "mail":  # another program's notice, whose "Delete" is clicked at once
        last.update(id=last["id"] + 1, actions=["default", "", "option5", "Delete"])
        words = ["press", "1"]
    if words[0] == "press":
        signal(bus, "ActivationToken", "(us)", last["id"], "checks-token")
        signal(bus, "ActionInvoked", "(us)", last["id"], last["actions"][2 * int(words[1])])
    print(words[0], flush=True)  # after the signals: a check waits for it
    return words[0] != "quit"


def on_get(connection, sender, path, interface, name):
    return {"RegisteredStatusNotifierItems": GLib.Variant("as", items),
            "IsStatusNotifierHostRegistered": GLib.Variant("b", True),
            "ProtocolVersion": GLib.Variant("i", 0)}[name]


def on_name_vanished(connection, sender, path, interface, signal, parameters):
    name, old, new = parameters.unpack()
    if not new:
        items[:] = [i for i in items if not i.startswith(name + "/")]


def main():
    bus = Gio.bus_get_sync(Gio.BusType.SESSION)
    info = Gio.DBusNodeInfo.new_for_xml(WATCHER_XML).interfaces[0]
    bus.register_object(PATH, info, on_call, on_get, None)
    notifications = Gio.DBusNodeInfo.new_for_xml(NOTIFICATIONS_XML).interfaces[0]
    bus.register_object("/org/freedesktop/Notifications", notifications, on_notification_call, None, None)
    bus.signal_subscribe("org.freedesktop.DBus", "org.freedesktop.DBus", "NameOwnerChanged",
                         "/org/freedesktop/DBus", None, Gio.DBusSignalFlags.NONE, on_name_vanished)
    if caps:
        GLib.io_add_watch(0, GLib.PRIORITY_DEFAULT, GLib.IOCondition.IN, lambda *a: on_input(bus))
    loop = GLib.MainLoop()
    Gio.bus_own_name_on_connection(bus, "org.freedesktop.Notifications", Gio.BusNameOwnerFlags.NONE, None, None)
    Gio.bus_own_name_on_connection(bus, "org.kde.StatusNotifierWatcher", Gio.BusNameOwnerFlags.NONE,
                                   lambda *a: print("ready", flush=True), lambda *a: loop.quit())
    loop.run()
    return 1


if __name__ == "__main__":
    sys.exit(main())
