"""The shaped, draggable main window on a real X server with a window manager.

- The window's X shape is exactly the set of non-white pixels of the built-in picture.
- A left-button drag starting on the skin moves the window by the drag's distance.
- A press on a push button of the alarm view does not move the window; the button works.
- Without a compositor the window shows exactly the skin's pixels inside the shape and
  the desktop outside it, as it did before the skin was drawn with alpha.
"""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from Xlib import X  # noqa: E402

from desktop import (SOURCE_DIR, Clock, MoveRequests, drag, linux_only, require_display,  # noqa: E402
                     wait_for, xdotool)

require_display()

BUILTIN = os.path.join(SOURCE_DIR, "assets", "builtin", "image1.bmp")
WHITE = (255, 255, 255)


def opaque_pixels(clock):
    """The built-in picture's non-white pixels as a set of (x, y), and its size."""
    width, height, raw = clock.pixels(BUILTIN)
    opaque = set()
    for y in range(height):
        for x in range(width):
            i = (y * width + x) * 3
            if tuple(raw[i:i + 3]) != WHITE:
                opaque.add((x, y))
    return opaque, (width, height)


def shape_pixels(rects):
    return {(x, y) for (left, top, w, h) in rects
            for y in range(top, top + h) for x in range(left, left + w)}


def crop(clock, rect, name):
    """The raw RGB bytes of a screen rectangle."""
    path = clock.screenshot(os.path.join(clock.dir, name + ".png"), rect)
    return clock.pixels(path)[2]


def same_share(a, b):
    return sum(1 for x, y in zip(a, b) if x == y) / max(1, len(a))


class ShapeTest(unittest.TestCase):
    def setUp(self):
        self.clock = Clock().start()
        self.addCleanup(self.clock.stop)
        self.window = self.clock.window("Form1")
        self.opaque, self.size = opaque_pixels(self.clock)
        # The shape is given before the window is first shown; wait for it to be there
        # all the same, the window manager maps the window asynchronously.
        wait_for(lambda: self.clock.shape_rects(self.window) != [(0, 0) + self.size],
                 what="the window's shape")

    def skin_point(self, near):
        """An opaque pixel of the skin close to `near` (window coordinates)."""
        return min(self.opaque, key=lambda p: (p[0] - near[0]) ** 2 + (p[1] - near[1]) ** 2)

    def test_shape_is_the_pictures_opaque_pixels(self):
        self.assertEqual(self.clock.geometry(self.window)[2:], self.size)
        shape = shape_pixels(self.clock.shape_rects(self.window))
        self.assertEqual(len(shape - self.opaque), 0, "shape pixels that are white in the picture")
        self.assertEqual(len(self.opaque - shape), 0, "opaque pixels cut away")

    @linux_only("Wine asks for the move from where the pointer is when it asks (the "
                "Windows tests drag veludor.exe as a hand does)")
    def test_drag_on_the_skin_moves_the_window(self):
        left, top, _, _ = self.clock.geometry(self.window)
        # Clear of the picture buttons' places (they block moves even when hidden).
        start = self.skin_point((60, 92))
        asked = drag(self.clock, self.window, start, (-310, -220))
        self.assertEqual(asked, (left + start[0], top + start[1]), "the move request's root position")
        self.assertEqual(self.clock.geometry(self.window)[:2], (left - 310, top - 220),
                         "started at %d, %d" % (left, top))

    def test_press_on_a_push_button_does_not_move_the_window(self):
        left, top, _, _ = self.clock.geometry(self.window)
        # Inside "Annuler" (32, 72, 57 x 14), away from the blinking colon.
        area = (left + 36, top + 76, 40, 8)
        clock_view = crop(self.clock, area, "clock")

        rx, ry = self.skin_point((60, 92))
        self.clock.right_click_menu(left + rx, top + ry)
        xdotool("key", "r")  # "&Regleage Alarme"
        wait_for(lambda: same_share(crop(self.clock, area, "alarm"), clock_view) < 0.8,
                 what="the alarm view")

        # Press on the button, drag a little while staying on it, release on it.
        requests = MoveRequests(self.clock.x)
        bx, by = left + 50, top + 79
        xdotool("mousemove", "--sync", bx, by)
        xdotool("mousedown", 1)
        xdotool("mousemove", "--sync", bx + 20, by + 3)
        xdotool("mouseup", 1)
        # "Annuler" goes back to the clock view: the press and the release reached the
        # button, and a move, had one been asked for, would have been asked before.
        wait_for(lambda: same_share(crop(self.clock, area, "back"), clock_view) > 0.9,
                 what="the clock view after Annuler")
        self.assertFalse(requests.seen(), "a move was requested")
        self.assertEqual(self.clock.geometry(self.window)[:2], (left, top))


class LookTest(unittest.TestCase):
    def test_skin_and_desktop_exactly_without_a_compositor(self):
        skin = os.path.join(SOURCE_DIR, "assets", "skin", "horlnoirrose.bmp")  # the default
        clock = Clock()
        self.addCleanup(clock.stop)
        # Where the clock will stand (20 pixels inside the work area's bottom-right
        # corner), taken before it is there.
        area = clock.x.screen().root.get_full_property(
            clock.x.intern_atom("_NET_WORKAREA"), X.AnyPropertyType)
        wx, wy, ww, wh = tuple(area.value[:4]) if area else (0, 0, 1920, 1080)
        place = (wx + ww - 220 - 20, wy + wh - 100 - 20, 220, 100)
        desktop_before = crop(clock, place, "before")
        clock.start()
        window = clock.window("Form1")
        wait_for(lambda: clock.geometry(window) == place, what="the window at its place")
        opaque, size = opaque_pixels(clock)
        skin_raw = clock.pixels(skin)[2]

        def differences():
            shown = crop(clock, place, "after")
            wrong = []
            for y in range(size[1]):
                for x in range(size[0]):
                    i = (y * size[0] + x) * 3
                    if (x, y) not in opaque:
                        expected = desktop_before[i:i + 3]
                    elif y < 20 or y >= 90 or x < 18 or x >= 212:  # no label there
                        expected = skin_raw[i:i + 3]
                    else:
                        continue
                    if shown[i:i + 3] != expected:
                        wrong.append((x, y, tuple(shown[i:i + 3]), tuple(expected)))
            return wrong
        try:
            wait_for(lambda: not differences(), timeout=5, what="the drawn window")
        except AssertionError:
            pass
        wrong = differences()
        self.assertEqual(wrong[:5], [], "%d pixels differ" % len(wrong))


if __name__ == "__main__":
    unittest.main()
