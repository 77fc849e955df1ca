"""The clock in GNOME Shell with the AppIndicator extension, headless (gnome.py), as
GNOME users run it; one shell for the rows:
- twenty starts of the clock: each time the extension's watcher lists the clock's item,
  the top bar shows its icon, the shell logs no AppIndicators warning, and the item goes
  when the clock stops;
- the icon's menu, as the shell builds it from the item's exported menu, holds the six
  commands;
- under the top bar the clock, an X11 client on Xwayland, stands 20 pixels inside the
  bottom-right corner of the work area.
"""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from Xlib import X  # noqa: E402

import gnome  # noqa: E402
from desktop import RUN_DIR, Clock, wait_for  # noqa: E402

if not os.path.exists(os.path.join(RUN_DIR, "veludor")):
    print("skipped: the program is not built", flush=True)
    os._exit(77)
if gnome.missing():
    print("skipped: not installed: " + ", ".join(gnome.missing()), flush=True)
    os._exit(77)

STARTS = 20
COMMANDS = ["Veludor", "Regleage Alarme", "Chronometre", "Couleur", "A Propos", "Quitter"]
SIZE = (220, 100)


class GnomeShellRows(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.shell = gnome.Shell().start()
        cls.env = cls.shell.client_env()

    @classmethod
    def tearDownClass(cls):
        cls.shell.stop()

    def shown_item(self, clock):
        """The clock's item once the top bar shows its icon and has read its menu's
        labels; None when it does not."""
        def shown():
            items = self.shell.items_of(clock.proc.pid)
            icon = self.shell.indicator(items[0]) if items else None
            return icon and icon["shown"] and icon["menu"] and all(icon["menu"]) and items[0]
        try:
            return wait_for(shown, timeout=10, what="the icon shown")
        except AssertionError:
            return None

    def test_icon_on_every_start(self):
        failed = []
        for start in range(STARTS):
            logged = len(self.shell.log_text())
            with Clock(env=self.env) as clock:
                item = self.shown_item(clock)
                # Those logged while the clock runs: stopped at once, it leaves the
                # shell's reads of its menu unanswered, which the extension reports too.
                warnings = [line for line in self.shell.log_text()[logged:].splitlines()
                            if "AppIndicators-WARNING" in line]
            if item:
                wait_for(lambda: item not in self.shell.watcher_items(), what="the item gone")
            if not item or warnings:
                failed.append((start, item, warnings))
        self.assertEqual(failed, [], "%d of %d starts" % (len(failed), STARTS))

    def test_menu(self):
        with Clock(env=self.env) as clock:
            item = self.shown_item(clock)
            self.assertTrue(item, "the icon shown")
            self.assertEqual(self.shell.indicator(item)["menu"], COMMANDS)

    def test_placement_under_the_top_bar(self):
        x = self.shell.x_display()
        with Clock(env=self.env, x=x) as clock:
            win = clock.window()
            root = x.screen().root
            left, top, width, height = root.get_full_property(
                x.intern_atom("_NET_WORKAREA"), X.AnyPropertyType).value[:4]
            self.assertGreater(top, 0, "the top bar takes the top of the screen")
            place = (left + width - SIZE[0] - 20, top + height - SIZE[1] - 20)
            try:
                wait_for(lambda: clock.geometry(win)[:2] == place, timeout=5, what="placement")
            except AssertionError:
                pass  # compared below
            self.assertEqual(clock.geometry(win), place + SIZE)


if __name__ == "__main__":
    unittest.main()
