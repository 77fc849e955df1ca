"""Veludor's Windows installer and portable zip under Wine, in a throw-away prefix on a
private X server: the silent install puts every file in place with its shortcut and its
entry in the installed-programs list; the installed clock starts; an upgrade removes
what the new version no longer ships and leaves the user's settings and skins; the silent
uninstall leaves only those; the zip runs wherever it is unpacked and keeps the chosen
skin beside itself. The skins are chosen as a user does, from the clock's menu.

The payload is the Windows build's run folder (build/windows/run).
"""
import filecmp
import glob
import os
import shutil
import subprocess
import sys
import tempfile
import unittest
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import wine  # noqa: E402
from desktop import click, picture_pixels, wait_for, xdotool  # noqa: E402
from xsession import XSession  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.normpath(os.path.join(HERE, "..", ".."))
PACKAGING = os.path.join(SOURCE, "packaging", "windows")
WINDOWS_DIR = os.environ.get("VELUDOR_WINDOWS_BUILD_DIR", "")
RUN_DIR = os.path.join(WINDOWS_DIR, "run")
MANIFEST = "fichiers-installes.txt"
DROPPED = "skin/vieux.bmp"  # 1.0.0 ships it, 1.0.1 no longer; after "argent.bmp"
KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Veludor"


def files_under(folder):
    """The files below a folder, as relative paths with forward slashes."""
    return sorted(os.path.relpath(os.path.join(root, name), folder).replace(os.sep, "/")
                  for root, _, names in os.walk(folder) for name in names)


def nearest_skin(shot, skins):
    """The skin (a path) whose picture differs least from a screenshot of its size."""
    raw = picture_pixels(shot)[2]
    return min(skins, key=lambda skin: sum(
        abs(a - b) for a, b in zip(raw, picture_pixels(skin)[2])))


def make(script, **defines):
    subprocess.run(["cmake"] + ["-D%s=%s" % item for item in defines.items()]
                   + ["-P", os.path.join(PACKAGING, script)], check=True, capture_output=True)


