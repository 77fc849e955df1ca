"""The clock in a hostile run folder on a real desktop: settings that are garbage, a
named pipe, huge, or read-only in a read-only folder; a broken or vanished skin; no digit
font and no usable fonts folder. The program starts, shows its error box ("Veludor")
only where a skin cannot be shown or the settings cannot be saved, leaves the settings
file as it was, and its clock keeps ticking."""
import contextlib
import os
import random
import stat
import subprocess
import unittest

import desktop
from desktop import Clock, wait_for, xdotool

desktop.require_display()

ENV = {"ASAN_OPTIONS": "detect_leaks=0",
       "DBUS_SYSTEM_BUS_ADDRESS": "unix:path=/nonexistent/veludor-no-bus"}
BOX = "Veludor"  # the error box's title


def garbage(size, seed=7):
    """Bytes without "[", "=" or line ends, the same at every run."""
    rng = random.Random(seed)
    return bytes(b for b in (rng.randrange(256) for _ in range(size * 2)) if b not in b"[=\r\n")[:size]


@contextlib.contextmanager
def started(prepare=None, **options):
    """The clock started after prepare(clock) has set up its run folder and home."""
    clock = Clock(env=dict(ENV), **options)
    try:
        if prepare:
            prepare(clock)
        clock.start()
        yield clock
    finally:
        # Writable again, so that the run folder can be removed.
        if os.path.isdir(clock.folder):
            os.chmod(clock.folder, 0o755)
        clock.stop()


def write(path, content, mode=None):
    with open(path, "wb") as f:
        f.write(content)
    if mode is not None:
        os.chmod(path, mode)


def read(path):
    with open(path, "rb") as f:
        return f.read()


class FaultCase(unittest.TestCase):
    shots = 0

    def placed_clock(self, clock):
        win = clock.window()
        return wait_for(lambda: (g := clock.geometry(win)) and g[0] > 0 and g, what="placement")

    def shot(self, clock, rect):
        FaultCase.shots += 1
        path = clock.screenshot(os.path.join(clock.dir, "tick%d.png" % FaultCase.shots), rect)
        return clock.pixels(path)[2]

    def assert_ticking(self, clock, rect):
        """The colon blinks once a second: the window's picture changes."""
        first = self.shot(clock, rect)
        wait_for(lambda: self.shot(clock, rect) != first, timeout=10, interval=0.2, what="the clock ticking")
        self.assertIsNone(clock.proc.poll(), "the clock still runs")

    def dismiss_box(self, clock):
        """Waits for the error box and presses its OK button with the keyboard."""
        clock.answer(BOX, "Return")

    def choose_first_skin(self, clock, rect):
        """"&Couleur" by its accelerator, then the first skin ("argent.bmp")."""
        clock.right_click_menu(rect[0] + 110, rect[1] + 50)
        xdotool("key", "c")
        xdotool("key", "Return")


class HostileSettings(FaultCase):
    def test_starts_without_a_box_whatever_the_settings_file(self):
        entry = b"\xef\xbb\xbf[form]\r\ncouleur=argent.bmp\r\n"
        cases = {
            "binary garbage": lambda c: write(c.settings_path, garbage(4096)),
            "10 MB of comments before the entry":
                lambda c: write(c.settings_path, b";" * (10 * 1024 * 1024) + b"\n[form]\ncouleur=argent.bmp\n"),
            "a named pipe": lambda c: os.mkfifo(c.settings_path),
            "read-only in a read-only folder":
                lambda c: (write(c.settings_path, entry, 0o444), os.chmod(c.folder, 0o555)),
        }
        for name, prepare in cases.items():
            with self.subTest(name), started(prepare) as clock:
                before = os.lstat(clock.settings_path)
                content = read(clock.settings_path) if stat.S_ISREG(before.st_mode) else None
                rect = self.placed_clock(clock)
                self.assert_ticking(clock, rect)
                self.assertEqual(clock.viewable(BOX), [], "no error box")
                after = os.lstat(clock.settings_path)
                self.assertEqual(stat.S_IFMT(after.st_mode), stat.S_IFMT(before.st_mode))
                if content is not None:
                    self.assertEqual(read(clock.settings_path), content, "the file is left as it was")

    def test_unwritable_settings_box_and_file_kept(self):
        content = b"\xef\xbb\xbf[form]\ncouleur=bleunuit.bmp"

        def prepare(clock):
            write(clock.settings_path, content, 0o444)
            os.chmod(clock.folder, 0o555)

        with started(prepare) as clock:
            rect = self.placed_clock(clock)
            self.choose_first_skin(clock, rect)
            self.dismiss_box(clock)
            self.assertEqual(read(clock.settings_path), content, "the settings file is kept byte for byte")
            self.assertEqual(sorted(os.listdir(clock.folder)), sorted(os.listdir(clock.run_dir) + ["parametre.ini"]),
                             "no temporary file left")
            self.assert_ticking(clock, rect)


class BrokenSkins(FaultCase):
    def test_broken_skin_box_then_clock_at_its_designed_place(self):
        def truncated_jpeg(path):
            # A real JPEG of the skin's size, cut in the middle of its coded data.
            subprocess.run(["convert", "-size", "220x100", "plasma:fractal", "-seed", "3", path],
                           check=True)
            write(path, read(path)[:1500])

        for name, make in (("garbage.bmp", lambda path: write(path, garbage(3000, 11))),
                           ("tronquee.jpg", truncated_jpeg)):
            def prepare(clock):
                write(clock.settings_path, b"[form]\r\ncouleur=%s\r\n" % name.encode())
                make(os.path.join(clock.folder, "skin", name))

            with self.subTest(name), started(prepare) as clock:
                self.dismiss_box(clock)
                rect = self.placed_clock(clock)
                # The rest of the start-up was skipped: the window keeps its designed place.
                self.assertEqual(rect, (310, 541, 220, 100))
                self.assert_ticking(clock, rect)

    def test_skin_deleted_after_start_box_and_nothing_saved(self):
        with started() as clock:
            rect = self.placed_clock(clock)
            os.remove(os.path.join(clock.folder, "skin", "argent.bmp"))
            self.choose_first_skin(clock, rect)
            self.dismiss_box(clock)
            self.assertFalse(os.path.exists(clock.settings_path), "nothing saved")
            self.assert_ticking(clock, rect)


class DigitFont(FaultCase):
    @desktop.linux_only("the fonts folder of these rows is the XDG one")
    def test_no_font_and_no_usable_fonts_folder_no_box(self):
        def fonts_folder_is_a_file(clock):
            data = os.path.join(clock.home, "data")
            os.makedirs(data)
            write(os.path.join(data, "fonts"), b"pas un dossier")
            clock.env["XDG_DATA_HOME"] = data

        def relative_data_folder(clock):
            clock.env["XDG_DATA_HOME"] = "relatif"

        for name, prepare in (("a file where the fonts folder goes", fonts_folder_is_a_file),
                              ("a relative data folder: fonts folder unknown", relative_data_folder)):
            with self.subTest(name), started(prepare, keep_font=False) as clock:
                rect = self.placed_clock(clock)
                self.assert_ticking(clock, rect)
                self.assertEqual(clock.viewable(BOX), [], "no error box")
                self.assertFalse(os.path.exists(os.path.join(clock.folder, "relatif")))


if __name__ == "__main__":
    unittest.main()
