"""The notification-area icon with a StatusNotifierItem host, on a private session bus
with a StatusNotifierWatcher of our own (sni_host.py), on the real X server.

In each row the clock's item registers with the watcher, whether the watcher was there
before the clock or came after it (as a panel started after autostarted programs does):
- the item's properties are what hosts draw (icon pictures, title, status) and its Menu
  is a real object path, whose top level (com.canonical.dbusmenu GetLayout) lists the
  six commands with their accelerators as "_";
- Activate brings the clock above another window;
- the "clicked" event of "&Quitter" ends the program, which takes the item away.
A third row runs the clock on a platform without X11 (offscreen, standing in for a
Wayland session): the item is there, and Qt's X11 tray icon, which complains there at
start, is never made.
"""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import Clock, require_display, wait_for  # noqa: E402

require_display()
from sni_host import SessionBus, Watcher  # noqa: E402
from gi.repository import GLib  # noqa: E402

ITEM = "org.kde.StatusNotifierItem"
MENU = "com.canonical.dbusmenu"
COMMANDS = ["_Veludor", "_Regleage Alarme", "Chronometre", "_Couleur", "_A Propos", "_Quitter"]


class SniTrayTest(unittest.TestCase):
    def setUp(self):
        self.bus = SessionBus()
        self.addCleanup(self.bus.stop)

    def start_watcher(self):
        watcher = Watcher(self.bus)
        self.addCleanup(watcher.stop)
        return watcher

    def start_clock(self, **env):
        clock = Clock(env=dict(self.bus.env, **env))
        self.addCleanup(clock.stop)
        clock.start()
        if not env:
            clock.window("Form1")
        return clock

    def item(self, watcher):
        """(bus name, object path) of the one registered item."""
        items = wait_for(watcher.items, what="the clock's item registered")
        self.assertEqual(len(items), 1, items)
        name, _, path = items[0].partition("/")
        return name, "/" + path if path else "/StatusNotifierItem"

    def check_item(self, clock, watcher):
        name, path = self.item(watcher)
        props = self.bus.call(name, path, "org.freedesktop.DBus.Properties", "GetAll", "s", (ITEM,))[0]
        self.assertEqual((props["Category"], props["Status"], props["Title"], props["ItemIsMenu"]),
                         ("ApplicationStatus", "Active", "Veludor", False))
        self.assertTrue(props["IconPixmap"], "the icon's pictures")
        for width, height, data in props["IconPixmap"]:
            self.assertEqual(len(data), width * height * 4)
        self.assertTrue(any(data[i] for _, _, data in props["IconPixmap"] for i in range(0, len(data), 4)),
                        "the pictures have opaque pixels")
        xml = self.bus.call(name, path, "org.freedesktop.DBus.Introspectable", "Introspect")[0]
        self.assertIn('<property name="IconPixmap" type="a(iiay)" access="read"', xml)

        menu = props["Menu"]
        self.assertNotEqual(menu, "/NO_DBUSMENU")
        commands = self.commands(name, menu)

        cover = clock.cover(self)
        self.bus.call(name, path, ITEM, "Activate", "ii", (0, 0))
        wait_for(lambda: clock.above(clock.window("Form1"), cover), what="the clock above the cover")
        self.quit(clock, watcher, name, menu, commands)

    def commands(self, name, menu):
        """{label: item number} of the menu's top level, checked against the six."""
        _, (root, _, children) = self.bus.call(name, menu, MENU, "GetLayout", "iias", (0, 1, []))
        self.assertEqual(root, 0)
        items = [(child[1].get("label"), child[0]) for child in children
                 if child[1].get("type") != "separator"]
        self.assertEqual([label for label, _ in items], COMMANDS)
        return dict(items)

    def quit(self, clock, watcher, name, menu, commands):
        self.bus.call(name, menu, MENU, "Event", "isvu",
                      (commands["_Quitter"], "clicked", GLib.Variant("i", 0), 0))
        wait_for(lambda: clock.proc.poll() is not None, what="the program's end")
        self.assertEqual(clock.proc.returncode, 0)
        wait_for(lambda: not watcher.items(), what="the item gone from the watcher")

    def test_watcher_before_the_clock(self):
        watcher = self.start_watcher()
        self.check_item(self.start_clock(), watcher)

    def test_watcher_after_the_clock(self):
        clock = self.start_clock()
        self.check_item(clock, self.start_watcher())

    def test_without_x11(self):
        watcher = self.start_watcher()
        clock = self.start_clock(QT_QPA_PLATFORM="offscreen")
        name, path = self.item(watcher)
        menu = self.bus.property(name, path, ITEM, "Menu")
        self.quit(clock, watcher, name, menu, self.commands(name, menu))
        with open(os.path.join(clock.dir, "program.log"), encoding="utf-8", errors="replace") as log:
            self.assertNotIn("systemTrayWindowChanged", log.read())


if __name__ == "__main__":
    unittest.main()