class Installer(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="veludor-installer-")
        cls.payload = RUN_DIR
        cls.older = os.path.join(cls.tmp, "run-1.0.0")
        shutil.copytree(cls.payload, cls.older, ignore=shutil.ignore_patterns("parametre.ini"))
        with open(os.path.join(cls.older, DROPPED), "wb") as f:
            f.write(b"BM")
        cls.setups = {}
        for version, folder in [("1.0.0", cls.older), ("1.0.1", cls.payload)]:
            cls.setups[version] = os.path.join(cls.tmp, "veludor-%s-setup.exe" % version)
            make("makeinstaller.cmake", RUN_DIR=folder, VERSION=version,
                 OUTPUT=cls.setups[version], WORK_DIR=os.path.join(cls.tmp, "nsis-" + version))
        cls.zip = os.path.join(cls.tmp, "veludor-1.0.0-windows-x64.zip")
        make("makezip.cmake", RUN_DIR=cls.payload, OUTPUT=cls.zip)
        cls.session = XSession().start()
        cls.wine = wine.Wine(None).start()
        cls.home = glob.glob(os.path.join(cls.wine.prefix, "drive_c", "users", "*",
                                          "AppData"))[0]
        cls.instdir = os.path.join(cls.home, "Local", "Programs", "Veludor")
        cls.shortcut = os.path.join(cls.home, "Roaming", "Microsoft", "Windows", "Start Menu",
                                    "Programs", "Veludor.lnk")

    @classmethod
    def tearDownClass(cls):
        cls.wine.stop()
        cls.session.stop()
        shutil.rmtree(cls.tmp, ignore_errors=True)

    def registry(self):
        """The uninstall entry's values, {name: text}, or None when there is none."""
        result = subprocess.run([wine.WINE, "reg", "query", KEY], env=self.wine.env,
                                capture_output=True, text=True)
        if result.returncode != 0:
            return None
        values = {}
        for line in result.stdout.splitlines():
            parts = line.split(None, 2)
            if len(parts) >= 2 and parts[1].startswith("REG_"):
                values[parts[0]] = parts[2] if len(parts) == 3 else ""
        return values

    def read(self, name):
        with open(os.path.join(self.instdir, name), "rb") as f:
            return f.read()

    def install(self, version):
        self.assertEqual(self.wine.output(self.setups[version], "/S", timeout=120)[0], 0)

    def assert_payload_installed(self, payload=None):
        payload = payload or self.payload
        installed = files_under(self.instdir)
        for name in files_under(payload):
            self.assertIn(name, installed)
            self.assertTrue(filecmp.cmp(os.path.join(payload, name),
                                        os.path.join(self.instdir, name), shallow=False), name)

    def shows_window(self, exe):
        proc = self.wine.run(exe)
        self.wine.window(proc, "Form1")
        return proc

    def choose_first_skin(self, folder):
        """Starts the clock of that folder, chooses its first skin ("argent.bmp") from its
        menu's "&Couleur", waits until it is saved and ends the clock."""
        proc = self.shows_window(os.path.join(folder, "veludor.exe"))
        left, top = self.wine.geometry(self.wine.window(proc, "Form1"))[:2]
        # The pointer may still be there from the clock of the row before.
        click(left + 110, top + 50, 3)
        wait_for(lambda: any(w.get_attributes().override_redirect
                             for w, _ in self.wine.windows(proc)), what="the menu")
        xdotool("key", "c")
        xdotool("key", "Return")

        def saved():
            with open(os.path.join(folder, "parametre.ini"), "rb") as f:
                return b"couleur=argent.bmp" in f.read()
        wait_for(lambda: os.path.exists(os.path.join(folder, "parametre.ini")) and saved(),
                 what="the skin saved")
        self.end(proc)

    def assert_shows_skin(self, folder, name):
        """The clock of that folder, started, shows that skin of the shipped ones."""
        proc = self.shows_window(os.path.join(folder, "veludor.exe"))
        skins, shot = glob.glob(os.path.join(RUN_DIR, "skin", "*.bmp")), self.tmp + "/skin.png"
        wait_for(lambda: nearest_skin(self.wine.screenshot(self.wine.window(proc, "Form1"),
                 shot), skins).endswith(name), 20, 0.5, "the skin " + name)
        self.end(proc)

    def end(self, proc):
        proc.kill()
        proc.wait(10)

    def test_1_silent_install_puts_every_file_in_place(self):
        self.install("1.0.0")
        self.assertEqual(files_under(self.instdir),
                         sorted(files_under(self.older) + ["uninstall.exe", MANIFEST]))
        self.assert_payload_installed(self.older)

    def test_2_shortcut_and_uninstall_entry(self):
        path = "C:\\users\\%s\\AppData\\Local\\Programs\\Veludor" % os.path.basename(
            os.path.dirname(self.home))
        values = self.registry()
        size = int(values.pop("EstimatedSize"), 16)
        self.assertEqual(values, {
            "DisplayName": "Veludor", "DisplayVersion": "1.0.0",
            "Publisher": "Veludor maintainers", "DisplayIcon": path + "\\veludor.exe,0",
            "InstallLocation": path, "UninstallString": '"%s\\uninstall.exe"' % path,
            "QuietUninstallString": '"%s\\uninstall.exe" /S' % path,
            "NoModify": "0x1", "NoRepair": "0x1"})
        # In KB: the installed files' size, rounded down.
        total = sum(os.path.getsize(os.path.join(self.instdir, f))
                    for f in files_under(self.instdir))
        self.assertEqual(size, total // 1024)
        with open(self.shortcut, "rb") as f:
            link = f.read()
        # The link's target, in the Windows code page or UTF-16 as the shell link holds it.
        self.assertTrue(b"veludor.exe" in link or "veludor.exe".encode("utf-16-le") in link)

    def test_3_installed_clock_starts_and_holds_off_an_upgrade(self):
        proc = self.shows_window(os.path.join(self.instdir, "veludor.exe"))
        # Its files could not all be replaced while it runs: the installer refuses (a
        # silent one with exit code 2) and leaves the installed version whole.
        self.assertEqual(self.wine.output(self.setups["1.0.1"], "/S", timeout=120)[0], 2)
        self.assertEqual(self.registry()["DisplayVersion"], "1.0.0")
        self.assert_payload_installed()
        self.end(proc)

    def test_4_upgrade_drops_old_files_keeps_settings_and_skins(self):
        self.choose_first_skin(self.instdir)
        # A skin of the user's own, beside the installed ones.
        with open(os.path.join(self.instdir, "skin", "maison.bmp"), "wb") as f:
            f.write(b"BM" + bytes(range(256)))
        kept = {name: self.read(name) for name in ["parametre.ini", "skin/maison.bmp"]}
        self.install("1.0.1")
        self.assertEqual(self.registry()["DisplayVersion"], "1.0.1")
        self.assert_payload_installed()
        for name, content in kept.items():
            self.assertEqual(self.read(name), content, name)
        self.assertEqual(files_under(self.instdir), sorted(
            files_under(self.payload) + ["uninstall.exe", MANIFEST] + list(kept)))
        self.assert_shows_skin(self.instdir, "argent.bmp")

    def test_5_silent_uninstall_leaves_only_the_users_files(self):
        self.assertEqual(self.wine.output(os.path.join(self.instdir, "uninstall.exe"), "/S")[0], 0)
        # The uninstaller runs from a copy of itself, which outlives the command.
        wait_for(lambda: self.registry() is None and not os.path.exists(self.shortcut)
                 and files_under(self.instdir) == ["parametre.ini", "skin/maison.bmp"],
                 timeout=60, what="the uninstall to end")

    def test_zip_runs_where_it_is_unpacked(self):
        target = os.path.join(self.tmp, "Mes documents", "Été")
        with zipfile.ZipFile(self.zip) as z:
            z.extractall(target)
        folder = os.path.join(target, "Veludor")
        self.assertEqual(files_under(folder), files_under(self.payload))
        # The skin chosen is kept beside the program and shown at the next start.
        self.choose_first_skin(folder)
        self.assert_shows_skin(folder, "argent.bmp")

if __name__ == "__main__":
    wine.require_wine()
    if not shutil.which("makensis"):
        print("skipped: makensis is not installed (scripts/deps installs nsis)", flush=True)
        os._exit(77)
    if not os.path.exists(os.path.join(RUN_DIR, "veludor.exe")):
        sys.exit("not built: %s (cmake --preset windows && cmake --build --preset windows)"
                 % os.path.join(RUN_DIR, "veludor.exe"))
    unittest.main()
