"""The notification-area icon on a real X server, with trayer as the tray host.

- The application's icon is embedded in the tray; the clock has no taskbar button
  (its window carries _NET_WM_STATE_SKIP_TASKBAR).
- A left click on the icon brings the clock window back from minimised and raises it
  above another window.
- A right click opens the clock's menu at the cursor (a screenshot is kept).
- Killing and restarting trayer brings the icon back into the new tray.
- "&Quitter" from the icon's menu ends the program and takes the icon away.
"""
import os
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import SOURCE_DIR, STATE_DIR, Clock, require_display, wait_for, xdotool  # noqa: E402

from Xlib import X, Xatom  # noqa: E402


class TrayTest(unittest.TestCase):
    def setUp(self):
        require_display()
        self.clock = Clock().start()
        self.addCleanup(self.clock.stop)
        self.x = self.clock.x
        self.root = self.x.screen().root
        self.main = self.clock.window("Form1")

    # --- the X side of the tray -----------------------------------------------------

    def atom(self, name):
        return self.x.intern_atom(name)

    def pid_of(self, window):
        try:
            prop = window.get_full_property(self.atom("_NET_WM_PID"), X.AnyPropertyType)
        except Exception:
            return None
        return prop.value[0] if prop else None

    def tray_owner_pid(self):
        owner = self.x.get_selection_owner(self.atom("_NET_SYSTEM_TRAY_S0"))
        return None if owner == X.NONE else self.pid_of(owner)

    def icon_window(self):
        """Our XEmbed tray icon window, wherever it is."""
        return self.clock.tray_icon(shown=False)

    def ancestors(self, window):
        """The windows that hold window, up to the root window (window managers put
        frames of their own in between)."""
        result = []
        while True:
            parent = window.query_tree().parent
            if parent.id in (X.NONE, self.root.id):
                return result
            result.append(parent)
            window = parent

    def embedded_icon(self):
        """The icon window when it is shown inside the tray of the current tray host."""
        icon = self.icon_window()
        pid = self.tray_owner_pid()
        if icon is None or pid is None:
            return None
        try:
            if icon.get_attributes().map_state != X.IsViewable:
                return None
            hosts = self.ancestors(icon)
        except Exception:
            return None
        return icon if any(self.pid_of(host) == pid for host in hosts) else None

    def icon_centre(self):
        icon = wait_for(self.embedded_icon, what="the icon in the tray")
        left, top, width, height = self.clock.geometry(icon)
        return left + width // 2, top + height // 2

    def wm_state(self, window):
        prop = window.get_full_property(self.atom("WM_STATE"), self.atom("WM_STATE"))
        return prop.value[0] if prop else 0  # 0 withdrawn, 1 normal, 3 iconic

    def click(self, x, y, button):
        # "mousemove --sync" waits for a motion that never comes when the pointer is
        # already there (the previous test may have left it on the icon).
        pointer = self.root.query_pointer()
        if (pointer.root_x, pointer.root_y) != (x, y):
            xdotool("mousemove", "--sync", x, y)
        xdotool("click", button)

    def open_menu(self):
        x, y = self.icon_centre()
        self.click(x, y, 3)
        menu = wait_for(self.clock.popup_window, what="the pop-up menu")
        return menu, (x, y)

    # --- tests ----------------------------------------------------------------------

    def test_icon_is_in_the_tray_and_the_clock_has_no_taskbar_button(self):
        wait_for(self.embedded_icon, what="the icon in the tray")
        skip = self.atom("_NET_WM_STATE_SKIP_TASKBAR")

        def skipped():
            prop = self.main.get_full_property(self.atom("_NET_WM_STATE"), Xatom.ATOM)
            return prop is not None and skip in prop.value
        wait_for(skipped, what="_NET_WM_STATE_SKIP_TASKBAR on the clock window")

    def test_left_click_shows_and_raises_the_clock(self):
        cover = self.clock.cover(self)
        x, y = self.icon_centre()
        self.click(x - 6, y, 1)
        wait_for(lambda: self.clock.above(self.main, cover), what="the clock above the covering window")

        xdotool("windowminimize", "--sync", self.main.id)
        wait_for(lambda: self.wm_state(self.main) == 3, what="the clock minimised")
        # Far enough from the first click not to make a double-click with it.
        self.click(x + 6, y, 1)
        wait_for(lambda: self.wm_state(self.main) == 1
                 and self.main.get_attributes().map_state == X.IsViewable,
                 what="the clock shown again")
        wait_for(lambda: self.clock.above(self.main, cover), what="the clock above the covering window")

    def test_right_click_opens_the_menu_at_the_cursor(self):
        menu, (x, y) = self.open_menu()
        left, top, width, height = self.clock.geometry(menu)
        # The menu opens with its corner at the cursor, moved by the platform only as far
        # as it takes to keep it inside the work area, which the tray's strip borders.
        self.assertTrue(left <= x <= left + width, (x, left, width))
        self.assertTrue(0 <= y - (top + height) <= 30, (y, top, height))
        shot = os.path.join(STATE_DIR or self.clock.dir, "tray-menu.png")
        self.clock.screenshot(shot)
        w, _, raw = self.clock.pixels(shot)
        colours = {tuple(raw[(j * w + i) * 3:(j * w + i) * 3 + 3])
                   for j in range(top, top + height, 2) for i in range(left, left + width, 2)}
        self.assertGreater(len(colours), 2, "the menu's items are drawn")
        xdotool("key", "Escape")
        wait_for(lambda: self.clock.popup_window() is None, what="the menu closed")

    def test_icon_comes_back_when_the_tray_restarts(self):
        if not STATE_DIR:
            self.skipTest("no VELUDOR_DESKTOP_STATE: the tray host cannot be restarted")
        before = wait_for(self.embedded_icon, what="the icon in the tray")
        old_pid = self.tray_owner_pid()
        subprocess.run([os.path.join(SOURCE_DIR, "tests", "desktop", "session.sh"),
                        "restart-trayer", STATE_DIR], check=True)
        wait_for(lambda: self.tray_owner_pid() not in (None, old_pid), what="the new tray host")
        after = wait_for(self.embedded_icon, what="the icon in the new tray")
        self.assertNotEqual(before.id, after.id)

    def test_quitter_removes_the_icon(self):
        wait_for(self.embedded_icon, what="the icon in the tray")
        self.open_menu()
        xdotool("key", "q")  # "&Quitter"
        wait_for(lambda: self.clock.proc.poll() is not None, what="the program's end")
        self.assertEqual(self.clock.proc.returncode, 0)
        self.assertIsNone(self.icon_window())


if __name__ == "__main__":
    unittest.main()
