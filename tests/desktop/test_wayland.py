"""The clock under Wayland compositors, headless, with the platform left to the program.

- mutter (GNOME) and KWin (KDE) run Xwayland beside Wayland: the clock starts on X11
  there, stands at the bottom-right of the work area, is cut to the built-in picture's
  shape and stays off the task list.
- weston runs Wayland alone: the clock starts natively on Wayland, and around its panel
  the screenshot shows the desktop, not the picture's white surround.
weston headless has no input device and no protocol for a test to inject one, so the
right-click menu is not opened there.
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
                    xs, ys = [], []
                    for y in range(h):
                        row = raw[y * w * 3:(y + 1) * w * 3]
                        if row.count(bytes(background)) == w:
                            continue
                        ys.append(y)
                        xs += [x for x in range(w) if pixel_at(raw, w, x, y) != background]
                    if not ys:
                        return None
                    return w, raw, (min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1)
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


if __name__ == "__main__":
    unittest.main(verbosity=2)
