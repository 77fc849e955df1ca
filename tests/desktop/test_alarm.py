"""The sound alarm on a real desktop: armed through the window with the mouse and the
keyboard (menu, minute box, "Valider") a few seconds before the alarm minute, it shows
the "Alarme !" window and plays alarm.mp3 until "Maintenant"."""
import os
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


def faketime(start):
    return dict(FAKETIME, FAKETIME="@2026-12-07 " + start)


def open_alarm_view(clock):
    """The alarm view through the window's own menu; returns the window's place."""
    win = clock.window()
    left, top, _, _ = wait_for(
        lambda: (g := clock.geometry(win)) and g[0] > 0 and g, what="placement")
    # "&Regleage Alarme" by its accelerator.
    clock.right_click_menu(left + 110, top + 50)
    xdotool("key", "r")
    wait_for(lambda: clock.popup_window() is None, what="menu closed")
    return left, top


def arm_for_next_minute(clock, power_off=False):
    """Arms the alarm through the window for the minute after the one the clock shows at
    start (mouse and keyboard: menu, minute box, the kind, "Valider")."""
    left, top = open_alarm_view(clock)
    # The minute box (68 + 40, 19; 41 x 22) one step up: 04 -> 05.
    clock.click(left + 108 + 12, top + 19 + 11)
    xdotool("key", "Up")
    if power_off:
        # "Extinction  du PC" (20, 56; 97 x 17), on its check mark.
        clock.click(left + 20 + 6, top + 56 + 8)
    # "Valider" (96, 71; 59 x 15).
    clock.click(left + 96 + 29, top + 71 + 7)


class SoundAlarm(unittest.TestCase):
    def test_armed_through_the_window_rings_until_maintenant(self):
        with Clock(env=dict(FAKETIME)) as clock:
            arm_for_next_minute(clock)
            armed = time.monotonic()

            ringing = clock.window("Alarme !", timeout=60)
            # Armed for 07:05, not for the 07:04 the boxes held at start (which would
            # ring at the next second).
            self.assertGreater(time.monotonic() - armed, 3, "rang before 07:05")
            wait_for(lambda: clock.sound_peak() > 1000, what="alarm sound played")

            # "Maintenant" (32, 32; 105 x 25) stops it and hides the dialog.
            rx, ry = clock.client_origin(ringing, (166, 70))
            clock.click(rx + 32 + 52, ry + 32 + 12)
            wait_for(lambda: not clock.viewable("Alarme !"), what="ringing dialog hidden")
            self.assertIsNone(clock.proc.poll(), "the clock still runs")

    def test_sound_file_dialog_opens_and_cancels(self):
        with Clock() as clock:
            left, top = open_alarm_view(clock)
            shown = {w.id for w in clock.viewable(None)}
            # The folder picture (111, 42) beside the sound file's name.
            clock.click(left + 111 + 8, top + 42 + 8)
            dialog = wait_for(lambda: [(w, t) for w, t in desktop.client_windows(clock.x, clock.proc.pid)
                                       if w.id not in shown and t and t != "Form1"
                                       and w.get_attributes().map_state == desktop.X.IsViewable],
                              what="the file dialog")[0]
            clock.answer(dialog[1], "Escape")
            self.assertIsNone(clock.proc.poll(), "the clock still runs")


class PowerOffAlarm(unittest.TestCase):
    TITLE = "Alame Extinction PC "
    CLIENT = (217, 84)

    def counting_down(self, clock):
        """The countdown dialog, once its figures have changed."""
        dialog = clock.window(self.TITLE, timeout=60)
        x, y = clock.client_origin(dialog, self.CLIENT)
        # The red figures (144, 0), right of "Extinction du PC dans".
        rect = (x + 144, y, 48, 40)

        def figures():
            return clock.pixels(clock.screenshot(os.path.join(clock.dir, "count.png"), rect))[2]
        first = figures()
        wait_for(lambda: figures() != first, what="the countdown to count")
        return x, y

    def test_annuler_stops_the_countdown(self):
        with Clock(env=faketime("07:04:50")) as clock:
            arm_for_next_minute(clock, power_off=True)
            x, y = self.counting_down(clock)
            # "Annuler" (80, 48; 75 x 25).
            clock.click(x + 80 + 37, y + 48 + 12)
            wait_for(lambda: not clock.viewable(self.TITLE), what="the countdown hidden")
            time.sleep(2)
            self.assertIsNone(clock.proc.poll(), "the clock still runs")

    @desktop.windows_only("on Linux the request goes to logind, which a unit test mocks")
    def test_at_zero_the_session_ends(self):
        # Wine carries the power-off out by ending the session of its prefix: one made for
        # this row. The program ends with it, once the 30 seconds have gone.
        with Clock(env=faketime("07:04:50"), throwaway=True) as clock:
            arm_for_next_minute(clock, power_off=True)
            self.counting_down(clock)
            started = time.monotonic()
            wait_for(lambda: clock.proc.poll() is not None, timeout=60, what="the session's end")
            self.assertGreater(time.monotonic() - started, 25, "ended before the countdown did")


if __name__ == "__main__":
    unittest.main()
