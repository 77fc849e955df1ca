"""A private session bus and a StatusNotifierWatcher of our own, for the tray tests.

    bus = SessionBus()                 # dbus-daemon on a socket in a temporary folder
    BusConnection(address)             # the same calls on a bus that others started
    watcher = Watcher(bus)             # org.kde.StatusNotifierWatcher, in a child process
    bus.env                            # DBUS_SESSION_BUS_ADDRESS for the program
    watcher.items()                    # the registered items ("name" or "name/path")
    bus.call(name, path, interface, method, signature, args) -> the reply's values

The watcher introspects its methods, properties and signals (hosts and Qt read
introspection), lists the items that register, drops those whose name goes away, and
says that a host is registered, as a panel's watcher does. Both stop with stop(), also
when a test fails (use addCleanup). Needs the system Python with python3-gi.

Run as a script (`sni_host.py watch`), it is the watcher itself, on the bus named by
DBUS_SESSION_BUS_ADDRESS, until it is terminated.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib  # noqa: E402

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import wait_for  # noqa: E402

WATCHER = "org.kde.StatusNotifierWatcher"
WATCHER_PATH = "/StatusNotifierWatcher"
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
    <signal name="StatusNotifierHostUnregistered"/>
  </interface>
</node>
"""


class BusConnection:
    """A connection of the test's own to the bus at address."""

    def __init__(self, address):
        self.address = address
        self.connection = Gio.DBusConnection.new_for_address_sync(
            address, Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
            | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)

    @property
    def env(self):
        return {"DBUS_SESSION_BUS_ADDRESS": self.address}

    def call(self, name, path, interface, method, signature=None, args=(), timeout=10000):
        params = GLib.Variant("(" + signature + ")", tuple(args)) if signature else None
        reply = self.connection.call_sync(name, path, interface, method, params, None,
                                          Gio.DBusCallFlags.NONE, timeout, None)
        return reply.unpack() if reply is not None else ()

    def property(self, name, path, interface, prop):
        return self.call(name, path, "org.freedesktop.DBus.Properties", "Get", "ss",
                         (interface, prop))[0]

    def has_owner(self, name):
        return self.call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                         "NameHasOwner", "s", (name,))[0]

    def pid_of(self, name):
        """The process that owns a bus name."""
        return self.call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                         "GetConnectionUnixProcessID", "s", (name,))[0]

    def close(self):
        if not self.connection.is_closed():  # as it is once the bus daemon went
            self.connection.close_sync(None)


class SessionBus(BusConnection):
    """A dbus-daemon of its own with the session configuration, on a socket in a
    temporary folder; nothing of the machine's own bus is used."""

    def __init__(self, env=None):
        """env: the environment of the daemon and of the services it starts on demand
        (by default, this process's)."""
        self.dir = tempfile.mkdtemp(prefix="veludor-bus-")
        address = "unix:path=" + os.path.join(self.dir, "bus")
        self.proc = subprocess.Popen(
            ["dbus-daemon", "--session", "--nofork", "--nopidfile", "--address=" + address,
             "--print-address"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
            env=env)
        self.proc.stdout.readline()  # printed once it listens
        super().__init__(address)

    def stop(self):
        self.close()
        self.proc.terminate()
        self.proc.wait(10)
        self.proc.stdout.close()
        shutil.rmtree(self.dir, ignore_errors=True)


class Watcher:
    """The watcher script in a child process on bus, waited for until it owns its name."""

    def __init__(self, bus):
        self.bus = bus
        env = dict(os.environ, **bus.env)
        self.proc = subprocess.Popen(["/usr/bin/python3", os.path.abspath(__file__), "watch"], env=env)
        wait_for(lambda: bus.has_owner(WATCHER) or self.proc.poll() is not None, what="the watcher")
        if self.proc.poll() is not None:
            raise AssertionError("the watcher ended")

    def items(self):
        return self.bus.property(WATCHER, WATCHER_PATH, WATCHER, "RegisteredStatusNotifierItems")

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            self.proc.wait(10)


def serve():
    """The watcher: owns its name on the session bus and serves until terminated."""
    import signal

    connection = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    info = Gio.DBusNodeInfo.new_for_xml(WATCHER_XML).interfaces[0]
    items = []
    watches = {}

    def emit(signal_name, args=None):
        connection.emit_signal(None, WATCHER_PATH, WATCHER, signal_name, args)

    def vanished(_connection, name, item):
        if item in items:
            items.remove(item)
            emit("StatusNotifierItemUnregistered", GLib.Variant("(s)", (item,)))
        Gio.bus_unwatch_name(watches.pop(item))

    def method(_connection, sender, _path, _interface, name, params, invocation):
        if name == "RegisterStatusNotifierItem":
            service = params.unpack()[0]
            # An object path alone names an item on the caller's own connection.
            item = sender + service if service.startswith("/") else service
            owner = sender if service.startswith("/") else service
            if item not in items:
                items.append(item)
                watches[item] = Gio.bus_watch_name_on_connection(
                    connection, owner, Gio.BusNameWatcherFlags.NONE, None,
                    lambda c, n, i=item: vanished(c, n, i))
                emit("StatusNotifierItemRegistered", GLib.Variant("(s)", (item,)))
        elif name == "RegisterStatusNotifierHost":
            emit("StatusNotifierHostRegistered")
        invocation.return_value(None)

    def get_property(_connection, _sender, _path, _interface, name):
        return {"RegisteredStatusNotifierItems": GLib.Variant("as", items),
                "IsStatusNotifierHostRegistered": GLib.Variant("b", True),
                "ProtocolVersion": GLib.Variant("i", 0)}[name]

    connection.register_object(WATCHER_PATH, info, method, get_property, None)
    loop = GLib.MainLoop()
    Gio.bus_own_name_on_connection(connection, WATCHER, Gio.BusNameOwnerFlags.NONE, None,
                                   lambda *_: loop.quit())
    GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGTERM, loop.quit)
    loop.run()


if __name__ == "__main__":
    if sys.argv[1:] == ["watch"]:
        serve()
    else:
        sys.exit(__doc__)
