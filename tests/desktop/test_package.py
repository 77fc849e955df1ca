"""The Debian package made from this build: its files, their owners and permissions, its
control fields, menu entry, icons and AppStream metadata; then the installed clock,
unpacked under a temporary root, started from its launcher on the private display, each
user with a run folder of their own, and from an applications menu built from its entry."""
import gzip
import os
import re
import shutil
import subprocess
import sys
import tarfile
import tempfile
import time
import unittest

from Xlib import X, display as xdisplay

import desktop
from desktop import Clock, wait_for, xdotool

desktop.require_display()

BINARY_DIR = os.environ.get("VELUDOR_BINARY_DIR", "")
SOURCE_DIR = desktop.SOURCE_DIR
TOOLS = ("dpkg-deb", "desktop-file-validate", "appstreamcli", "lintian", "readelf", "identify",
         "Xvfb", "openbox")
missing = [t for t in TOOLS if not shutil.which(t)]
if missing:
    print("skipped: missing " + ", ".join(missing) + " (scripts/deps installs them)")
    sys.exit(77)

RUN_DIR = "opt/veludor"
LAUNCHER = "usr/bin/veludor"
DESKTOP_FILE = "usr/share/applications/veludor.desktop"
METAINFO = "usr/share/metainfo/org.example.veludor.metainfo.xml"
ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
SKINS = sorted(n for n in os.listdir(os.path.join(SOURCE_DIR, "assets", "skin")) if n.endswith(".bmp"))

# Every regular file of the package and its mode; a file missing or extra is a fault.
EXPECTED = {
    RUN_DIR + "/veludor": 0o755,
    RUN_DIR + "/DS-DIGI.TTF": 0o644,
    RUN_DIR + "/DS-DIGI-LICENCE.txt": 0o644,
    RUN_DIR + "/alarm.mp3": 0o644,
    LAUNCHER: 0o755,
    DESKTOP_FILE: 0o644,
    METAINFO: 0o644,
    "usr/share/doc/veludor/copyright": 0o644,
    "usr/share/doc/veludor/changelog.gz": 0o644,
    "usr/share/man/man1/veludor.1.gz": 0o644,
    "usr/share/man/fr/man1/veludor.1.gz": 0o644,
    "usr/share/lintian/overrides/veludor": 0o644,
}
EXPECTED.update({RUN_DIR + "/skin/" + s: 0o644 for s in SKINS})
EXPECTED.update({"usr/share/icons/hicolor/%dx%d/apps/veludor.png" % (n, n): 0o644 for n in ICON_SIZES})

# Files of the package that are the project's assets as they are.
FROM_ASSETS = {RUN_DIR + "/" + n: n for n in ("DS-DIGI.TTF", "DS-DIGI-LICENCE.txt", "alarm.mp3")}
FROM_ASSETS.update({RUN_DIR + "/skin/" + s: "skin/" + s for s in SKINS})
FROM_ASSETS.update({"usr/share/icons/hicolor/%dx%d/apps/veludor.png" % (n, n):
                    "icons/hicolor/%dx%d/apps/veludor.png" % (n, n) for n in ICON_SIZES})

PACKAGE = ""
WORK = ""
ROOT = ""


def setUpModule():
    """Builds the package with the build's own target and unpacks it under a temporary root."""
    global PACKAGE, WORK, ROOT
    out = subprocess.run(["cmake", "--build", BINARY_DIR, "--target", "package"],
                         capture_output=True, text=True)
    if out.returncode != 0:
        raise AssertionError("the package target failed:\n" + out.stdout + out.stderr)
    found = re.findall(r"package: (\S+\.deb) generated", out.stdout)
    if len(found) != 1:
        raise AssertionError("one package expected:\n" + out.stdout)
    PACKAGE = found[0]
    WORK = tempfile.mkdtemp(prefix="veludor-package-")
    ROOT = os.path.join(WORK, "root")
    subprocess.run(["dpkg-deb", "-x", PACKAGE, ROOT], check=True)


def tearDownModule():
    if WORK:
        shutil.rmtree(WORK, ignore_errors=True)


def installed(path=""):
    return os.path.join(ROOT, path) if path else ROOT


