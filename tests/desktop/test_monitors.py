"""Where the clock first stands with one or several monitors and a bottom panel.

Each row runs a real Xorg (dummy video driver) laid out with xrandr, openbox, and a panel
of 40 pixels at the bottom of the desktop under the primary monitor. The clock stands 20
pixels inside the bottom-right corner of the primary monitor's work area, never under
the panel.
"""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import Clock, require_display  # noqa: E402
from xsession import XSession  # noqa: E402

require_display()

# (name, monitors with the primary first, the clock's expected top-left)
ROWS = [
    ("one monitor", [(0, 0)], (1680, 920)),
    # The panel stands on the lower, other monitor: the primary is whole.
    ("stacked, primary on top", [(0, 0), (0, 1080)], (1680, 960)),
    ("stacked, primary below", [(0, 1080), (0, 0)], (1680, 2000)),
    ("side by side, primary left", [(0, 0), (1920, 0)], (1680, 920)),
    ("side by side, primary right", [(1920, 0), (0, 0)], (3600, 920)),
]


class MonitorsTest(unittest.TestCase):
    def test_placement_above_the_panel_on_the_primary_monitor(self):
        for name, monitors, expected in ROWS:
            with self.subTest(name):
                with XSession(monitors=monitors, panel=True):
                    clock = Clock().start()
                    try:
                        window = clock.window("Form1")
                        self.assertEqual(clock.geometry(window)[:2], expected)
                    finally:
                        clock.stop()


if __name__ == "__main__":
    unittest.main()
