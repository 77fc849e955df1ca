"""The alarm view's transparent radio buttons on a real X server.

- Around the check marks and the captions the window shows the skin's own pixels: no
  box of the buttons' own is painted behind them.
- "Alerte Sonnore" starts checked; clicking "Extinction  du PC" checks it and unchecks
  the other, as the dots on screen show.
"""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import SOURCE_DIR, Clock, pixel_at, require_display, wait_for, xdotool  # noqa: E402

# The window's outline is that of the built-in picture.
BUILTIN = os.path.join(SOURCE_DIR, "assets", "builtin", "image1.bmp")

SKIN = "horlnoirrose.bmp"
WHITE = (255, 255, 255)
# Place and size of the two buttons in the window, as the main window's layout has them.
SOUND = (20, 42, 89, 17)
POWER_OFF = (20, 56, 97, 17)
# Inside the 14-pixel check square: the dot's middle, and points between ring and dot.
DOT = (5, 5)
INSIDE_RING = [(3, 5), (5, 3), (3, 6), (8, 5)]


def clear_of_the_face(button, rows):
    """Points of a button (relative to it) where its face draws nothing: right of the
    ring and left of the caption, and the given rows under the ring and the caption
    (less the focus frame's columns)."""
    width = button[2]
    points = [(x, y) for x in (12, 13) for y in range(0, 13)]
    points += [(x, y) for y in rows for x in range(0, width - 1) if x != 14]
    return points + INSIDE_RING


class RadioTest(unittest.TestCase):
    def setUp(self):
        require_display()
        self.clock = Clock(settings="[form]\ncouleur=%s\n" % SKIN).start()
        self.addCleanup(self.clock.stop)
        self.window = self.clock.window("Form1")
        self.left, self.top, width, height = self.clock.geometry(self.window)
        self.size = (width, height)
        sw, _, raw = self.clock.pixels(os.path.join(self.clock.folder, "skin", SKIN))
        self.skin = lambda x, y: pixel_at(raw, sw, x, y)
        self.shots = 0

    def screen(self):
        """The window's pixels now, as a function of window coordinates."""
        self.shots += 1
        path = os.path.join(self.clock.dir, "shot%d.png" % self.shots)
        self.clock.screenshot(path, (self.left, self.top) + self.size)
        w, _, raw = self.clock.pixels(path)
        return lambda x, y: pixel_at(raw, w, x, y)

    def at(self, shot, button, point):
        return shot(button[0] + point[0], button[1] + point[1])

    def skin_at(self, button, point):
        return self.skin(button[0] + point[0], button[1] + point[1])

    def skin_point(self, near):
        """A point of the window's surface (inside its outline) close to `near`."""
        width, height, raw = self.clock.pixels(BUILTIN)
        inside = [(x, y) for y in range(height) for x in range(width)
                  if pixel_at(raw, width, x, y) != WHITE]
        return min(inside, key=lambda p: (p[0] - near[0]) ** 2 + (p[1] - near[1]) ** 2)

    def open_alarm_view(self):
        # A right click on the skin below the alarm controls opens the window's menu.
        x, y = self.skin_point((60, 92))
        self.clock.right_click_menu(self.left + x, self.top + y)
        xdotool("key", "r")  # "&Regleage Alarme"
        # The white menu covers the buttons until it closes.
        wait_for(lambda: self.clock.popup_window() is None, what="the menu closed")
        return wait_for(lambda: (lambda s: s if self.at(s, SOUND, DOT) == WHITE else None)(self.screen()),
                        what="the alarm view with its checked sound button")

    def assert_skin_around(self, shot, button, rows, name):
        wrong = [(p, self.at(shot, button, p), self.skin_at(button, p))
                 for p in clear_of_the_face(button, rows)
                 if self.at(shot, button, p) != self.skin_at(button, p)]
        self.assertEqual(wrong, [], "%s: pixels that are not the skin's" % name)

    def test_skin_shows_around_marks_and_captions(self):
        shot = self.open_alarm_view()
        # Rows 14 and below of the first button lie under the second one.
        self.assert_skin_around(shot, SOUND, (12, 13), "Alerte Sonnore")
        self.assert_skin_around(shot, POWER_OFF, (12, 13, 14), "Extinction  du PC")
        # The unchecked button's middle is the skin too; the marks and captions are drawn.
        self.assertEqual(self.at(shot, POWER_OFF, DOT), self.skin_at(POWER_OFF, DOT))
        for button in (SOUND, POWER_OFF):
            ring = [(0, 5), (5, 0), (11, 6), (6, 11)]
            self.assertTrue(all(self.at(shot, button, p) != self.skin_at(button, p) for p in ring))
            caption = [(x, y) for x in range(15, 60) for y in range(2, 11)]
            # Smoothed white text: its strokes come close to white.
            self.assertTrue(any(min(self.at(shot, button, p)) >= 230 for p in caption))

    def test_click_checks_power_off(self):
        self.open_alarm_view()
        xdotool("mousemove", "--sync", self.left + POWER_OFF[0] + 6, self.top + POWER_OFF[1] + 6)
        xdotool("click", 1)

        def switched():
            shot = self.screen()
            if (self.at(shot, POWER_OFF, DOT) == WHITE
                    and self.at(shot, SOUND, DOT) == self.skin_at(SOUND, DOT)):
                return shot
            return None
        shot = wait_for(switched, what="the dot to move to \"Extinction  du PC\"")
        # Both repainted over the skin, not over a box of their own.
        self.assert_skin_around(shot, SOUND, (12, 13), "Alerte Sonnore after the click")
        self.assert_skin_around(shot, POWER_OFF, (13,), "Extinction  du PC after the click")


if __name__ == "__main__":
    unittest.main()
