"""The clock under Wayland compositors, headless, with the platform left to the program.

- mutter (GNOME) and KWin (KDE) run Xwayland beside Wayland: the clock starts on X11
  there, stands at the bottom-right of the work area, is cut to the built-in picture's
  shape and stays off the task list.
- weston runs Wayland alone: the clock starts natively on Wayland, and around its panel
  the screenshot shows the desktop, not the picture's white surround.
- sway tiles every window that may change size over the whole screen: the clock, of one
  size, floats at 220 x 100 there, under Xwayland and natively, and nothing but the
  picture's outline shows (its Xwayland draws an X window's whole rectangle whatever the
  shape, so the cut-away must be see-through; the skin list below the picture never shows).
weston and sway headless have no input device and no protocol for a test to inject one,
so the right-click menu is not opened there.
"""
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from Xlib import X  # noqa: E402

import compositors  # noqa: E402
from desktop import (RUN_DIR, SOURCE_DIR, Clock, opaque_pixels, picture_pixels,  # noqa: E402
                     pixel_at, wait_for)

if not os.path.exists(os.path.join(RUN_DIR, "veludor")):
    print("skipped: the program is not built", flush=True)
    os._exit(77)

BUILTIN = os.path.join(SOURCE_DIR, "assets", "builtin", "image1.bmp")
SKIN = os.path.join(SOURCE_DIR, "assets", "skin", "horlnoirrose.bmp")  # the default skin
SIZE = (220, 100)
LOGGING = {"QT_LOGGING_RULES": "veludor.platform.info=true"}


def label_free(x, y):
    """Window pixels that no label of the clock view draws on: the panel's outline."""
    return y < 20 or y >= 90 or x < 18 or x >= 212


def platform_of(clock):
    """The windowing platform the program reports having started on, once it has."""
    with open(os.path.join(clock.dir, "program.log"), encoding="utf-8", errors="replace") as f:
        for line in f:
            if "windowing platform" in line:
                return line.split('"')[1]
    return None


def drawn_box(width, raw, background):
    """(left, top, width, height) around every pixel of a screenshot that is not the
    background, or None where there is none."""
    xs, ys = [], []
    height = len(raw) // (width * 3)
    for y in range(height):
        row = raw[y * width * 3:(y + 1) * width * 3]
        if row.count(bytes(background)) == width:
            continue
        ys.append(y)
        xs += [x for x in range(width) if pixel_at(raw, width, x, y) != background]
    if not ys:
        return None
    return min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1


def shape_pixels(rects):
    return {(x, y) for (left, top, w, h) in rects
            for y in range(top, top + h) for x in range(left, left + w)}


class XwaylandRows(unittest.TestCase):
    """Both displays there, QT_QPA_PLATFORM unset: the clock is an X11 client."""

    def check(self, kind):
        lacking = compositors.missing(*kind.programs)
        if lacking:
            self.skipTest("not installed: " + ", ".join(lacking))
        started = time.monotonic()
        with kind() as compositor:
            x = compositor.x_display()
            env = dict(compositor.client_env(), **LOGGING)
            self.assertTrue(env["DISPLAY"] and env["WAYLAND_DISPLAY"], env)
            with Clock(env=env, x=x) as clock:
                win = clock.window()
                self.assertEqual(wait_for(lambda: platform_of(clock), what="platform line"),
                                 "xcb")
                root = x.screen().root
                area = root.get_full_property(x.intern_atom("_NET_WORKAREA"), X.AnyPropertyType)
                work_height = area.value[3] if area else compositors.HEIGHT
                place = (compositors.WIDTH - SIZE[0] - 20,
                         compositors.HEIGHT - SIZE[1] - (compositors.HEIGHT - work_height) - 20)
                try:
                    wait_for(lambda: clock.geometry(win)[:2] == place, timeout=5,
                             what="placement")
                except AssertionError:
                    pass  # reported below with the place it has
                self.assertEqual(clock.geometry(win), place + SIZE)

                self.assertEqual(shape_pixels(clock.shape_rects(win)), opaque_pixels(BUILTIN))

                state, skip = x.intern_atom("_NET_WM_STATE"), x.intern_atom(
                    "_NET_WM_STATE_SKIP_TASKBAR")

                def skipped():
                    prop = win.get_full_property(state, X.AnyPropertyType)
                    return prop is not None and skip in prop.value
                wait_for(skipped, timeout=5, what="_NET_WM_STATE_SKIP_TASKBAR")
        print("%s row: %.1f s" % (kind.name, time.monotonic() - started), flush=True)

    def test_mutter(self):
        self.check(compositors.Mutter)

    def test_kwin(self):
        self.check(compositors.KWin)