def project_version():
    with open(os.path.join(SOURCE_DIR, "CMakeLists.txt"), encoding="utf-8") as f:
        return re.search(r"project\(Veludor VERSION ([0-9.]+)", f.read()).group(1)


def desktop_entry(path):
    """The keys of the [Desktop Entry] group."""
    keys, group = {}, None
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if line.startswith("["):
                group = line
            elif group == "[Desktop Entry]" and "=" in line and not line.startswith("#"):
                k, v = line.split("=", 1)
                keys[k.strip()] = v.strip()
    return keys


class PackageContents(unittest.TestCase):
    def members(self):
        data = subprocess.run(["dpkg-deb", "--fsys-tarfile", PACKAGE], check=True,
                              capture_output=True).stdout
        path = os.path.join(WORK, "data.tar")
        with open(path, "wb") as f:
            f.write(data)
        with tarfile.open(path) as tar:
            return {os.path.normpath(m.name): m for m in tar.getmembers() if m.name not in (".", "./")}

    def test_files_owners_and_permissions(self):
        members = self.members()
        files = {name: m for name, m in members.items() if m.isfile()}
        self.assertEqual(sorted(files), sorted(EXPECTED))
        for name, m in members.items():
            with self.subTest(name):
                self.assertEqual((m.uid, m.gid, m.uname, m.gname), (0, 0, "root", "root"))
                self.assertTrue(m.isfile() or m.isdir(), "only files and folders")
                if m.isdir():
                    self.assertEqual(m.mode & 0o7777, 0o755)
                else:
                    self.assertEqual(m.mode & 0o7777, EXPECTED[name])
        # Nothing a user writes is shipped: settings come from each user's own folder.
        self.assertFalse(any(n.endswith("parametre.ini") for n in members))

    def test_assets_installed_unchanged(self):
        for name, asset in FROM_ASSETS.items():
            with self.subTest(name):
                with open(installed(name), "rb") as a, \
                        open(os.path.join(SOURCE_DIR, "assets", asset), "rb") as b:
                    self.assertEqual(a.read(), b.read())

    def test_icons_have_the_size_of_their_folder(self):
        for n in ICON_SIZES:
            path = installed("usr/share/icons/hicolor/%dx%d/apps/veludor.png" % (n, n))
            size = subprocess.run(["identify", "-format", "%w %h %m", path], check=True,
                                  capture_output=True, text=True).stdout.split()
            self.assertEqual(size, [str(n), str(n), "PNG"], path)

    def test_program_depends_on_nothing_in_the_build_tree(self):
        dynamic = subprocess.run(["readelf", "-d", installed(RUN_DIR + "/veludor")], check=True,
                                 capture_output=True, text=True).stdout
        self.assertNotIn("RPATH", dynamic)
        self.assertNotIn("RUNPATH", dynamic)

    def test_control_fields(self):
        fields = {}
        for line in subprocess.run(["dpkg-deb", "-f", PACKAGE], check=True, capture_output=True,
                                   text=True).stdout.splitlines():
            m = re.match(r"([A-Za-z-]+): (.*)", line)
            if m:
                fields[m.group(1)] = m.group(2)
        arch = subprocess.run(["dpkg", "--print-architecture"], check=True, capture_output=True,
                              text=True).stdout.strip()
        self.assertEqual(fields["Package"], "veludor")
        self.assertEqual(fields["Version"], project_version())
        self.assertEqual(fields["Architecture"], arch)
        self.assertEqual(fields["Section"], "x11")
        self.assertRegex(fields["Maintainer"], r".+ <.+@.+>")
        depends = [d.split()[0] for d in fields["Depends"].split(", ")]
        for needed in ("fonts-liberation", "freepats", "libqt6widgets6", "libsdl2-mixer-2.0-0",
                       "qt6-wayland"):
            self.assertIn(needed, depends)

    def test_versions_agree(self):
        with gzip.open(installed("usr/share/doc/veludor/changelog.gz"), "rt", encoding="utf-8") as f:
            changelog = re.match(r"veludor \(([^)]+)\)", f.readline()).group(1)
        with open(installed(METAINFO), encoding="utf-8") as f:
            release = re.search(r'<release version="([^"]+)"', f.read()).group(1)
        self.assertEqual((changelog, release), (project_version(), project_version()))

    def test_desktop_entry(self):
        path = installed(DESKTOP_FILE)
        out = subprocess.run(["desktop-file-validate", path], capture_output=True, text=True)
        self.assertEqual((out.returncode, out.stdout + out.stderr), (0, ""))
        entry = desktop_entry(path)
        self.assertEqual(entry["Name"], "Veludor")
        self.assertIn("Horloge numérique", entry["Comment"])
        self.assertEqual(entry["Icon"], "veludor")
        self.assertTrue({"Utility", "Clock"} <= set(entry["Categories"].rstrip(";").split(";")))
        self.assertEqual(entry["Exec"], "veludor")
        self.assertTrue(os.access(installed("usr/bin/" + entry["Exec"]), os.X_OK))

    def test_appstream_metadata(self):
        out = subprocess.run(["appstreamcli", "validate", "--no-net", "--pedantic",
                              installed(METAINFO)], capture_output=True, text=True)
        self.assertEqual(out.returncode, 0, out.stdout + out.stderr)
        with open(installed(METAINFO), encoding="utf-8") as f:
            text = f.read()
        cid = re.search(r"<id>([^<]+)</id>", text).group(1)
        self.assertEqual(os.path.basename(METAINFO), cid + ".metainfo.xml")
        launchable = re.search(r'<launchable type="desktop-id">([^<]+)</launchable>', text).group(1)
        self.assertEqual("usr/share/applications/" + launchable, DESKTOP_FILE)

    def test_lintian_finds_no_error(self):
        # The accepted warnings and the one overridden error are explained in
        # packaging/lintian-overrides and the README.
        out = subprocess.run(["lintian", "--fail-on", "error", PACKAGE], capture_output=True, text=True)
        self.assertEqual(out.returncode, 0, out.stdout + out.stderr)
        self.assertNotRegex(out.stdout, r"(?m)^E: ")

    def test_launcher_is_plain_posix_shell(self):
        with open(installed(LAUNCHER), encoding="utf-8") as f:
            self.assertEqual(f.readline().strip(), "#!/bin/sh")
        # dash is the strictest of the common /bin/sh.
        shell = shutil.which("dash") or "/bin/sh"
        subprocess.run([shell, "-n", installed(LAUNCHER)], check=True)


