"""The Windows build (the windows preset, build/windows) under Wine: its executables
import only Windows' own DLLs; the minimal Win32 clock shows its window with the time
drawn and ticking, and closes; the toolchain probe has C++ threads and its resource, and
its sound reaches a PulseAudio sink. On an X server, a Wine session and a sink of their own.
"""
import math
import os
import shutil
import struct
import sys
import tempfile
import unittest
import wave

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import wine  # noqa: E402
from desktop import picture_pixels, wait_for  # noqa: E402
from xsession import XSession  # noqa: E402

WINDOWS_DIR = os.environ.get("VELUDOR_WINDOWS_BUILD_DIR", "")
CLOCK = os.path.join(WINDOWS_DIR, "bench", "footprint", "win32clock.exe")
PROBE = os.path.join(WINDOWS_DIR, "tests", "windows", "toolchain_probe.exe")
EXECUTABLES = [CLOCK, PROBE]


def dark_pixels(path):
    """Where the picture is darker than mid-grey: the text on a light window."""
    width, height, raw = picture_pixels(path)
    return {(i // 3 % width, i // 3 // width) for i in range(0, len(raw), 3)
            if sum(raw[i:i + 3]) < 3 * 128}


def windows_path(path):
    """The Linux path as Wine's programs reach it: Z: is the root of the file system."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Imports(unittest.TestCase):
    def test_only_system_dlls(self):
        # A DLL of the toolchain's (libstdc++, libgcc, winpthread) would be missing from
        # a user's Windows: static linking keeps them out.
        for exe in EXECUTABLES:
            with self.subTest(os.path.basename(exe)):
                dlls = wine.imports(exe)
                self.assertIn("kernel32.dll", dlls)
                self.assertEqual([d for d in dlls if not wine.is_system_dll(d)], [], dlls)


class UnderWine(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="veludor-windows-")
        cls.session = XSession().start()
        cls.sink = wine.NullSink().start()
        cls.wine = wine.Wine(os.path.join(WINDOWS_DIR, "wine"), sink=cls.sink).start()

    @classmethod
    def tearDownClass(cls):
        cls.wine.stop()
        cls.sink.stop()
        cls.session.stop()
        shutil.rmtree(cls.tmp, ignore_errors=True)

    def test_clock_shows_the_time_and_closes(self):
        proc = self.wine.run(CLOCK)
        window = self.wine.window(proc, "Horloge Win32")
        shot = os.path.join(self.tmp, "clock.png")

        def drawn():
            return dark_pixels(self.wine.screenshot(window, shot))
        # HH:MM:SS is some hundred dark pixels; a frame or a cursor alone are fewer.
        first = wait_for(lambda: len(drawn()) > 60 and drawn(), what="the time drawn")
        wait_for(lambda: drawn() != first, timeout=5, what="the time to change")
        self.wine.close(window)
        wait_for(lambda: proc.poll() is not None, what="the clock to end")
        self.assertEqual(proc.returncode, 0)

    def test_toolchain_probe(self):
        # Threads of the C++ library and a resource of windres's; a text-mode line ends
        # in CR LF on Windows.
        self.assertEqual(self.wine.output(PROBE),
                         (0, "threads 4 sum 5050 resource ressource\r\n"))

    def test_sound_reaches_the_sink(self):
        tone = os.path.join(self.tmp, "tone.wav")
        with wave.open(tone, "wb") as w:
            w.setnchannels(1)
            w.setsampwidth(2)
            w.setframerate(44100)
            w.writeframes(b"".join(
                struct.pack("<h", round(16000 * math.sin(2 * math.pi * 440 * n / 44100)))
                for n in range(44100 // 2)))
        recording = self.sink.record(os.path.join(self.tmp, "sink.raw"))
        self.assertEqual(self.wine.output(PROBE, "play", windows_path(tone)), (0, "played\r\n"))
        # The tone at about half of full scale; silence is zeros.
        wait_for(lambda: recording.peak() > 8000, timeout=5, what="the tone in the sink")
        recording.stop()


if __name__ == "__main__":
    wine.require_wine()
    missing = [exe for exe in EXECUTABLES if not os.path.exists(exe)]
    if missing:
        sys.exit("not built: %s (cmake --preset windows && cmake --build --preset windows)"
                 % ", ".join(missing))
    unittest.main()