class WestonRow(unittest.TestCase):
    """Wayland alone: the native platform, and the picture's white cut away by alpha."""

    def test_native_wayland_without_white_surround(self):
        lacking = compositors.missing(*compositors.Weston.programs)
        if lacking:
            self.skipTest("not installed: " + ", ".join(lacking))
        started = time.monotonic()
        opaque = opaque_pixels(BUILTIN)
        left = min(p[0] for p in opaque)
        top = min(p[1] for p in opaque)
        extent = (max(p[0] for p in opaque) - left + 1, max(p[1] for p in opaque) - top + 1)
        background = compositors.Weston.BACKGROUND
        with compositors.Weston() as compositor:
            env = dict(compositor.client_env(), **LOGGING)
            self.assertIsNone(env["DISPLAY"])
            with Clock(env=env) as clock:
                self.assertEqual(wait_for(lambda: platform_of(clock), what="platform line"),
                                 "wayland")

                def drawn():
                    """The screenshot and the box of what differs from the background,
                    once the panel is drawn."""
                    w, h, raw = picture_pixels(compositor.screenshot(clock.dir))
                    corners = [(0, 0), (w - 1, 0), (0, h - 1), (w - 1, h - 1)]
                    if any(pixel_at(raw, w, x, y) != background for x, y in corners):
                        return None  # the desktop is not drawn yet
                    box = drawn_box(w, raw, background)
                    return box and (w, raw, box)
                width, raw, box = wait_for(drawn, what="the clock on the screen")

                # Only the picture's opaque part differs from the desktop: a white (or any)
                # surround would widen the box to the whole window.
                self.assertEqual(box[2:], extent, "what the window shows around its panel")
                ox, oy = box[0] - left, box[1] - top
                _, _, skin = picture_pixels(SKIN)
                wrong = []
                for y in range(SIZE[1]):
                    for x in range(SIZE[0]):
                        got = pixel_at(raw, width, ox + x, oy + y)
                        if (x, y) not in opaque:
                            expected = background
                        elif label_free(x, y):
                            expected = pixel_at(skin, SIZE[0], x, y)
                        else:
                            continue
                        if got != expected:
                            wrong.append(((x, y), got, expected))
                self.assertEqual(wrong[:5], [], "%d pixels differ" % len(wrong))
        print("weston row: %.1f s" % (time.monotonic() - started), flush=True)


class SwayRows(unittest.TestCase):
    """The clock under sway, as an X11 client of its Xwayland and natively."""

    def test_floating_and_cut_to_outline(self):
        lacking = compositors.missing(*compositors.Sway.programs)
        if lacking:
            self.skipTest("not installed: " + ", ".join(lacking))
        opaque = opaque_pixels(BUILTIN)
        inside = [(x, y) for (x, y) in opaque if label_free(x, y)]
        cut = [(x, y) for y in range(SIZE[1]) for x in range(SIZE[0]) if (x, y) not in opaque]
        corner = (min(p[0] for p in opaque), min(p[1] for p in opaque))
        extent = (max(p[0] for p in opaque) - corner[0] + 1,
                  max(p[1] for p in opaque) - corner[1] + 1)
        _, _, skin = picture_pixels(SKIN)
        background = compositors.Sway.BACKGROUND
        for platform, choice in (("xcb", {}), ("wayland", {"QT_QPA_PLATFORM": "wayland"})):
            started = time.monotonic()
            with self.subTest(platform), compositors.Sway() as sway:
                env = dict(sway.client_env(), **LOGGING, **choice)
                with Clock(env=env, user=sway.user) as clock:
                    self.assertEqual(wait_for(lambda: platform_of(clock), what="platform line"),
                                     platform)
                    wait_for(lambda: sway.view(clock.proc.pid), what="the window in sway")
                    shot, seen = os.path.join(clock.dir, "screen.png"), []

                    def drawn():
                        """Whether the panel's outline shows in the skin where the window's
                        content is; sway's layout and the screen read afresh each time."""
                        view = sway.view(clock.proc.pid)
                        rect, inner = view["rect"], view["window_rect"]
                        left, top = rect["x"] + inner["x"], rect["y"] + inner["y"]
                        width, _, raw = picture_pixels(sway.screenshot(shot))
                        seen[:] = view, left, top, width, raw
                        return all(pixel_at(raw, width, left + x, top + y)
                                   == pixel_at(skin, SIZE[0], x, y) for x, y in inside)
                    try:
                        wait_for(drawn, what="the clock's panel on the screen")
                    except AssertionError:
                        pass  # the rows below tell what the screen shows instead
                    view, left, top, width, raw = seen
                    with self.subTest(platform, row="floating at its size"):
                        self.assertTrue(view["floating"], "tiled at %(rect)s" % view)
                        self.assertEqual((view["rect"]["width"], view["rect"]["height"]), SIZE)
                    with self.subTest(platform, row="the cut-away shows the desktop"):
                        wrong = [(p, pixel_at(raw, width, left + p[0], top + p[1])) for p in cut
                                 if pixel_at(raw, width, left + p[0], top + p[1]) != background]
                        self.assertEqual(wrong[:5], [], "%d of %d pixels" % (len(wrong), len(cut)))
                    with self.subTest(platform, row="nothing but the picture shows"):
                        self.assertEqual(drawn_box(width, raw, background),
                                         (left + corner[0], top + corner[1]) + extent)
            print("sway %s row: %.1f s" % (platform, time.monotonic() - started), flush=True)


if __name__ == "__main__":
    unittest.main(verbosity=2)
