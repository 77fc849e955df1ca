"""The clock on a Debian desktop: xfwm4 with xfce4-panel and its status tray (xfce.py),
the panel across the bottom of the screen in one row set and across the top in the other.

- The clock stands 20 pixels inside the bottom-right corner of the work area.
- Its icon is in the panel's tray, as a StatusNotifierItem (the clock on the desktop's
  session bus, where the tray's watcher lists it) and as an XEmbed icon (the clock without
  a session bus, its icon window inside the panel): the panel draws it where nothing was
  drawn before; a left click on it there raises the clock, a right click opens the clock's
  menu (the panel's own drawing of it for the StatusNotifierItem): six lines of text, and
  its "&A Propos" opens the clock's about box.
- A click with no hold and a press released at once, as a touchpad's tap sends them, leave
  the clock where it stands once the pointer moves away; a drag moves it by the drag.
"""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import (CLICKS, Clock, click_and_move_away, drag, require_display,  # noqa: E402
                     text_lines, wait_for, xdotool)

require_display()
import xfce  # noqa: E402

if xfce.missing():
    print("skipped: not installed: " + ", ".join(xfce.missing()), flush=True)
    os._exit(77)

from Xlib import X  # noqa: E402

SIZE = (220, 100)
START = (180, 60)  # a point of the skin clear of the alarm view's picture buttons


class PanelRows:
    edge = None

    @classmethod
    def setUpClass(cls):
        cls.desktop = xfce.XfceSession(cls.edge).start()

    @classmethod
    def tearDownClass(cls):
        cls.desktop.stop()

    def start_clock(self, protocol="StatusNotifierItem"):
        env = self.desktop.bus.env if protocol == "StatusNotifierItem" else None
        clock = Clock(env=env).start()
        self.addCleanup(clock.stop)
        return clock, clock.window("Form1")

    def test_placement(self):
        left, top, width, height = self.desktop.work_area()
        clock, window = self.start_clock()
        place = (left + width - SIZE[0] - 20, top + height - SIZE[1] - 20)
        try:
            wait_for(lambda: clock.geometry(window)[:2] == place, timeout=5, what="placement")
        except AssertionError:
            pass  # reported below with the place it has
        self.assertEqual(clock.geometry(window), place + SIZE)

    def test_icon_and_menu_as_a_status_notifier_item(self):
        self.check_icon_and_menu("StatusNotifierItem")

    def test_icon_and_menu_as_an_xembed_icon(self):
        self.check_icon_and_menu("XEmbed")

    def check_icon_and_menu(self, protocol):
        shot = os.path.join(self.desktop.dir, "panel.png")
        wait_for(lambda: not self.desktop.drawn_box(self.desktop.screenshot_panel(shot)),
                 what="the panel drawing nothing")
        clock, window = self.start_clock(protocol)
        self.check_icon(clock, protocol)
        left, top, width, height = wait_for(
            lambda: self.desktop.drawn_box(self.desktop.screenshot_panel(shot)),
            what="the icon drawn in the panel")
        x, y = left + width // 2, top + height // 2

        cover = clock.cover(self)
        clock.click(x, y, 1)
        wait_for(lambda: clock.above(window, cover), what="the clock above the cover")

        before = {w.id for w in self.popups()}
        clock.click(x, y, 3)
        menu = wait_for(lambda: [w for w in self.popups() if w.id not in before],
                        what="the menu")[0]
        picture = os.path.join(clock.dir, "menu.png")
        wait_for(lambda: text_lines(clock.screenshot(picture, clock.geometry(menu))) == 6,
                 what="the menu's six commands drawn")
        xdotool("key", "a")  # "&A Propos"
        clock.window("A propos de Veludor !")

    def check_icon(self, clock, protocol):
        if protocol == "XEmbed":
            icon = wait_for(clock.tray_icon, what="the icon window")
            panel, root = self.desktop.panel_window(), self.desktop.x.screen().root
            holders = []
            while icon.id != root.id:
                icon = icon.query_tree().parent
                holders.append(icon.id)
            self.assertIn(panel.id, holders, "the icon window inside the panel's")
            return
        bus = self.desktop.bus

        def ours():
            items = bus.property(xfce.WATCHER, "/StatusNotifierWatcher", xfce.WATCHER,
                                 "RegisteredStatusNotifierItems")
            return [i for i in items if bus.call(
                "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                "GetConnectionUnixProcessID", "s", (i.split("/")[0],))[0] == clock.proc.pid]
        wait_for(ours, what="the clock's item listed by the panel's watcher")

    def popups(self):
        """The menus on the screen: mapped override-redirect windows (GTK keeps tiny
        ones off the screen)."""
        result = []
        for w in self.desktop.x.screen().root.query_tree().children:
            a = w.get_attributes()
            if a.override_redirect and a.map_state == X.IsViewable and w.get_geometry().width > 20:
                result.append(w)
        return result

    def test_click_tap_and_drag(self):
        for how in CLICKS:
            with self.subTest(how):
                clock, window = self.start_clock()
                before, after = click_and_move_away(clock, window, how, START)
                self.assertEqual(after, before)
                clock.stop()
        clock, window = self.start_clock()
        left, top, _, _ = clock.geometry(window)
        asked = drag(clock, window, START, (-300, -200), steps=10)
        self.assertEqual(asked, (left + START[0], top + START[1]), "the move request's root position")
        self.assertEqual(clock.geometry(window)[:2], (left - 300, top - 200))


class BottomPanel(PanelRows, unittest.TestCase):
    edge = "bottom"


class TopPanel(PanelRows, unittest.TestCase):
    edge = "top"


if __name__ == "__main__":
    unittest.main(verbosity=2)