class InstalledClock(Clock):
    """The installed clock started from its launcher under the temporary root, for a user
    of its own with a fresh home."""

    def __init__(self, env=None):
        self.dir = tempfile.mkdtemp(prefix="veludor-user-", dir=WORK)
        self.home, self.env = desktop.private_user(self.dir)
        if env:
            self.env.update(env)
        self.folder = os.path.join(self.env["XDG_DATA_HOME"], "veludor")
        self.proc = None
        self.x = xdisplay.Display()

    def start(self):
        if getattr(self, "log", None):
            self.log.close()
        self.log = open(os.path.join(self.dir, "program.log"), "a")
        self.proc = subprocess.Popen([installed(LAUNCHER)], cwd=self.dir, env=self.env,
                                     stdout=self.log, stderr=subprocess.STDOUT)
        return self

    def program(self):
        """(executable, current directory) of the running program."""
        pid = self.proc.pid
        return os.readlink("/proc/%d/exe" % pid), os.readlink("/proc/%d/cwd" % pid)

    def open_menu(self):
        win = self.window()
        wait_for(lambda: self.geometry(win)[0] > 0, what="placement")
        left, top, _, _ = self.geometry(win)
        leave_point(self.x, left + 110, top + 50)
        self.right_click_menu(left + 110, top + 50)

    def quit_from_menu(self):
        """Quits with the menu's "&Quitter"; the program's exit code and its output."""
        self.open_menu()
        xdotool("key", "q")
        code = self.proc.wait(20)
        self.log.flush()
        return code, read(os.path.join(self.dir, "program.log"))[-4000:]


def leave_point(x, left, top):
    """Moves the pointer off (left, top) when it is there: a synchronous move to where the
    pointer already stands waits for a motion that never comes (xdotool gives up after
    seconds), and every clock of these tests stands at the same place."""
    pointer = x.screen().root.query_pointer()
    if (pointer.root_x, pointer.root_y) == (left, top):
        xdotool("mousemove", "--sync", left - 1, top - 1)


