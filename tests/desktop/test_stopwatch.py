"""The stopwatch on a real desktop: the button starts a run whose figures keep changing,
stops it (the figures then freeze), starts it again, and quitting during a run ends the
program at once and cleanly."""
import os
import unittest

import desktop
from desktop import Clock, wait_for, xdotool

desktop.require_display()

# Button3 and the figures in the stopwatch view, relative to the window.
BUTTON = (27 + 60, 63 + 10)
FIGURES = (22, 10, 190, 60)


class Stopwatch(unittest.TestCase):
    def open_stopwatch_view(self, clock):
        win = clock.window()
        wait_for(lambda: clock.geometry(win)[0] > 0, what="placement")
        left, top, _, _ = clock.geometry(win)
        self.left, self.top = left, top
        before = self.button_area(clock)
        clock.right_click_menu(left + 110, top + 50)
        # "Chronometre" is the third item and has no accelerator.
        xdotool("key", "Down", "Down", "Down", "Return")
        wait_for(lambda: self.button_area(clock) != before, what="the stopwatch button")
        return win

    def button_area(self, clock):
        rect = (self.left + 27, self.top + 63, 127, 21)
        path = clock.screenshot(os.path.join(clock.dir, "button.png"), rect)
        return clock.pixels(path)[2]

    def figures(self, clock):
        """The pixels of the three stopwatch labels."""
        rect = (self.left + FIGURES[0], self.top + FIGURES[1], FIGURES[2], FIGURES[3])
        path = clock.screenshot(os.path.join(clock.dir, "figures.png"), rect)
        return clock.pixels(path)[2]

    def press(self):
        desktop.xdotool("mousemove", "--sync", self.left + BUTTON[0], self.top + BUTTON[1])
        xdotool("click", 1)

    def wait_counting(self, clock):
        first = self.figures(clock)
        wait_for(lambda: self.figures(clock) != first, what="the figures to change")
        second = self.figures(clock)
        wait_for(lambda: self.figures(clock) != second, what="the figures to keep changing")

    def wait_frozen(self, clock):
        """Polls until two successive readings agree, then checks several more agree."""
        last = [self.figures(clock)]

        def steady():
            now = self.figures(clock)
            same = now == last[0]
            last[0] = now
            return same
        wait_for(steady, what="the figures to stop changing")
        for _ in range(5):
            self.assertEqual(self.figures(clock), last[0], "the figures changed after the stop")

    def test_start_stop_restart_and_quit_during_run(self):
        with Clock() as clock:
            self.open_stopwatch_view(clock)
            zero = self.figures(clock)
            self.press()
            self.wait_counting(clock)

            self.press()
            self.wait_frozen(clock)
            self.assertNotEqual(self.figures(clock), zero, "the last figures stay shown")

            self.press()
            self.wait_counting(clock)

            # "&Quitter" from the window's own menu while the run goes on.
            clock.right_click_menu(self.left + 110, self.top + 50)
            xdotool("key", "q")
            code = clock.proc.wait(timeout=15)
            self.assertEqual(code, 0, "the program ended cleanly")


if __name__ == "__main__":
    unittest.main(verbosity=2)
