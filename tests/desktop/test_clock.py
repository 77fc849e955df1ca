"""The clock on a real desktop: where its window appears, the seven-segment digits, the
pop-up menu and a skin choice that the next start remembers."""
import os
import unittest

import desktop
from desktop import Clock, wait_for, xdotool

desktop.require_display()

FAKETIME = {"LD_PRELOAD": "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1",
            "FAKETIME": "@2026-12-07 08:08:00", "FAKETIME_DONT_RESET": "1",
            "ASAN_OPTIONS": "detect_leaks=0:verify_asan_link_order=0"}


def work_area(x):
    prop = x.screen().root.get_full_property(x.intern_atom("_NET_WORKAREA"), 0)
    return tuple(prop.value[:4]) if prop else (0, 0, 1920, 1080)


def white_pixels(clock, rect):
    path = os.path.join(clock.dir, "digits.png")
    clock.screenshot(path, rect)
    w, h, raw = clock.pixels(path)
    return sum(1 for i in range(0, len(raw), 3) if min(raw[i:i + 3]) > 200)


class ClockWindow(unittest.TestCase):
    def test_window_placed_above_the_panel_at_the_right(self):
        with Clock() as clock:
            win = clock.window()
            left, top, width, height = wait_for(
                lambda: (g := clock.geometry(win)) and g[0] > 0 and g, what="placement")
            wx, wy, ww, wh = work_area(clock.x)
            self.assertEqual((width, height), (220, 100))
            self.assertEqual(left, 1920 - 220 - 20)
            self.assertEqual(top, 1080 - 100 - (1080 - wh) - 20)

    @desktop.linux_only("the kept prefix has the digit font that an earlier run installed")
    def test_hours_drawn_in_the_seven_segment_face(self):
        # The same time drawn with and without the digit font: the faces differ.
        counts = []
        for keep_font in (True, False):
            env = dict(FAKETIME)
            with Clock(env=env, keep_font=keep_font) as clock:
                win = clock.window()
                wait_for(lambda: clock.geometry(win)[0] > 0, what="placement")
                left, top, _, _ = clock.geometry(win)
                rect = (left + 20, top + 30, 64, 56)
                counts.append(wait_for(lambda: white_pixels(clock, rect), what="digits drawn"))
        self.assertGreater(counts[0], 300, "the hour digits are drawn")
        self.assertNotEqual(counts[0], counts[1], "the seven-segment face is used")

    def test_right_click_menu_and_skin_choice_remembered(self):
        with Clock() as clock:
            win = clock.window()
            wait_for(lambda: clock.geometry(win)[0] > 0, what="placement")
            left, top, _, _ = clock.geometry(win)
            menu = clock.right_click_menu(left + 110, top + 50)
            mx, my, mw, mh = clock.geometry(menu)
            shot = clock.screenshot(os.path.join(clock.dir, "menu.png"), (mx, my, mw, mh))
            self.assertGreater(mw, 60)
            self.assertGreater(mh, 6 * 15)
            # "&Couleur" by its accelerator opens the skins; the first is "argent.bmp".
            xdotool("key", "c")
            xdotool("key", "Return")
            wait_for(lambda: os.path.exists(clock.settings_path), what="settings written")
            with open(clock.settings_path, encoding="utf-8") as f:
                self.assertIn("couleur=argent.bmp", f.read())
            folder = clock.folder
            clock.proc.terminate()
            clock.proc.wait(10)
            # The next start shows the chosen skin.
            clock.start()
            win = clock.window()
            wait_for(lambda: clock.geometry(win)[0] > 0, what="placement")
            left, top, _, _ = clock.geometry(win)
            path = clock.screenshot(os.path.join(clock.dir, "skin.png"), (left, top, 220, 100))
            w, h, raw = clock.pixels(path)
            self.assertTrue(os.path.exists(os.path.join(folder, "skin", "argent.bmp")))
            # A panel pixel away from every label matches the chosen skin's pixel there.
            x, y = 200, 88
            got = desktop.pixel_at(raw, w, x, y)
            expected = skin_pixel(os.path.join(folder, "skin", "argent.bmp"), x, y)
            self.assertTrue(all(abs(a - b) <= 8 for a, b in zip(got, expected)), (got, expected))


    def test_about_box_from_the_menu(self):
        with Clock() as clock:
            win = clock.window()
            left, top, _, _ = wait_for(
                lambda: (g := clock.geometry(win)) and g[0] > 0 and g, what="placement")
            clock.right_click_menu(left + 110, top + 50)
            xdotool("key", "a")  # "&A Propos"
            # Its one button, "Fermer", has the focus and closes it.
            clock.answer("A propos de Veludor !", "Return")
            self.assertIsNone(clock.proc.poll(), "the clock still runs")


def skin_pixel(path, x, y):
    import subprocess
    out = subprocess.run(["convert", path + "[1x1+%d+%d]" % (x, y), "-depth", "8", "rgb:-"],
                         check=True, capture_output=True).stdout
    return tuple(out[:3])


if __name__ == "__main__":
    unittest.main(verbosity=2)
