"""The sound alarm on a real desktop: armed through the window with the mouse and the
keyboard (menu, minute box, "Valider") a few seconds before the alarm minute, it shows
the "Alarme !" window and plays alarm.mp3 (to SDL's disk driver) until "Maintenant"."""
import struct
import time
import unittest

import desktop
from desktop import Clock, wait_for, xdotool

desktop.require_display()

# The clock starts at 07:04:30 and runs from there: the minute box reads 04 at start.
FAKETIME = {"LD_PRELOAD": "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1",
            "FAKETIME": "@2026-12-07 07:04:30", "FAKETIME_DONT_RESET": "1",
            "ASAN_OPTIONS": "detect_leaks=0:verify_asan_link_order=0",
            # Nothing here may reach the machine's system bus.
            "DBUS_SYSTEM_BUS_ADDRESS": "unix:path=/nonexistent/veludor-no-bus"}


def audio_peak(path):
    """The largest absolute 16-bit sample SDL's disk driver wrote, 0 without a file."""
    try:
        with open(path, "rb") as f:
            data = f.read()
    except FileNotFoundError:
        return 0
    samples = struct.unpack("<%dh" % (len(data) // 2), data[:len(data) // 2 * 2])
    return max((abs(s) for s in samples), default=0)


class SoundAlarm(unittest.TestCase):
    def test_armed_through_the_window_rings_until_maintenant(self):
        with Clock(env=dict(FAKETIME)) as clock:
            win = clock.window()
            left, top, _, _ = wait_for(
                lambda: (g := clock.geometry(win)) and g[0] > 0 and g, what="placement")

            # "&Regleage Alarme" from the window's own menu, by its accelerator.
            clock.right_click_menu(left + 110, top + 50)
            xdotool("key", "r")
            wait_for(lambda: clock.popup_window() is None, what="menu closed")

            # The minute box (68 + 40, 19; 41 x 22) one step up: 04 -> 05.
            clock.click(left + 108 + 12, top + 19 + 11)
            xdotool("key", "Up")
            # "Valider" (96, 71; 59 x 15).
            clock.click(left + 96 + 29, top + 71 + 7)
            armed = time.monotonic()

            ringing = clock.window("Alarme !", timeout=60)
            # Armed for 07:05, not for the 07:04 the boxes held at start (which would
            # ring at the next second).
            self.assertGreater(time.monotonic() - armed, 3, "rang before 07:05")
            audio = clock.env["SDL_DISKAUDIOFILE"]
            wait_for(lambda: audio_peak(audio) > 1000, what="alarm sound played")

            # "Maintenant" (32, 32; 105 x 25) stops it and hides the dialog.
            rx, ry, _, _ = clock.geometry(ringing)
            clock.click(rx + 32 + 52, ry + 32 + 12)
            wait_for(lambda: not clock.windows("Alarme !") or all(
                w.get_attributes().map_state != desktop.X.IsViewable
                for w in clock.windows("Alarme !")), what="ringing dialog hidden")
            self.assertIsNone(clock.proc.poll(), "the clock still runs")


if __name__ == "__main__":
    unittest.main()