def choose_first_skin(clock):
    clock.open_menu()
    # "&Couleur" by its accelerator, then its first item.
    xdotool("key", "c")
    xdotool("key", "Return")


def read(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        return f.read()


def process_ended(pid):
    """Gone, or a zombie; the process may go between the two looks."""
    try:
        return read("/proc/%d/stat" % pid).split()[2] == "Z"
    except FileNotFoundError:
        return True


class InstalledProgram(unittest.TestCase):
    def setUp(self):
        self.run_dir = os.path.realpath(installed(RUN_DIR))

    def assertQuits(self, clock):
        code, output = clock.quit_from_menu()
        self.assertEqual(code, 0, "the clock ended with an error:\n" + output)

    def test_each_user_keeps_a_skin_in_a_run_folder_of_their_own(self):
        first = InstalledClock()
        try:
            first.start()
            first.window()
            exe, cwd = first.program()
            self.assertEqual((exe, cwd), (os.path.join(first.folder, "veludor"), first.folder))
            with open(exe, "rb") as a, open(os.path.join(self.run_dir, "veludor"), "rb") as b:
                self.assertEqual(a.read(), b.read())
            for name in ["DS-DIGI.TTF", "DS-DIGI-LICENCE.txt", "alarm.mp3"] + ["skin/" + s for s in SKINS]:
                self.assertEqual(os.readlink(os.path.join(first.folder, name)),
                                 os.path.join(self.run_dir, name))

            choose_first_skin(first)
            settings = os.path.join(first.folder, "parametre.ini")
            wait_for(lambda: os.path.exists(settings), what="settings written")
            self.assertIn("couleur=argent.bmp", read(settings))
            self.assertQuits(first)
            self.assertFalse(os.path.exists(os.path.join(self.run_dir, "parametre.ini")))

            # Another user starts with the default skin and leaves the first one's alone.
            second = InstalledClock()
            try:
                second.start()
                second.window()
                self.assertEqual(second.program()[1], second.folder)
                self.assertFalse(os.path.exists(os.path.join(second.folder, "parametre.ini")))
                self.assertQuits(second)
            finally:
                second.stop()

            # The first user's choice is still there at their next start, and read.
            first.start()
            first.window()
            self.assertIn("couleur=argent.bmp", read(settings))
            self.assertQuits(first)
        finally:
            first.stop()

    def test_upgrade_renews_the_copy_and_the_skin_links(self):
        clock = InstalledClock()
        try:
            skin = os.path.join(clock.folder, "skin")
            os.makedirs(skin)
            # What an older version left: its executable, a link to a skin since removed.
            with open(os.path.join(clock.folder, "veludor"), "wb") as f:
                f.write(b"#!/bin/sh\nexit 3\n")
            os.chmod(os.path.join(clock.folder, "veludor"), 0o755)
            os.symlink(os.path.join(self.run_dir, "skin", "ancien.bmp"), os.path.join(skin, "ancien.bmp"))
            # What the user made: a skin of their own, a sound of their own, a link elsewhere.
            shutil.copyfile(os.path.join(self.run_dir, "skin", SKINS[0]), os.path.join(skin, "perso.bmp"))
            with open(os.path.join(clock.folder, "alarm.mp3"), "wb") as f:
                f.write(b"mine")
            os.symlink(os.path.join(clock.dir, "absent.bmp"), os.path.join(skin, "ailleurs.bmp"))

            clock.start()
            clock.window()
            with open(os.path.join(clock.folder, "veludor"), "rb") as a, \
                    open(os.path.join(self.run_dir, "veludor"), "rb") as b:
                self.assertEqual(a.read(), b.read())
            self.assertEqual(sorted(os.listdir(skin)), sorted(SKINS + ["ailleurs.bmp", "perso.bmp"]))
            self.assertFalse(os.path.islink(os.path.join(skin, "perso.bmp")))
            self.assertEqual(read(os.path.join(clock.folder, "alarm.mp3")), "mine")
            self.assertQuits(clock)
        finally:
            clock.stop()

    def test_relative_data_folder_ignored(self):
        # A relative XDG_DATA_HOME is invalid: the default under the home is used.
        clock = InstalledClock(env={"XDG_DATA_HOME": "relative"})
        try:
            clock.start()
            clock.window()
            folder = os.path.join(clock.home, ".local", "share", "veludor")
            self.assertEqual(clock.program()[1], folder)
            clock.proc.terminate()
            clock.proc.wait(10)
        finally:
            clock.stop()

    def test_starts_from_the_installed_folder_when_no_own_folder_can_be_used(self):
        for case in ("data folder is a file", "noexec file system"):
            with self.subTest(case):
                clock = InstalledClock()
                mounted = None
                try:
                    if case == "data folder is a file":
                        path = os.path.join(clock.dir, "file")
                        open(path, "w").close()
                        clock.env["XDG_DATA_HOME"] = path
                    else:
                        mounted = os.path.join(clock.dir, "noexec")
                        os.makedirs(mounted)
                        if subprocess.run(["mount", "-t", "tmpfs", "-o", "noexec,size=64m", "tmpfs",
                                           mounted], capture_output=True).returncode != 0:
                            mounted = None
                            self.skipTest("no permission to mount a file system")
                        clock.env["XDG_DATA_HOME"] = mounted
                    clock.start()
                    clock.window()
                    self.assertEqual(clock.program(), (os.path.join(self.run_dir, "veludor"), self.run_dir))
                    clock.proc.terminate()
                    clock.proc.wait(10)
                finally:
                    clock.stop()
                    if mounted:
                        subprocess.run(["umount", mounted], check=True)
        self.assertFalse(os.path.exists(os.path.join(self.run_dir, "parametre.ini")))


class MenuEntry(unittest.TestCase):
    """An applications menu made from the installed desktop entry (its name, its icon from
    the hicolor theme, its category, its command) in openbox on a second private display:
    choosing the entry starts the clock. The screenshot of the clock with the menu open
    goes to $VELUDOR_SCREENSHOT_DIR/package.png when that is set."""

    WIDTH, HEIGHT = 480, 270
    CATEGORY_NAMES = {"Utility": "Utilitaires"}

    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="veludor-menu-", dir=WORK)
        self.procs = []
        self.saved_display = os.environ["DISPLAY"]
        read_fd, write_fd = os.pipe()
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0",
                                 "%dx%dx24" % (self.WIDTH, self.HEIGHT), "-nolisten", "tcp"],
                                pass_fds=(write_fd,), stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
        self.procs.append(xvfb)
        os.close(write_fd)
        with os.fdopen(read_fd) as f:
            number = f.readline().strip()
        if not number:
            self.fail("the second X server did not start")
        os.environ["DISPLAY"] = ":" + number
        self.x = xdisplay.Display()
        root = self.x.screen().root
        # A plain desktop colour, so that the menu and the clock stand out.
        colour = self.x.screen().default_colormap.alloc_color(0x3a00, 0x5600, 0x7400).pixel
        root.change_attributes(background_pixel=colour)
        root.clear_area()
        self.x.sync()

    def tearDown(self):
        self.x.close()
        for p in reversed(self.procs):
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(10)
                except subprocess.TimeoutExpired:
                    p.kill()
                    p.wait()
        os.environ["DISPLAY"] = self.saved_display

    def start_openbox(self, env):
        entry = desktop_entry(installed(DESKTOP_FILE))
        category = next(self.CATEGORY_NAMES[c] for c in entry["Categories"].split(";")
                        if c in self.CATEGORY_NAMES)
        icon = installed("usr/share/icons/hicolor/32x32/apps/%s.png" % entry["Icon"])
        command = installed("usr/bin/" + entry["Exec"])
        menu = os.path.join(self.dir, "menu.xml")
        with open(menu, "w", encoding="utf-8") as f:
            f.write('<?xml version="1.0" encoding="UTF-8"?>\n'
                    '<openbox_menu xmlns="http://openbox.org/3.4/menu">\n'
                    ' <menu id="root-menu" label="Applications">\n'
                    '  <separator label="Applications"/>\n'
                    '  <menu id="category" label="%s">\n'
                    '   <item label="%s" icon="%s"><action name="Execute"><command>%s</command>'
                    '</action></item>\n'
                    '  </menu>\n </menu>\n</openbox_menu>\n' % (category, entry["Name"], icon, command))
        # The distribution's configuration with this menu in place of its own.
        with open("/etc/xdg/openbox/rc.xml", encoding="utf-8") as f:
            rc = f.read()
        rc, n = re.subn(r"^<menu>.*?^</menu>", "<menu><file>%s</file><showIcons>yes</showIcons></menu>"
                        % menu, rc, count=1, flags=re.S | re.M)
        self.assertEqual(n, 1, "menu section of openbox's rc.xml")
        config = os.path.join(self.dir, "rc.xml")
        with open(config, "w", encoding="utf-8") as f:
            f.write(rc)
        self.procs.append(subprocess.Popen(["openbox", "--sm-disable", "--config-file", config], env=env,
                                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        root = self.x.screen().root
        check = self.x.intern_atom("_NET_SUPPORTING_WM_CHECK")
        wait_for(lambda: root.get_full_property(check, X.AnyPropertyType), what="openbox")

    def menus(self):
        """Openbox's menu windows on screen: the window manager's own top-level windows,
        which, unlike the frames it puts around programs' windows, hold no client window."""
        result = []
        for w in self.x.screen().root.query_tree().children:
            a = w.get_attributes()
            if a.override_redirect or a.map_state != X.IsViewable:
                continue
            if any(c.get_wm_name() or c.get_wm_class() for c in w.query_tree().children):
                continue
            result.append(w)
        return result

    def open_menu(self):
        """Opens the root menu with a right click on the desktop, then its category with the
        keyboard, the entry selected."""
        leave_point(self.x, 24, 24)
        xdotool("mousemove", "--sync", 24, 24)
        last_click = [-10.0]

        def shown():
            # A click that came before openbox was ready to take it is made again.
            if len(self.menus()) == 1:
                return True
            if time.monotonic() - last_click[0] > 1.0:
                xdotool("click", 3)
                last_click[0] = time.monotonic()
            return False
        wait_for(shown, what="root menu")
        xdotool("key", "Down", "Right")
        wait_for(lambda: len(self.menus()) == 2, what="category menu")

    def clock_window(self):
        for frame in self.x.screen().root.query_tree().children:
            for w in [frame] + list(frame.query_tree().children):
                try:
                    if w.get_wm_name() == "Form1" and w.get_attributes().map_state == X.IsViewable:
                        return w
                except Exception:
                    continue
        return None

    def screenshot(self, path):
        subprocess.run(["import", "-window", "root", path], check=True)
        with open(path, "rb") as f:
            return f.read()

    def test_menu_entry_starts_the_installed_clock(self):
        user = InstalledClock()
        try:
            self.start_openbox(user.env)
            self.open_menu()
            xdotool("key", "Return")
            win = wait_for(self.clock_window, timeout=30, what="clock started from the menu")
            pid = win.get_full_property(self.x.intern_atom("_NET_WM_PID"), X.AnyPropertyType).value[0]
            self.assertEqual(os.readlink("/proc/%d/cwd" % pid), user.folder)

            # The clock stands at the bottom-right; the menu, open again, shows its entry.
            self.open_menu()
            shots = [os.path.join(self.dir, "menu-%d.png" % i) for i in range(2)]
            # Drawn once two shots in a row agree.
            wait_for(lambda: self.screenshot(shots[0]) == self.screenshot(shots[1]), what="settled screen")
            w, h, raw = user.pixels(shots[0])
            background = desktop.pixel_at(raw, w, w // 2, 10)
            clock_left, clock_top = self.WIDTH - 220 - 20, self.HEIGHT - 100 - 20
            differing = sum(1 for y in range(clock_top, clock_top + 100, 4) for x in range(clock_left, clock_left + 220, 4)
                            if desktop.pixel_at(raw, w, x, y) != background)
            self.assertGreater(differing, 220 * 100 // 16 // 2, "the clock is drawn at the bottom-right")
            target = os.environ.get("VELUDOR_SCREENSHOT_DIR")
            if target:
                shutil.copyfile(shots[0], os.path.join(target, "package.png"))

            xdotool("key", "Escape", "Escape")
            wait_for(lambda: not self.menus(), what="menu closed")
            os.kill(pid, 15)
            wait_for(lambda: process_ended(pid), what="clock ended")
        finally:
            user.stop()


if __name__ == "__main__":
    unittest.main(verbosity=2)
