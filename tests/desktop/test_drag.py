"""Dragging the clock as users meet it: the first drag on a fresh desktop, and drags after
a skin change, in the alarm view, and after the clock was minimised and brought back from
its tray icon; and a click with no hold or a touchpad's tap, which leave the clock where it
stands (a move asked at the press ran on after such a quick release, the clock following
the pointer until the next click).

A fresh X server is where the first drag went wrong: the move request carried the press's
window coordinates as its root position, so the window manager flung the clock away. Each
row starts its own X server and window manager.
"""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from Xlib import X  # noqa: E402

from desktop import (CLICKS, Clock, MoveRequests, click_and_move_away, drag,  # noqa: E402
                     require_display, wait_for, xdotool)
from xsession import XSession  # noqa: E402

require_display()

# The scale factor of each fresh server's row: the move request is in the screen's own
# pixels, which Qt's scaled coordinates are not.
FRESH_SERVERS = ["1"] * 8 + ["2", "1.5"]
# A point of the skin clear of the alarm view's picture buttons, and the drag.
START = (180, 60)
DELTA = (-600, -400)


class DragTest(unittest.TestCase):
    def assert_drag(self, clock, window, delta=DELTA, scale=1.0):
        left, top, _, _ = clock.geometry(window)
        start = (round(START[0] * scale), round(START[1] * scale))
        asked = drag(clock, window, start, delta)
        self.assertEqual(asked, (left + start[0], top + start[1]),
                         "the move request's root position")
        self.assertEqual(clock.geometry(window)[:2], (left + delta[0], top + delta[1]))

    def test_first_drag_on_fresh_desktops(self):
        for n, scale in enumerate(FRESH_SERVERS):
            with self.subTest(server=n, scale=scale), XSession():
                clock = Clock(env={"QT_SCALE_FACTOR": scale}).start()
                try:
                    self.assert_drag(clock, clock.window("Form1"), scale=float(scale))
                finally:
                    clock.stop()

    def test_drags_after_a_skin_change_in_the_alarm_view_and_after_the_tray(self):
        with XSession(tray=True):
            clock = Clock().start()
            self.addCleanup(clock.stop)
            window = clock.window("Form1")
            self.assert_drag(clock, window)

            # "&Couleur", then the first skin: the menu is driven with keys.
            left, top, _, _ = clock.geometry(window)
            clock.right_click_menu(left + START[0], top + START[1])
            xdotool("key", "c")
            xdotool("key", "Return")
            wait_for(lambda: os.path.exists(clock.settings_path), what="the skin choice saved")
            self.assert_drag(clock, window, (300, 200))

            left, top, _, _ = clock.geometry(window)
            clock.right_click_menu(left + START[0], top + START[1])
            xdotool("key", "r")  # "&Regleage Alarme"
            # The loudspeaker picture plays the sound: a press on it is its click, never
            # a move (the picture is found through the window's recorded position).
            requests = MoveRequests(clock.x)
            clock.click(left + 138, top + 47)
            sound = os.path.join(clock.dir, "audio.raw")
            wait_for(lambda: os.path.exists(sound) and os.path.getsize(sound) > 0,
                     what="the sound played")
            self.assertIsNone(requests.seen(), "a move was requested")
            self.assert_drag(clock, window, (-200, 150))

            xdotool("windowminimize", "--sync", window.id)
            wait_for(lambda: window.get_attributes().map_state != X.IsViewable,
                     what="the clock minimised")
            x, y = clock.tray_icon_centre()
            clock.click(x, y)
            wait_for(lambda: window.get_attributes().map_state == X.IsViewable,
                     what="the clock back from the tray")
            self.assert_drag(clock, window, (250, -150))

    def test_a_click_or_a_tap_leaves_the_clock_in_place(self):
        with XSession():
            for how in CLICKS:
                with self.subTest(how):
                    clock = Clock().start()
                    try:
                        before, after = click_and_move_away(clock, clock.window("Form1"), how, START)
                        self.assertEqual(after, before)
                    finally:
                        clock.stop()


if __name__ == "__main__":
    unittest.main()
